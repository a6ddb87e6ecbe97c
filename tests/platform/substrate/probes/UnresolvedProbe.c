/* A tweak that cannot load: it calls a function no library defines. */
void qv_probe_function_that_exists_nowhere(void);

__attribute__((constructor)) static void probe_loaded(void) {
    qv_probe_function_that_exists_nowhere();
}
