// The algorithm library is not built yet; this shell only gives the build its shape.
#include "ridgecore.h"
