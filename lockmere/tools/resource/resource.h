#pragma once

// libResource.so, the program's resource library ("Resource.dll" by the program's
// name for it): pictures, icons and the advertisement data, looked up by name and
// type as resources are. Loaded at run time by file name, never linked.
//
// Types and the format of their bytes:
//   "BITMAP"          a PNG picture (with alpha where it is drawn transparent)
//   "ICON"            an icon file (.ico) holding one PNG image per size
//   "FlashDataType"   the advertisement movie (a Shockwave file)

#ifdef __cplusplus
extern "C" {
#endif

#define LMRES_TYPE_BITMAP "BITMAP"
#define LMRES_TYPE_ICON "ICON"
#define LMRES_TYPE_FLASH "FlashDataType"

// Finds resource `name` of `type`; both compare without regard to case, as
// resource names do. 1 with *data and *size set (the bytes belong to the library
// and stay valid while it is loaded), or 0 when there is no such resource or an
// argument is null.
int LMRes_Find(const char* name, const char* type, const unsigned char** data, unsigned long* size);

// How many resources the library holds.
int LMRes_Count(void);

// Name and type of resource `index` (0 .. count - 1): 1, or 0 when the index is
// out of range or an argument is null.
int LMRes_Entry(int index, const char** name, const char** type);

#ifdef __cplusplus
}
#endif
