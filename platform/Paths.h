#pragma once

#include <string>

// Where the program keeps its files. LOCKMERE_HOME moves every per-user file
// (and the runtime folder with it), so that tests and parallel runs never see
// each other's state.
namespace platform::paths {

// Per-user configuration folder: $LOCKMERE_HOME, else $XDG_CONFIG_HOME/Veradynics,
// else ~/.config/Veradynics.
std::string userDir();

// Per-user data folder (data files, the browser profile): $LOCKMERE_HOME/data,
// else $XDG_DATA_HOME/Veradynics/Lockmere, else ~/.local/share/Veradynics/Lockmere.
std::string dataDir();

// Machine-wide folder (the system scope of the registry, written by a driver's
// installer): $LOCKMERE_MACHINE_DIR, else $LOCKMERE_HOME/machine, else /var/lib/veradynics.
std::string machineDir();

// Folder for locks and sockets, only the user can open it: $LOCKMERE_HOME/run,
// else $XDG_RUNTIME_DIR/lockmere, else /tmp/lockmere-<uid>. Created (mode 0700) on demand.
std::string runtimeDir();

// Folder of the sensor device objects: $LOCKMERE_DEVICE_DIR, else
// $LOCKMERE_HOME/run/verausb, else $XDG_RUNTIME_DIR/verausb, else /tmp/lockmere-<uid>/verausb.
std::string deviceDir();

// Creates a folder and its parents with the given mode for the folders it creates.
// Returns false (errno set) when it cannot.
bool makeDirs(const std::string& path, unsigned mode = 0700);

}  // namespace platform::paths
