/* A virtual joystick inside the running program, for checking joystick navigation by hand
 * where no game pad (and no /dev/uinput) exists. An SDL virtual joystick lives only inside
 * one process, so this is preloaded into the program:
 *
 *   gcc -shared -fPIC -O2 -o /tmp/joystick-preload.so tests/support/byhand/joystick-preload.c \
 *       $(pkg-config --cflags --libs sdl2) -ldl
 *   JOYSTICK_STATE=/tmp/joy.txt LD_PRELOAD=/tmp/joystick-preload.so build/velmora
 *
 * Whenever the program polls its joysticks (SDL_JoystickUpdate), one joystick (2 axes,
 * 8 buttons) is attached if SDL has none of ours; its state is the file JOYSTICK_STATE, read at
 * each poll: lines "axis <n> <value>" and "button <n> <0|1>" (buttons counted from 1).
 * Everything runs inside the program's own poll, on its thread: SDL may be shut down and
 * started again at any time (the program does so around every game launch), and a thread of
 * our own touching SDL meanwhile used joysticks SDL had just freed. */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

static SDL_JoystickID id = -1;

static void drive(void) {
  /* A shut-down of SDL closes ours: its ID is then unknown and a new one is attached. */
  SDL_Joystick* joy = id >= 0 ? SDL_JoystickFromInstanceID(id) : NULL;
  if (!joy) {
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 8, 0);
    if (index < 0) return;
    joy = SDL_JoystickOpen(index);
    if (!joy) return;
    id = SDL_JoystickInstanceID(joy);
    fprintf(stderr, "joystick-preload: attached as device %d\n", index);
  }
  const char* path = getenv("JOYSTICK_STATE");
  FILE* f = path ? fopen(path, "r") : NULL;
  if (!f) return;
  char word[16];
  int n, v;
  while (fscanf(f, "%15s %d %d", word, &n, &v) == 3) {
    if (word[0] == 'a') SDL_JoystickSetVirtualAxis(joy, n, (Sint16)v);
    if (word[0] == 'b') SDL_JoystickSetVirtualButton(joy, n - 1, (Uint8)v);
  }
  fclose(f);
}

void SDL_JoystickUpdate(void) {
  static void (*real)(void) = NULL;
  if (!real) real = (void (*)(void))dlsym(RTLD_NEXT, "SDL_JoystickUpdate");
  if (SDL_WasInit(SDL_INIT_JOYSTICK)) drive();
  if (real) real();
}
