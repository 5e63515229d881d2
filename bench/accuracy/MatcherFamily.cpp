#include "bench/accuracy/MatcherFamily.h"

#include <algorithm>
#include <memory>

#include "bench/accuracy/ClassicFamily.h"
#include "bench/accuracy/FastFamily.h"

namespace accuracy {

std::vector<std::string> familyNames() { return {"classic", "fast"}; }

std::unique_ptr<MatcherFamily> makeFamily(const std::string& name, const FamilyOptions& options) {
  if (name == "classic") return std::make_unique<ClassicFamily>(options);
  if (name == "fast") return std::make_unique<FastFamily>(options);
  return nullptr;
}

}  // namespace accuracy
