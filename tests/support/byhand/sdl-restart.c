/* Checks that joystick-preload.c survives SDL being shut down and started again, as the
 * program does around every game launch: starts and stops SDL's joystick subsystem over and
 * over, reading the joystick in between, and prints "survived" at the end.
 *
 *   gcc -O1 -o /tmp/sdl-restart tests/support/byhand/sdl-restart.c $(pkg-config --cflags --libs sdl2)
 *   printf 'axis 0 1000\nbutton 1 1\n' >/tmp/joy.txt
 *   JOYSTICK_STATE=/tmp/joy.txt LD_PRELOAD=/tmp/joystick-preload.so /tmp/sdl-restart 600 */
#include <SDL.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? atoi(argv[1]) : 600;
  int seen = 0;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  for (int i = 0; i < rounds; ++i) {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return 1;
    SDL_JoystickEventState(SDL_IGNORE);
    /* Uneven waits, so the stops fall at every point of the preload's work. */
    for (int k = 0; k < i % 7; ++k) {
      SDL_JoystickUpdate();
      usleep(20000 + (i * 7919) % 40000);
    }
    SDL_JoystickUpdate();
    SDL_Joystick* j = SDL_NumJoysticks() > 0 ? SDL_JoystickOpen(0) : NULL;
    if (j) {
      SDL_JoystickUpdate();
      if (SDL_JoystickGetAxis(j, 0) != 0) ++seen;
      SDL_JoystickClose(j);
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    usleep((i * 104729) % 60000);
  }
  printf("survived; the joystick's state was seen in %d of %d rounds\n", seen, rounds);
  return 0;
}
