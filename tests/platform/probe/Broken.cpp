// A library that needs a symbol nobody provides: it must fail to load, not later.
extern "C" int lm_symbol_nobody_defines();
extern "C" __attribute__((visibility("default"))) int lm_broken() { return lm_symbol_nobody_defines(); }
