#include "api/SlotFilling.h"

#include "api/FastBridge.h"
#include "api/FinalizeTemplate.h"

namespace ridgecore::api {
namespace {

EnrollVerdict consistencyWithFilledSlots(const SlotFill& fill, const uint8_t* templ, int slot) {
  if (fill.kind == TemplateKind::Classic) {
    return matcher::checkNewImpression(*reinterpret_cast<const tagENROLL*>(templ), slot, fill.band, fill.matching);
  }
  return fastmatcher::checkNewImpression(*reinterpret_cast<const tagFASTENROLL*>(templ), slot);
}

}  // namespace

int fillSlot(const SlotFill& fill, int iSelection, uint8_t* templ, Reply& reply) {
  if (iSelection < 0 || iSelection > 2) return reply.fail(kWrongParam, fill.tag, "Wrong param :  0 <= iSelection <= 2");
  const TemplateLayout& layout = TemplateLayout::of(fill.kind);
  for (int i = 0; i < fill.reservedChecked; ++i) {
    if (templ[layout.reservedOffset + i]) {
      return reply.fail(kWrongParam, fill.tag, "Wrong param : ENROLL structure should be initialized by 0 value");
    }
  }

  if (!fill.obtain(templ + layout.slotOffset[iSelection], reply)) return 0;

  uint8_t* flags = templ + layout.flagsOffset;
  flags[iSelection] = 0;
  if (flags[0] == 1 || flags[1] == 1 || flags[2] == 1) {
    // The enrollment consistency rule: the matcher's part of slot filling.
    const EnrollVerdict verdict = consistencyWithFilledSlots(fill, templ, iSelection);
    if (verdict == EnrollVerdict::NotSameFinger) {
      if (fill.drawRetry) fill.drawRetry();
      return reply.fail(kRefusedNotSameFinger, fill.tag, "Please try again!");
    }
    if (verdict == EnrollVerdict::NotMoved) {
      if (fill.drawRetry) fill.drawRetry();
      return reply.fail(kRefusedNotMoved, fill.tag, fill.notMovedText);
    }
  }

  flags[iSelection] = 1;
  if (flags[0] == 1 && flags[1] == 1 && flags[2] == 1) finalizeTemplate(templ, fill.kind, reply);
  return reply.succeed();
}

}  // namespace ridgecore::api
