#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lockmere/tools/account/core/AccountRegistry.h"
#include "platform/RegistryResult.h"

// One account in one file: the user's data file as it is (store still
// encrypted under the data key, records under the program key) and the values
// of the user's registry key (Key1, Key2 and the settings; not DataFile,
// which names a place on this machine), with a format number and a SHA-256
// check over everything, so that a damaged or foreign file is refused.
//
// Layout (little-endian): "LMACCTBK", format (u32, 1), time made (i64, Unix
// seconds), ID (u32 length + UTF-8), value count (u32) and per value its name
// (u32 length + UTF-8), type (u32, the registry's numbers) and data (u32 length
// + bytes), the data file (u64 length + bytes), then the 32-byte SHA-256 of all
// that comes before it.
namespace account {

inline constexpr char kBackupMagic[] = "LMACCTBK";
inline constexpr std::uint32_t kBackupFormat = 1;

struct BackupValue {
  std::string name;
  platform::RegistryType type = platform::RegistryType::None;
  std::vector<std::uint8_t> data;
};

struct BackupContents {
  std::string id;
  std::int64_t made = 0;
  std::vector<BackupValue> values;
  std::string dataFile;  // the file's bytes

  const BackupValue* value(std::string_view name) const;  // by name, any case
};

// The account as it is now: the registry key's values and the data file.
Outcome<BackupContents> collectBackup(const AccountRegistry& accounts, std::string_view id);

std::string encodeBackup(const BackupContents& contents);
// BackupForeign (not a backup), BackupNewerFormat, BackupDamaged (check sum,
// lengths, or content that cannot be an account: an ID of no code-page form,
// Key1 or Key2 missing, a data file whose header is not valid).
Outcome<BackupContents> decodeBackup(std::string_view bytes);

// Writes the file (mode 0600, whole or not at all) and reads it back.
Failure writeBackupFile(const std::string& path, const BackupContents& contents);
Outcome<BackupContents> readBackupFile(const std::string& path);

}  // namespace account
