/* Holds the desktop of a Wine session that scripts/wine-run opened.
 *
 * Wine starts explorer.exe for the desktop when the first program asks for it
 * and ends it a second after the last one leaves. Started from a test, it would
 * inherit the test's stdout and stderr and keep CTest waiting on the pipe after
 * the test has ended; started afresh for every test, it costs time. This
 * program asks for the desktop once, with its own output going to a log file,
 * says "ready" and then waits until the session is stopped. */
#include <stdio.h>
#include <windows.h>

int main(void) {
  if (GetDesktopWindow() == NULL) {
    fprintf(stderr, "wine-keeper: no desktop window\n");
    return 1;
  }
  puts("ready");
  fflush(stdout);
  Sleep(INFINITE);
  return 0;
}
