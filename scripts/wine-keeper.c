/* Holds the desktop of a Wine session that scripts/wine-run opened.
 *
 * Wine starts explorer.exe for the desktop when the first program asks for it
 * and ends it a second after the last one leaves. Started from a test, it would
 * inherit the test's stdout and stderr and keep CTest waiting on the pipe after
 * the test has ended; started afresh for every test, it costs time. This
 * program asks for the desktop once, with its own output going to a log file,
 * says "ready" and then waits until the session is stopped.
 *
 * Before it says "ready", the registry must take a new key below Software in
 * both HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, as the tests' preference
 * stores make theirs: a session is open only once what its programs need
 * answers. Each refusal is logged with its error; the keeper gives up (and the
 * session does not start) after half a minute of them. */
#include <stdio.h>
#include <windows.h>

static const char kProbeKey[] = "Software\\KorvaneSessionProbe";

/* Creates the probe key below `root` and deletes it again; 0 or the error. */
static LONG probe_registry(HKEY root) {
  HKEY key = NULL;
  LONG result = RegCreateKeyExA(root, kProbeKey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                NULL, &key, NULL);
  if (result != ERROR_SUCCESS) return result;
  RegCloseKey(key);
  return RegDeleteKeyA(root, kProbeKey);
}

static int registry_answers(void) {
  const struct {
    HKEY root;
    const char* name;
  } roots[] = {{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"}, {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"}};
  for (int tries = 0; tries < 300; tries++) {
    int refused = 0;
    for (int i = 0; i < 2; i++) {
      const LONG result = probe_registry(roots[i].root);
      if (result != ERROR_SUCCESS) {
        fprintf(stderr, "wine-keeper: %s\\%s: error %ld\n", roots[i].name, kProbeKey, result);
        refused = 1;
      }
    }
    if (!refused) return 1;
    fflush(stderr);
    Sleep(100);
  }
  return 0;
}

int main(void) {
  if (GetDesktopWindow() == NULL) {
    fprintf(stderr, "wine-keeper: no desktop window\n");
    return 1;
  }
  if (!registry_answers()) {
    fprintf(stderr, "wine-keeper: the registry refused new keys for half a minute\n");
    return 1;
  }
  puts("ready");
  fflush(stdout);
  Sleep(INFINITE);
  return 0;
}
