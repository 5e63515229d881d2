#include "lockmere/tools/resource/resource.h"

#include <strings.h>

#include "lockmere/tools/resource/ResourceTable.h"

#define LMRES_EXPORT __attribute__((visibility("default")))

extern "C" {

LMRES_EXPORT int LMRes_Find(const char* name, const char* type, const unsigned char** data, unsigned long* size) {
  if (!name || !type || !data || !size) return 0;
  for (int i = 0; i < lmres::kRecordCount; ++i) {
    const lmres::Record& r = lmres::kRecords[i];
    if (::strcasecmp(r.name, name) == 0 && ::strcasecmp(r.type, type) == 0) {
      *data = r.data;
      *size = r.size;
      return 1;
    }
  }
  return 0;
}

LMRES_EXPORT int LMRes_Count(void) { return lmres::kRecordCount; }

LMRES_EXPORT int LMRes_Entry(int index, const char** name, const char** type) {
  if (!name || !type || index < 0 || index >= lmres::kRecordCount) return 0;
  *name = lmres::kRecords[index].name;
  *type = lmres::kRecords[index].type;
  return 1;
}

}  // extern "C"
