/* Asks a SAT device whether it is working and for its operational status, through the driver
 * library libcfedriver.so.3.
 *
 *   cc consultar.c $(pkg-config --cflags --libs cfedriver) -o consultar      (or CMakeLists.txt)
 *   ./consultar [ACTIVATION_CODE]
 *
 * The library finds the device by itself, or takes the port from its settings file (CFEDRIVER_INI;
 * satemu --ini PATH writes one for the emulator). Exit status 0 when both replies are successes. */
#include <cfedriver.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

/* A reply belongs to the library and stays valid only until this thread's next call into it:
 * keep a copy of your own. */
static char *copy_reply(const char *reply) {
  char *copy = strdup(reply ? reply : "");
  if (!copy) {
    perror("consultar");
    exit(1);
  }
  return copy;
}

/* Field 1 of a reply ("session|code|message|...") is the five-digit return code. */
static int has_code(const char *reply, const char *code) {
  const char *bar = strchr(reply, '|');
  return bar && strncmp(bar + 1, code, 5) == 0 && bar[6] == '|';
}

int main(int argc, char **argv) {
  const char *activation_code = argc > 1 ? argv[1] : "12345678";
  /* Each call takes a session number of its own (1 to 999999): the reply carries it back. */
  int session = (int)(time(NULL) % 900000) + 1;

  char *sat = copy_reply(ConsultarSAT(session));
  printf("ConsultarSAT: %s\n", sat);
  char *status = copy_reply(ConsultarStatusOperacional(session + 1, activation_code));
  printf("ConsultarStatusOperacional: %s\n", status);
  printf("driver %s\n", SetDriver("VERSAO", ""));

  /* 08098 is also the answer when no device could be reached at all. */
  int ok = has_code(sat, "08000") && has_code(status, "10000");
  free(sat);
  free(status);
  return ok ? 0 : 1;
}
