#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/DataFileHeader.h"
#include "lockmere/store/TemplateRecords.h"

// The key hierarchy: the per-user data key, wrapped in Key1 (under a key from
// the password) and Key2 (under a key from the fingerprint templates), and the
// check block in the data file's header that confirms a data key.
//
// User IDs and passwords are UTF-8 here and enter the blocks and MD5 as
// code-page bytes. A user ID must be 1 to 50 code-page bytes.
namespace store::keys {

inline constexpr std::size_t kBlockSize = 112;
inline constexpr std::size_t kIdFieldSize = 50;
inline constexpr std::size_t kDataKeyOffset = 50;
using Block = std::array<unsigned char, kBlockSize>;

// XOR of byte i with byte i mod 56 of the program key; its own inverse.
void mask(unsigned char* block, std::size_t size, const crypto::SecureBytes& programKey);

// The user ID as code-page bytes; nullopt when empty, longer than 50 bytes or
// without a code-page form.
std::optional<std::string> idBytes(std::string_view userId);

// MD5(p + hex(MD5(p))), p = the password's code-page bytes with leading and
// trailing blanks and control characters removed. Nullopt when the password
// has no code-page form.
std::optional<crypto::SecureBytes> passwordKey(std::string_view password);

// MD5 over the records whose 50-byte owner field equals ownerField, in order.
crypto::SecureBytes fingerprintKey(const TemplateRecords& records, std::string_view ownerField);

// True when the header's check block, decrypted with dataKey and the header
// IV, begins with the user ID's bytes.
bool verifyDataKey(std::string_view userId, const crypto::SecureBytes& dataKey, const DataFileHeader& header);

// Key1 -> data key: decrypt with the password key and the Key1 IV, unmask,
// compare the ID, take bytes 50-105, verify them against the header.
// key1 / key2 are the registry value's bytes: anything but 112 of them fails.
std::optional<crypto::SecureBytes> unwrapByPassword(std::string_view userId, std::string_view password,
                                                    const unsigned char* key1, std::size_t key1Size,
                                                    const DataFileHeader& header,
                                                    const crypto::SecureBytes& programKey);

// Key1 -> data key without the check against the data file: what the
// confirmation window asks (the ID inside Key1 must be the user's), and what a
// tool asks of an account whose data file may be gone. Nullopt when the
// password does not open Key1.
std::optional<crypto::SecureBytes> openKey1(std::string_view userId, std::string_view password,
                                            const unsigned char* key1, std::size_t key1Size,
                                            const crypto::SecureBytes& programKey);

// The owner of record index in the all-users array (bytes 0-49 trimmed): whose
// Key2 and data file the caller fetches for unwrapByFingerprint.
std::optional<std::string> fingerprintOwner(const TemplateRecords& allUsers, std::size_t index);

// Key2 -> data key for the owner of record index: the fingerprint key is MD5
// over all records with the same owner field, in array order.
std::optional<crypto::SecureBytes> unwrapByFingerprint(const TemplateRecords& allUsers, std::size_t index,
                                                       const unsigned char* key2, std::size_t key2Size,
                                                       const DataFileHeader& ownerHeader,
                                                       const crypto::SecureBytes& programKey);

// The other direction, for the account tools and tests. Unused bytes are random.
// Nullopt for a user ID that idBytes() refuses (or a password without a
// code-page form), or a data key that is not 56 bytes.
std::optional<Block> makeKey1(std::string_view userId, std::string_view password, const crypto::SecureBytes& dataKey,
                              const crypto::SecureBytes& programKey);
std::optional<Block> makeKey2(std::string_view userId, const TemplateRecords& userRecords,
                              const crypto::SecureBytes& dataKey, const crypto::SecureBytes& programKey);
std::optional<Block> makeCheckBlock(std::string_view userId, const crypto::SecureBytes& dataKey);

}  // namespace store::keys
