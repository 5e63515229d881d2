#pragma once

#include <string>

namespace testenv {

// Gives this process a fresh, empty LOCKMERE_HOME (unless the caller set one)
// and removes it at exit. Called by the test mains before any test runs.
void isolateHome();

// The private home of this process.
std::string home();

// ../shared/data/fingerprints beside the repository.
std::string fingerprintsDir();

// The folder that holds the built programs and the two shared libraries.
std::string binDir();

// A new empty folder below home().
std::string makeTempDir(const std::string& prefix = "tmp");

}  // namespace testenv
