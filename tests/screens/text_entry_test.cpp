// The arrows of a character field as the operator types: Left goes forward (next character,
// next letter) and Right back, as they move the focus and the lists; Enter past the end
// closes the field once its check agrees.
#include "gui/char_field.h"
#include "gui/decimal_field.h"
#include "screens/param_ui.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Press {
    SDLKey key;
    int times;
};

void queue_keys(const std::vector<Press>& presses)
{
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
    for (const Press& p : presses)
        for (int i = 0; i < p.times; i++) {
            SDL_Event k{};
            k.type = SDL_KEYDOWN;
            k.key.type = SDL_KEYDOWN;
            k.key.keysym.sym = p.key;
            ASSERT_EQ(0, SDL_PushEvent(&k));
        }
}

constexpr SDLKey L = SDLK_LEFT, R = SDLK_RIGHT, U = SDLK_UP, D = SDLK_DOWN, E = SDLK_RETURN;

} // namespace

TEST(TextEntry, ArrowsMoveAndChangeLikeTheRestOfTheKeypad)
{
    struct Case {
        const char* what;
        const char* text;
        bool at_end;
        std::vector<Press> keys;
        const char* want;
        int refusals; // texts the check turned down before the field closed
    };
    const Case cases[] = {
        {"a name from its end: back to the start, two deleted, then A and B", "PVP_", true,
         {{R, 4}, {U, 2}, {E, 1}, {R, 15}, {E, 1}, {L, 1}, {E, 1}, {L, 2}, {E, 1}, {L, 2}, {E, 1}}, "AB", 0},
        {"Left is the next letter, Enter at the end appends '_' and Left wraps it to A", "AB", false,
         {{E, 1}, {L, 1}, {E, 1}, {L, 2}, {E, 1}, {L, 1}, {E, 1}, {L, 2}, {E, 1}}, "BBA", 0},
        {"Down inserts under the cursor", "AB", false, {{D, 1}, {L, 4}, {E, 1}}, "_AB", 0},
        {"Right from past the end comes back; a single letter is not deleted", "AB", true,
         {{L, 1}, {R, 2}, {U, 2}, {L, 2}, {E, 1}}, "A", 0},
        {"a refused text keeps the field open", "DAT_", true,
         {{L, 1}, {E, 1}, {R, 5}, {E, 1}, {L, 1}, {E, 1}, {L, 5}, {E, 1}}, "EAT_", 1},
        {"a right-aligned number: its last digit from 0 down to 9", "  1.000", true,
         {{R, 1}, {E, 1}, {R, 1}, {E, 1}, {L, 2}, {E, 1}}, "  1.009", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A number gets the field with the digits' alphabet.
        std::unique_ptr<CSDLText_CH> field;
        if (std::string(c.text).find('.') != std::string::npos)
            field.reset(new CSDLText_DCH(10, 100, c.text, 24, 0, 0, 80, 400, 15));
        else
            field.reset(new CSDLText_CH(10, 100, c.text, 24, 0, 0, 80, 400, 8));
        CSDLText_CH& f = *field;
        queue_keys(c.keys);
        int refusals = 0;
        params::edit_text(&f, [&](const char* t) {
            const bool ok = std::string(t).compare(0, 4, "DAT_") != 0;
            refusals += !ok;
            return ok;
        }, c.at_end);
        EXPECT_STREQ(c.want, f.text);
        EXPECT_EQ(c.refusals, refusals);
        EXPECT_EQ(0, f.ch_mode);
    }
}
