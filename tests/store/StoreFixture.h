#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "lockmere/crypto/Random.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/store/TemplateRecords.h"
#include "tests/support/TestEnv.h"

namespace storetest {

inline crypto::SecureBytes randomKey(std::size_t n = 56) {
  crypto::SecureBytes key(n);
  crypto::randomBytes(key.data(), key.size());
  return key;
}

// A template whose bytes say which record it is.
inline tagENROLL sampleEnroll(int seed) {
  tagENROLL e;
  auto* p = reinterpret_cast<unsigned char*>(&e);
  for (std::size_t i = 0; i < sizeof e; ++i) p[i] = static_cast<unsigned char>(seed * 31 + i * 7);
  e.magic = RIDGECORE_ENROLL_MAGIC;
  return e;
}

// A user as the new-user tool leaves one behind: data file, Key1, Key2.
struct TestUser {
  std::string id;
  std::string password;
  std::string path;
  crypto::SecureBytes dataKey = randomKey();
  crypto::SecureBytes programKey = store::fixed::programKey();
  store::TemplateRecords records;
  store::keys::Block key1{}, key2{};

  TestUser(std::string userId, std::string pw, int recordCount = 2,
           std::int32_t recordSize = store::TemplateRecords::kRecordSize, std::string dir = "")
      : id(std::move(userId)), password(std::move(pw)) {
    if (dir.empty()) dir = testenv::makeTempDir("user");
    path = dir + "/" + std::to_string(recordCount) + "-" + std::to_string(recordSize) + ".dat";
    const std::string owner = *store::keys::idBytes(id);
    for (int i = 0; i < recordCount; ++i) {
      auto r = store::TemplateRecords::makeRecord(owner, sampleEnroll(i));
      records.appendRecord(r.data());
    }
    std::string error;
    if (!store::DataFile::create(path, id, dataKey, records, programKey, recordSize, &error))
      throw std::runtime_error(error);
    key1 = *store::keys::makeKey1(id, password, dataKey, programKey);
    key2 = *store::keys::makeKey2(id, records, dataKey, programKey);
  }

  store::DataFileHeader header() const { return *store::DataFile(path).readHeader(); }
};

inline std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string bytesOf(const crypto::SecureBytes& b) { return std::string(b.begin(), b.end()); }

}  // namespace storetest
