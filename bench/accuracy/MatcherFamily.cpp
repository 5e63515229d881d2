#include "bench/accuracy/MatcherFamily.h"

#include <algorithm>
#include <memory>

#include "bench/accuracy/ClassicFamily.h"

namespace accuracy {

std::vector<std::string> familyNames() { return {"classic"}; }

std::unique_ptr<MatcherFamily> makeFamily(const std::string& name, const FamilyOptions& options) {
  if (name == "classic") return std::make_unique<ClassicFamily>(options);
  return nullptr;
}

}  // namespace accuracy
