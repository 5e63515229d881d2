#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// What the shared status block tells the browser add-on.
struct StatusBlockData {
  std::uint32_t windowHandle = 0;  // the main window's handle on the message bus; 0 when the program ended
  bool loggedIn = false;           // a user is logged in
  bool autoGetUrl = false;         // the user's AutoGetIEURL setting while logged in, else false
};

// The writer side of the shared status block: POSIX shared memory named
// defaultName() ("/Lockmere Memory Maped IO.<uid>"), 6 bytes, mode 0600, little-endian:
//   offset 0, 4 bytes: window handle; offset 4: logged in (0/1); offset 5: AutoGetIEURL (0/1).
// The main window creates it at start and removes it at exit; every write maps a
// view, stores the field and unmaps the view again. Main thread only.
//
//   platform::StatusBlock block;            // name from defaultName()
//   if (!block.create(mainWindowHandle)) log(block.errorString());
//   block.setLoggedIn(true); block.setAutoGetUrl(settings.autoGetIEURL);
//   ...                                     // the destructor writes handle 0 and removes it
class StatusBlock {
 public:
  static constexpr std::size_t kSize = 6;
  static constexpr std::size_t kLoggedInOffset = 4;
  static constexpr std::size_t kAutoGetUrlOffset = 5;
  static constexpr const char* kName = "/Lockmere Memory Maped IO";

  // The name of this user's block: kName (or $LOCKMERE_SHM_NAME, with which tests
  // give every run its own) followed by "." and the user id, for instance
  // "/Lockmere Memory Maped IO.1000". The machine has one name space for shared
  // memory: with the design's single name the first user to start the program
  // would keep every other user's program from creating its block. Writer and
  // readers (the browser add-on) all take the name from here.
  static std::string defaultName();
  static std::string nameForUser(unsigned uid);
  // A POSIX shared-memory name: a leading "/" is added when missing; empty when the
  // name is unusable (a "/" inside it, or too long).
  static std::string normalizedName(const std::string& name);

  explicit StatusBlock(std::string name = defaultName());
  ~StatusBlock();
  StatusBlock(const StatusBlock&) = delete;
  StatusBlock& operator=(const StatusBlock&) = delete;

  // Creates the block (or takes over one left behind by a crashed run of ours),
  // sizes it to 6 bytes and writes the handle with both flags 0. False when it
  // cannot, for instance when another user's program holds the name.
  bool create(std::uint32_t windowHandle);
  bool isCreated() const { return fd_ >= 0; }

  bool setWindowHandle(std::uint32_t handle);
  bool setLoggedIn(bool loggedIn);
  bool setAutoGetUrl(bool autoGetUrl);

  // Writes handle 0 (a reader that still has the block open sees that the program
  // ended) and removes the name. Safe to call twice.
  void remove();

  const std::string& name() const { return name_; }
  const std::string& errorString() const { return error_; }

 private:
  bool store(std::size_t offset, std::uint32_t value, std::size_t width);
  bool fail(const std::string& what, int err);

  std::string name_;
  std::string error_;
  int fd_ = -1;
};

}  // namespace platform
