/* ridgecore.h as a C program sees it: it must compile as C and give the same layouts. */
#include <stddef.h>

#include "ridgecore.h"

int ridgecoreLayoutFromC(void) {
  return sizeof(tagFDATA) == 1192 && sizeof(tagENROLL) == 3603 && sizeof(tagFASTFDATA) == 5210 &&
         sizeof(tagFASTENROLL) == 15650 && offsetof(tagENROLL, flags) == 3592 && offsetof(tagFASTENROLL, flags) == 15639;
}
