#include "api/TemplateAccessors.h"

#include <cstring>

namespace ridgecore::api {

bool TemplateAccessor::accepted(const uint8_t* templ, const void* output) {
  if (!templ || !output) {
    reply_.fail(kWrongParam, tag_, "Wrong param : NULL pointer.");
    return false;
  }
  const bool typeOk = kind_ == TemplateKind::Classic || templ[kTemplateTypeOffset] == kTemplateTypeFast;
  if (!typeOk || !hasTemplateMagic(templ)) {
    reply_.fail(kBadTemplate, tag_, "There is an error in ENROLL data.");
    return false;
  }
  return true;
}

int TemplateAccessor::setSecurityLevel(uint8_t* templ, int level) {
  if (level < VD_SECURITYMIN || level > VD_SECURITYMAX) {
    return reply_.fail(kWrongParam, tag_, "VD_SECURITYMIN <= iSecurityLevel <= VD_SECURITYMAX");
  }
  if (!accepted(templ, templ)) return 0;
  templ[kTemplateSecurityOffset] = static_cast<uint8_t>(level);
  return reply_.succeed();
}

int TemplateAccessor::securityLevel(const uint8_t* templ, int* level) {
  if (!accepted(templ, level)) return 0;
  *level = templ[kTemplateSecurityOffset];
  return reply_.succeed();
}

int TemplateAccessor::algorithmVersion(const uint8_t* templ, int* version, char* versionText) {
  if (!accepted(templ, version)) return 0;
  AlgorithmVersion v = kFastAlgorithm;
  if (kind_ == TemplateKind::Classic) {
    const int type = templ[kTemplateTypeOffset];
    v = type == kTemplateTypeClassic ? kClassicAlgorithm
        : type == kTemplateTypeFast  ? kFastAlgorithm
                                     : kUnknownAlgorithm;
  }
  *version = v.number;
  if (versionText) std::strcpy(versionText, v.text);
  return reply_.succeed();
}

int TemplateAccessor::resolution(const uint8_t* templ, int* dpi) {
  if (!accepted(templ, dpi)) return 0;
  if (kind_ == TemplateKind::Classic) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(templ[kTemplateDpiOffset + i]) << (8 * i);
    *dpi = static_cast<int>(value);
  } else {
    *dpi = templ[kFastTemplateDpiOffset] * 5;
  }
  return reply_.succeed();
}

}  // namespace ridgecore::api
