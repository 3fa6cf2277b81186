#include "app/main_menu.h"

#include "app/globals.h"
#include "app/pending.h"
#include "app/shutdown.h"
#include "app/termination.h"

#include <SDL/SDL.h>
#include <cstdio>

// Until the screen table and widgets exist the main menu is an empty 1024 x 768 window
// that waits for the end of the program: its close button or SIGTERM/SIGINT power off.
int main_menu_loop()
{
    pending_skip("main menu screen");
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(1024, 768, 16, SDL_SWSURFACE))
            printf("video: %s\n", SDL_GetError());
    }
    SDL_WM_SetCaption("gprmon", "gprmon");
    puts("main loop");
    fflush(stdout);
    for (;;) {
        mode = 34;
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT)
                request_termination();
        }
        if (termination_requested())
            terminate_by_signal();
        SDL_Delay(20);
    }
}
