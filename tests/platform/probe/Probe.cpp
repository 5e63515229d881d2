// A small library for the library-loading tests: which copy was loaded, and
// whether its state survived (a copy loaded twice, or unloaded too early).
static int calls = 0;

extern "C" __attribute__((visibility("default"))) int lm_probe_value() { return LM_PROBE_VALUE; }
extern "C" __attribute__((visibility("default"))) int lm_probe_calls() { return ++calls; }
