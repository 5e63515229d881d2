#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "lockmere/bio/RecordSearch.h"
#include "lockmere/store/TemplateRecords.h"
#include "lockmere/tools/account/core/Problem.h"
#include "platform/Library.h"
#include "ridgecore/ridgecore.h"

// Fingers from image files: the command-line twin of enrolling at the sensor,
// through the same slot functions of the library and so the same enrollment
// rule, and the check that a finger is not enrolled twice.
namespace account {

// A 300 x 300 image file (PGM or PNG, any depth, turned grey) as the sensor
// delivers it. Files have dark ridges on a light ground, as on paper and in
// the sample sets, unless sensorPolarity says they are as the sensor delivers
// them (bright ridges); paper polarity is inverted.
Outcome<std::vector<unsigned char>> loadFingerImage(const std::string& path, bool sensorPolarity);

class ImageEnroller {
 public:
  ImageEnroller();  // loads libRidgecore.so by file name
  bool isLoaded() const { return makeEnroll_ && setLevel_; }
  const std::string& errorString() const { return error_; }

  // One finger from three impressions: VD_MakeEnroll fills slots 0, 1, 2 from
  // them in the given order. When the enrollment rule refuses one (another
  // finger, not moved), the other orders of the same three are tried: the rule
  // compares each new impression with the slots already filled, so the order
  // can decide. Then VD_SetSecurityLevel gives the template the level.
  // FingerRefused (detail: which image and why) when no order is accepted.
  Outcome<tagENROLL> enroll(const std::array<const unsigned char*, 3>& images, int level) const;
  // The same from three image files (loadFingerImage).
  Outcome<tagENROLL> enrollFiles(const std::array<std::string, 3>& paths, bool sensorPolarity, int level) const;

 private:
  platform::Library library_{"Ridgecore.dll"};
  decltype(&::VD_MakeEnroll) makeEnroll_ = nullptr;
  decltype(&::VD_SetSecurityLevel) setLevel_ = nullptr;
  std::string error_;
};

// The three impressions of a template as feature records a search accepts
// (the slot functions leave the records' validity mark out).
std::array<tagFDATA, 3> impressionsOf(const tagENROLL& finger);

// The record among records that one of the finger's impressions matches,
// when there is one: the finger is enrolled there already.
std::optional<std::size_t> findEnrolledFinger(const bio::RecordSearch& search, const tagENROLL& finger,
                                              const store::TemplateRecords& records);

// Templates are the user's biometrics: wiped before they are freed.
void wipe(std::vector<tagENROLL>& fingers);
void wipe(tagENROLL& finger);

// What a library code of a slot fill means, in English.
std::string slotFillProblem(int code);

}  // namespace account
