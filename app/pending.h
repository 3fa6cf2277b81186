// Calls into subsystems that have not landed yet.
//
// Start-up, the main loop and the shutdown sequences reach the other subsystems through the
// functions their Parts name. Until a subsystem exists, its call is made through one entry
// here instead, which prints one line saying that the step was skipped (once per step) and
// yields the documented default. When a subsystem lands, its entries here are replaced by
// the real calls and removed from this file.
#pragma once

// Prints "<what>: not built yet, skipped" the first time it is called for `what`.
void pending_skip(const char* what);

// CU link: the unit number goes into link word A of every command frame (forwards to
// CEthernet::set_link_word_a).
void pending_link_word_a(unsigned unit_number);

// Acquisition error flags: thError5 (an element of the CU's data overran its packet).
void pending_acquisition_error5();
