#include "api/RecordLayout.h"

#include <cstring>

namespace ridgecore::api {

bool hasFDataMark(const tagFDATA& record) { return std::memcmp(record.mark, kFDataMark, sizeof kFDataMark) == 0; }

void writeFDataMark(tagFDATA& record) { std::memcpy(record.mark, kFDataMark, sizeof kFDataMark); }

bool hasFastFDataMark(const tagFASTFDATA& record) {
  return std::memcmp(record.mark, kFastFDataMark, sizeof kFastFDataMark) == 0;
}

void writeFastFDataMark(tagFASTFDATA& record) { std::memcpy(record.mark, kFastFDataMark, sizeof kFastFDataMark); }

void fillFromImage(void* record, std::size_t size, const uint8_t* image) {
  std::memcpy(record, image + kFillerStart, size);
}

const TemplateLayout& TemplateLayout::classic() {
  static const TemplateLayout layout{
      TemplateKind::Classic,
      {offsetof(tagENROLL, slot[0]), offsetof(tagENROLL, slot[1]), offsetof(tagENROLL, slot[2])},
      sizeof(tagFDATA),
      offsetof(tagENROLL, flags),
      offsetof(tagENROLL, reserved)};
  return layout;
}

const TemplateLayout& TemplateLayout::fast() {
  static const TemplateLayout layout{
      TemplateKind::Fast,
      {offsetof(tagFASTENROLL, slot[0]), offsetof(tagFASTENROLL, slot[1]), offsetof(tagFASTENROLL, slot[2])},
      sizeof(tagFASTFDATA),
      offsetof(tagFASTENROLL, flags),
      offsetof(tagFASTENROLL, reserved)};
  return layout;
}

const TemplateLayout& TemplateLayout::of(TemplateKind kind) {
  return kind == TemplateKind::Classic ? classic() : fast();
}

bool hasTemplateMagic(const uint8_t* templ) { return templ[kTemplateMagicOffset] == RIDGECORE_ENROLL_MAGIC; }

}  // namespace ridgecore::api
