// Moving through a list box from the keypad: the file manager's "Select" and "Mark" and the
// screens that pick an entry from a list. Left goes to the next row and Right to the
// previous one (the keypad's arrows sit that way round, as for the focus); Enter ends.
#pragma once

class CListBox;
class CFListBox;

// One input step on a list. With `marking`, every row the cursor passes is marked: the
// row it leaves and the row it reaches. The list is redrawn when its cursor moved.
// Returns 1 when Enter was pressed, 0 otherwise (no event, or a key handled).
int list_key_step(CListBox& list, bool marking);
int list_key_step(CFListBox& list, bool marking);
