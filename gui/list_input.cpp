#include "gui/list_input.h"

#include "gui/backlight.h"
#include "gui/file_list_box.h"
#include "gui/input.h"
#include "platform/termination.h"

namespace {

template <class List> int step(List& list, bool marking)
{
    check_termination();
    SDL_Event e;
    if (!gui_poll_event(&e) || !keypressed(e.type))
        return 0;
    SDLKey sym = e.key.keysym.sym;
    if (sym == SDLK_RETURN || sym == SDLK_KP_ENTER)
        return 1;
    if (sym != SDLK_LEFT && sym != SDLK_RIGHT)
        return 0;
    int from = list.GetCurrent();
    if (sym == SDLK_LEFT)
        list.Next();
    else
        list.Previous();
    int to = list.GetCurrent();
    if (to == from)
        return 0;
    if (marking) {
        list.SetMarked(from, true);
        list.SetMarked(to, true);
    }
    list.Draw();
    return 0;
}

} // namespace

int list_key_step(CListBox& list, bool marking) { return step(list, marking); }
int list_key_step(CFListBox& list, bool marking) { return step(list, marking); }
