#pragma once

// The resources compiled into the library; the table is generated at build time
// from the SVG sources in art/ (lockmere-render-art).
namespace lmres {

struct Record {
  const char* name;
  const char* type;
  const unsigned char* data;
  unsigned long size;
};

extern const Record kRecords[];
extern const int kRecordCount;

}  // namespace lmres
