/* A tweak for loader tests that needs nothing but the C library: its initialiser appends its
   name to the file named by QV_PROBE_LOG, so a test sees which libraries loaded, in which order. */
#include <stdio.h>
#include <stdlib.h>

__attribute__((constructor)) static void probe_loaded(void) {
    const char* path = getenv("QV_PROBE_LOG");
    if (!path) return;
    FILE* log = fopen(path, "a");
    if (!log) return;
    fprintf(log, "%s\n", PROBE_NAME);
    fclose(log);
}
