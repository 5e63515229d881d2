#include "api/FinalizeTemplate.h"

#include <cstring>

namespace ridgecore::api {

int finalizeTemplate(uint8_t* templ, TemplateKind kind, Reply& reply) {
  if (!templ) return reply.fail(kWrongParam, "WEHI", "Wrong param : pFinger is NULL.");
  const bool classic = kind == TemplateKind::Classic;
  templ[kTemplateTypeOffset] = classic ? kTemplateTypeClassic : kTemplateTypeFast;
  templ[kTemplateMagicOffset] = RIDGECORE_ENROLL_MAGIC;
  templ[kTemplateSecurityOffset] = VD_SECURITYMAX;
  templ[3] = templ[4] = 0;
  templ[5] = templ[6] = 150;
  if (classic) {
    const uint32_t dpi = kTemplateDpi;
    for (int i = 0; i < 4; ++i) templ[kTemplateDpiOffset + i] = static_cast<uint8_t>(dpi >> (8 * i));
    templ[12] = 3;
  } else {
    templ[kFastTemplateDpiOffset] = kTemplateDpi / 5;
  }
  std::memset(templ + TemplateLayout::of(kind).reservedOffset, 0, 6);
  return reply.succeed();
}

}  // namespace ridgecore::api
