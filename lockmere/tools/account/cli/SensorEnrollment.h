#pragma once

#include <ostream>
#include <vector>

#include "lockmere/store/TemplateRecords.h"
#include "lockmere/tools/account/core/Problem.h"
#include "ridgecore/ridgecore.h"

namespace account::cli {

// Enrolls count fingers at the sensor, three impressions each, through the
// binding and the fingerprint utility (EnrollStart) as the windows do, telling
// the user on out what to do. A finger that matches one of known, or one
// enrolled just before, is refused and asked for again. Needs a running
// QCoreApplication (the utility's callbacks come through the event loop).
Outcome<std::vector<tagENROLL>> enrollAtSensor(int count, int level, const store::TemplateRecords& known,
                                               std::ostream& out);

}  // namespace account::cli
