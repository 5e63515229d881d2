#pragma once

#include <cstddef>
#include <cstdint>

#include "ridgecore.h"

// Byte layouts of the records that cross the library boundary.
namespace ridgecore::api {

inline constexpr int kFillerStart = 45000;  // image byte copied to record offset 0

inline constexpr char kFDataMark[6] = {'1', '0', '4', '0', 'D', 'V'};
inline constexpr char kFastFDataMark[6] = {'1', '0', '4', '0', 'T', 'F'};

bool hasFDataMark(const tagFDATA& record);
void writeFDataMark(tagFDATA& record);
bool hasFastFDataMark(const tagFASTFDATA& record);
void writeFastFDataMark(tagFASTFDATA& record);

// Fills `size` record bytes with image bytes 45000 onward.
void fillFromImage(void* record, std::size_t size, const uint8_t* image);

enum class TemplateKind { Classic, Fast };

// Where the slots, flags and reserved bytes of a template lie.
struct TemplateLayout {
  TemplateKind kind;
  std::size_t slotOffset[3];
  std::size_t slotSize;
  std::size_t flagsOffset;
  std::size_t reservedOffset;  // 8 reserved bytes

  static const TemplateLayout& classic();
  static const TemplateLayout& fast();
  static const TemplateLayout& of(TemplateKind kind);
};

inline constexpr int kTemplateTypeClassic = 1;
inline constexpr int kTemplateTypeFast = 2;
inline constexpr int kTemplateTypeOffset = 0;
inline constexpr int kTemplateMagicOffset = 1;
inline constexpr int kTemplateSecurityOffset = 2;
inline constexpr int kTemplateDpiOffset = 8;      // classic: i32
inline constexpr int kFastTemplateDpiOffset = 7;  // fast: dpi / 5
inline constexpr int kTemplateDpi = 480;

bool hasTemplateMagic(const uint8_t* templ);

// The 1:N buffer: template i starts at buffer + headerSize + i * dataSize.
struct TemplateList {
  const uint8_t* buffer;
  int count;
  int dataSize;
  int headerSize;
  const uint8_t* at(int i) const {
    return buffer + static_cast<std::ptrdiff_t>(headerSize) +
           static_cast<std::ptrdiff_t>(i) * static_cast<std::ptrdiff_t>(dataSize);
  }
};

}  // namespace ridgecore::api
