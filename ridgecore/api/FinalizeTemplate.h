#pragma once

#include <cstdint>

#include "api/RecordLayout.h"
#include "api/Reply.h"

namespace ridgecore::api {

// Writes the header of a template whose three slots are filled: type, magic,
// security level 5, centre, resolution and impressions, and zeroes the first
// six reserved bytes. Nothing inside the slots changes.
int finalizeTemplate(uint8_t* templ, TemplateKind kind, Reply& reply);

}  // namespace ridgecore::api
