#pragma once

#include <cstring>

#include "api/FinalizeTemplate.h"
#include "api/RecordLayout.h"
#include "bench/accuracy/MatcherFamily.h"

namespace accuracy {

// A completed template of either kind holding the three records as they
// are: every flag set, the header written, no enrollment rule.
template <typename Template, typename Record>
Bytes assembleWithoutRule(const std::array<const std::optional<Bytes>*, 3>& records,
                          ridgecore::api::TemplateKind kind) {
  Bytes templ(sizeof(Template), 0);
  Template* t = reinterpret_cast<Template*>(templ.data());
  for (int slot = 0; slot < 3; ++slot) {
    if (*records[slot]) std::memcpy(&t->slot[slot], (*records[slot])->data(), sizeof(Record));
    t->flags[slot] = 1;
  }
  ridgecore::api::Reply reply(nullptr, nullptr);
  ridgecore::api::finalizeTemplate(templ.data(), kind, reply);
  return templ;
}

}  // namespace accuracy
