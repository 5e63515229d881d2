#pragma once

#include <string>
#include <string_view>

// Where the program keeps its files, and the one place that makes its private
// folders ready for use. LOCKMERE_HOME moves every per-user file (and the
// runtime folder with it), so that tests and parallel runs never see each
// other's state.
//
// Before creating anything in a per-user folder, ask privateDir() for it:
//
//   auto dir = platform::paths::privateDir(platform::paths::Folder::Data);
//   if (!dir) return fail(dir.error);          // names the folder and the reason
//   platform::AtomicFile::writeFile(dir.path + "/" + name, bytes);
//
// The functions that return a bare location (userDir() ...) only compute it.
namespace platform::paths {

// The user's home folder: $HOME, else the password database's entry of this
// user. Empty when neither knows one (nothing per-user then falls back to a
// shared folder).
std::string homeDir();

// Per-user configuration folder: $LOCKMERE_HOME, else $XDG_CONFIG_HOME/Veradynics,
// else ~/.config/Veradynics.
std::string userDir();

// Per-user data folder (data files, the browser profile): $LOCKMERE_HOME/data,
// else $XDG_DATA_HOME/Veradynics/Lockmere, else ~/.local/share/Veradynics/Lockmere.
std::string dataDir();

// Machine-wide folder (the system scope of the registry, written by a driver's
// installer): $LOCKMERE_MACHINE_DIR, else $LOCKMERE_HOME/machine, else /var/lib/veradynics.
std::string machineDir();

// Folder for locks and sockets: $LOCKMERE_HOME/run, else $XDG_RUNTIME_DIR/lockmere,
// else /tmp/lockmere-<uid>. Not created here: privateDir(Folder::Runtime) does that.
std::string runtimeDir();

// Folder of the sensor device objects: $LOCKMERE_DEVICE_DIR, else
// $LOCKMERE_HOME/run/verausb, else $XDG_RUNTIME_DIR/verausb, else /tmp/lockmere-<uid>/verausb.
std::string deviceDir();

// The program's private folders: only this user may enter them.
enum class Folder {
  Config,   // userDir(): the registry
  Data,     // dataDir(): data files, the browser profile
  Runtime,  // runtimeDir(): locks, the message bridge's socket
  Device,   // deviceDir(): the simulated sensor's device objects
};

std::string location(Folder folder);

// A private folder made ready for use, or the reason it cannot be used.
struct PrivateDir {
  std::string path;   // empty when refused
  std::string error;  // "the folder /tmp/lockmere-1000 belongs to another user (uid 1001); not using it"
  explicit operator bool() const { return !path.empty(); }
};

// Creates the folder when it is missing (mode 0700, and so are the parents it
// creates), then accepts it only when, opened without following a symbolic link,
// it is a folder owned by this user with no access for group and others, and no
// folder above it can be changed by another user. A folder that fails is refused,
// never repaired: its mode and owner stay as they are.
PrivateDir privateDir(Folder folder);
// A subfolder of one of them, checked the same way; subfolder is a relative path
// without "." or ".." parts (the browser profile: privateDir(Folder::Data, "browser")).
PrivateDir privateDir(Folder folder, std::string_view subfolder);
// Any absolute path, with the same checks. create false: a missing folder is an
// error (errno-like reason "does not exist") and nothing is made.
PrivateDir privateDir(const std::string& path, bool create = true);

// Opens a file inside a private folder: never through a symbolic link, close-on-exec,
// without waiting on a FIFO; anything but a regular file of this user is refused.
// flags as for open(2) (O_CREAT makes the file with mode). Returns the descriptor,
// or -1 with errno set and *error naming the file and the reason.
int openPrivateFile(const std::string& path, int flags, std::string* error = nullptr, unsigned mode = 0600);

// Writes a message about a refused folder or file to standard error, once per
// process and message: for libraries, whose callers only see an error code.
void warnOnce(const std::string& message);

// Creates a folder and its parents with the given mode for the folders it creates.
// Returns false (errno set) when it cannot. No checks: for folders that are not
// private (the machine scope); private ones come from privateDir().
bool makeDirs(const std::string& path, unsigned mode = 0700);

}  // namespace platform::paths
