/* A virtual joystick inside the running program, for checking joystick navigation by hand
 * where no game pad (and no /dev/uinput) exists. An SDL virtual joystick lives only inside
 * one process, so this is preloaded into the program:
 *
 *   gcc -shared -fPIC -O2 -o /tmp/joystick-preload.so tests/support/byhand/joystick-preload.c \
 *       $(pkg-config --cflags --libs sdl2) -lpthread
 *   JOYSTICK_STATE=/tmp/joy.txt LD_PRELOAD=/tmp/joystick-preload.so build/velmora
 *
 * Whenever SDL's joystick subsystem is up, one joystick (2 axes, 8 buttons) is attached; its
 * state is the file JOYSTICK_STATE, read every 50 ms: lines "axis <n> <value>" and
 * "button <n> <0|1>" (buttons counted from 1). */
#include <SDL.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static void* drive(void* unused) {
  (void)unused;
  const char* path = getenv("JOYSTICK_STATE");
  SDL_Joystick* joy = NULL;
  SDL_JoystickID id = -1;
  int upFor = 0;
  for (;;) {
    usleep(50000);
    if (!SDL_WasInit(SDL_INIT_JOYSTICK)) {
      joy = NULL; /* closed by SDL's shut-down */
      upFor = 0;
      continue;
    }
    /* A shut-down and restart of SDL between two looks closes it too. */
    joy = id >= 0 ? SDL_JoystickFromInstanceID(id) : NULL;
    if (!joy) {
      /* Not while the program is still starting SDL. */
      if (++upFor < 3) continue;
      int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 8, 0);
      if (index < 0) continue;
      joy = SDL_JoystickOpen(index);
      if (!joy) continue;
      id = SDL_JoystickInstanceID(joy);
      fprintf(stderr, "joystick-preload: attached as device %d\n", index);
    }
    FILE* f = path ? fopen(path, "r") : NULL;
    if (!f) continue;
    char word[16];
    int n, v;
    while (fscanf(f, "%15s %d %d", word, &n, &v) == 3) {
      if (word[0] == 'a') SDL_JoystickSetVirtualAxis(joy, n, (Sint16)v);
      if (word[0] == 'b') SDL_JoystickSetVirtualButton(joy, n - 1, (Uint8)v);
    }
    fclose(f);
  }
  return NULL;
}

__attribute__((constructor)) static void start(void) {
  pthread_t t;
  if (pthread_create(&t, NULL, drive, NULL) == 0) pthread_detach(t);
}
