#include "lockmere/tools/account/cli/SensorEnrollment.h"

#include <QEventLoop>
#include <array>
#include <cstring>
#include <string>

#include "lockmere/bio/NimbraSDK.h"
#include "lockmere/bio/NimbraUtil.h"
#include "lockmere/bio/RecordSearch.h"
#include "lockmere/tools/account/core/AccountCreation.h"
#include "lockmere/tools/account/core/Fingers.h"

namespace account::cli {
namespace {

// Takes the three impressions of one finger; false when the sensor went away.
bool takeImpressions(bio::TNimbraUtil& util, tagENROLL& finger, int number, std::ostream& out, Failure& failure) {
  std::memset(&finger, 0, sizeof finger);
  std::array<unsigned char, RIDGECORE_PREVIEW_SIZE> preview{};
  for (int slot = 1; slot <= 3; ++slot) {
    QEventLoop loop;
    bool accepted = false;
    int lastCode = 0;
    int error = 0;
    out << "Finger " << number << ": "
        << (slot == 1 ? "lay it on the sensor" : "lift it and lay it again, a little moved") << " (" << slot << "/3)"
        << std::endl;
    auto done = [&](int) {
      accepted = true;
      loop.quit();
    };
    auto refused = [&](int, int code) {
      if (code == lastCode) return;  // the utility repeats a refusal until the finger changes
      lastCode = code;
      if (code == -2) out << "  That is another finger: lay the first one again." << std::endl;
      if (code == -10) out << "  The finger did not move: lift it and lay it again." << std::endl;
      if (code == -13) {
        failure = Failure(Problem::SensorUnavailable, "the sensor went away");
        loop.quit();
      }
    };
    if (!util.EnrollStart(slot, &finger, preview.data(), done, refused, &error)) {
      failure = Failure(Problem::SensorUnavailable, "it cannot be opened: " + util.errorString().toStdString());
      return false;
    }
    loop.exec();
    if (!accepted) return false;
  }
  return true;
}

}  // namespace

Outcome<std::vector<tagENROLL>> enrollAtSensor(int count, int level, const store::TemplateRecords& known,
                                               std::ostream& out) {
  bio::TNimbraMSDK sdk;
  try {
    sdk.LoadNimbraSDK();
  } catch (const std::exception& e) {
    return Failure(Problem::FingerprintLibraryMissing, e.what());
  }
  bio::TNimbraUtil util;
  util.setNimbraMSDK(&sdk);
  if (!util.IsInstalledDriver()) return Failure(Problem::SensorUnavailable, "its driver is not installed");
  if (!util.IsConnectedSensor()) return Failure(Problem::SensorUnavailable, "none is plugged in");
  const bio::RecordSearch search;
  std::vector<tagENROLL> fingers;
  while (static_cast<int>(fingers.size()) < count) {
    tagENROLL finger;
    Failure failure;
    if (!takeImpressions(util, finger, static_cast<int>(fingers.size()) + 1, out, failure)) return failure;
    char message[256];
    int error = 0;
    sdk.VD_SetSecurityLevel(&finger, level, message, &error);
    store::TemplateRecords enrolled = known;
    if (const auto own = makeRecords("-", fingers)) enrolled.append(*own);
    if (findEnrolledFinger(search, finger, enrolled)) {
      out << "  That finger is enrolled already: take another one." << std::endl;
      continue;
    }
    fingers.push_back(finger);
    wipe(finger);
  }
  return fingers;
}

}  // namespace account::cli
