#pragma once

#include <cstdint>

#include "api/RecordLayout.h"
#include "api/Reply.h"

// Security level, algorithm version and resolution of a template, for both families.
namespace ridgecore::api {

struct AlgorithmVersion {
  int number;
  const char* text;
};

inline constexpr AlgorithmVersion kClassicAlgorithm{100208, "ALGO: (VERADYNICS) AUGUST, 2002"};
inline constexpr AlgorithmVersion kFastAlgorithm{100404, "ALGO: (VERADYNICS) JANUARY, 2004"};
inline constexpr AlgorithmVersion kUnknownAlgorithm{0, "??? ALGO: (VERADYNICS) DON'T KNOW ???"};

// The classic accessors need byte 1 = 0xDA; the fast ones also byte 0 = 2.
class TemplateAccessor {
 public:
  TemplateAccessor(TemplateKind kind, const char* tag, Reply& reply) : kind_(kind), tag_(tag), reply_(reply) {}

  int setSecurityLevel(uint8_t* templ, int level);
  int securityLevel(const uint8_t* templ, int* level);
  int algorithmVersion(const uint8_t* templ, int* version, char* versionText);
  int resolution(const uint8_t* templ, int* dpi);

 private:
  bool accepted(const uint8_t* templ, const void* output);

  TemplateKind kind_;
  const char* tag_;
  Reply& reply_;
};

}  // namespace ridgecore::api
