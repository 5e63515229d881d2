#pragma once

#include <cstdint>
#include <functional>

#include "api/MatcherBridge.h"
#include "api/RecordLayout.h"
#include "api/Reply.h"

namespace ridgecore::api {

// How one export fills a template slot.
struct SlotFill {
  const char* tag;
  TemplateKind kind;
  int reservedChecked;  // how many reserved bytes must be 0 (7, or 8 for the record fills)
  NotMovedBand band;
  const char* notMovedText;  // the -10 text after the tag
  // Writes the new impression into the slot; on failure sets the reply and returns false.
  std::function<bool(uint8_t* slot, Reply& reply)> obtain;
  // Draws RetryPicture where the export shows it (none for the record fills).
  std::function<void()> drawRetry;
  // The classic consistency rule's comparisons.
  MatchOptions matching{};
};

inline constexpr char kNotMovedInFingerprint[] =
    "No sufficient offset in fingerprint. Please lift your finger & try again!";

// The slot-filling flow shared by VD_Enroll, VD_MakeEnroll, VD_MakeEnrollUsingFData
// and their fast twins: parameter checks, the new impression, the
// consistency rule against the filled slots, the flag and, once all three
// slots are filled, the template header.
int fillSlot(const SlotFill& fill, int iSelection, uint8_t* templ, Reply& reply);

}  // namespace ridgecore::api
