#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <random>

#include "lockmere/crypto/CryptoError.h"
#include "lockmere/store/StoreCipher.h"
#include "lockmere/store/StoreStream.h"
#include "lockmere/store/UserStore.h"
#include "tests/store/StoreFixture.h"

using namespace store;
using storetest::readAll;
using storetest::TestUser;
using storetest::writeAll;

namespace {

void addSites(UserStore& s, int n, const std::string& memo = "memo") {
  TCateItem& c = s.cates().Cates().add();
  c.Text = "폴더";
  for (int i = 0; i < n; ++i) {
    TRegSiteCollItem& site = s.sites().RegSites().add();
    site.Name = "site " + std::to_string(i);
    site.PW_Value = "pw" + std::to_string(i);
    site.Description = memo;
    site.CateID = c.ID();
  }
}

// The header and the records of a data file: what every save must keep.
std::string head(const TestUser& u) {
  return readAll(u.path).substr(0, static_cast<std::size_t>(u.header().storeOffset()));
}

}  // namespace

TEST(StoreCipher, BlockCountsFor0And8And13Bytes) {
  const auto key = storetest::randomKey();
  for (auto [n, blocks] : {std::pair{0u, 2u}, {8u, 3u}, {13u, 3u}, {16u, 4u}}) {
    SCOPED_TRACE(n);
    crypto::SecureBytes stream(n);
    for (std::size_t i = 0; i < n; ++i) stream[i] = static_cast<unsigned char>(0xA0 + i);
    const auto enc = storecipher::encrypt(stream, key);
    EXPECT_EQ(enc.size(), blocks * 8);
    // Decrypt by hand: the final block carries the count in byte 7, zeros before it.
    crypto::Blowfish bf(key.data(), key.size());
    crypto::Blowfish::Iv iv;
    bf.decryptEcb(enc.data(), iv.data(), 8);
    std::vector<unsigned char> plain(enc.size() - 8);
    bf.decryptCbc(enc.data() + 8, plain.data(), plain.size(), iv);
    const unsigned char* last = plain.data() + plain.size() - 8;
    EXPECT_EQ(last[7], n % 8);
    for (std::size_t i = n % 8; i < 7; ++i) EXPECT_EQ(last[i], 0) << i;
    EXPECT_TRUE(std::equal(stream.begin(), stream.end(), plain.begin()));

    crypto::SecureBytes back;
    std::string error;
    ASSERT_TRUE(storecipher::decrypt(enc.data(), enc.size(), key, back, error)) << error;
    EXPECT_EQ(back, stream);
  }
  // A fresh IV every time.
  crypto::SecureBytes same(20, 1);
  EXPECT_NE(storecipher::encrypt(same, key), storecipher::encrypt(same, key));
}

TEST(StoreCipher, PiecesOfAnySizeEncryptLikeTheWholeStream) {
  const auto key = storetest::randomKey();
  const crypto::Blowfish::Iv iv{1, 2, 3, 4, 5, 6, 7, 8};
  std::mt19937 rng(7);
  for (std::size_t n : {0u, 5u, 8u, 1003u, 4096u}) {
    SCOPED_TRACE(n);
    crypto::SecureBytes stream(n);
    for (auto& b : stream) b = static_cast<unsigned char>(rng());
    // By hand: the IV in ECB, then the stream and its count block in one CBC chain.
    crypto::Blowfish bf(key.data(), key.size());
    std::vector<unsigned char> expected(storecipher::encryptedSize(n), 0);
    bf.encryptEcb(iv.data(), expected.data(), 8);
    std::vector<unsigned char> plain(expected.size() - 8, 0);
    std::copy(stream.begin(), stream.end(), plain.begin());
    plain.back() = static_cast<unsigned char>(n % 8);
    bf.encryptCbc(plain.data(), expected.data() + 8, plain.size(), iv);

    for (std::size_t piece : {1u, 3u, 7u, 8u, 9u, 61u, 0u}) {
      SCOPED_TRACE(piece);
      storecipher::Encryptor encryptor(key, iv);
      std::vector<unsigned char> out;
      for (std::size_t at = 0; at < n;) {
        // Piece 0 stands for random sizes, empty pieces among them.
        const std::size_t size = std::min(n - at, piece ? piece : static_cast<std::size_t>(rng() % 20));
        encryptor.update(stream.data() + at, size, out);
        EXPECT_EQ(out.size() % 8, 0u);
        at += size;
      }
      encryptor.finish(out);
      EXPECT_EQ(out, expected);
      EXPECT_THROW(encryptor.update(stream.data(), 0, out), crypto::CryptoError);
    }
  }
}

TEST(StoreCipher, RejectsShortPartialAndBadCount) {
  const auto key = storetest::randomKey();
  crypto::SecureBytes stream(13, 7);
  auto enc = storecipher::encrypt(stream, key);
  crypto::SecureBytes out;
  std::string error;
  EXPECT_FALSE(storecipher::decrypt(enc.data(), 8, key, out, error));   // IV block only
  EXPECT_FALSE(storecipher::decrypt(enc.data(), 7, key, out, error));   // not even that
  EXPECT_FALSE(storecipher::decrypt(enc.data(), 20, key, out, error));  // not whole blocks
  // A final block whose count byte says 8 or more.
  crypto::Blowfish bf(key.data(), key.size());
  crypto::Blowfish::Iv iv;
  bf.decryptEcb(enc.data(), iv.data(), 8);
  std::vector<unsigned char> plain(enc.size() - 8);
  bf.decryptCbc(enc.data() + 8, plain.data(), plain.size(), iv);
  plain.back() = 8;
  bf.encryptCbc(plain.data(), enc.data() + 8, plain.size(), iv);
  EXPECT_FALSE(storecipher::decrypt(enc.data(), enc.size(), key, out, error));
  EXPECT_NE(error.find("8 bytes"), std::string::npos);
}

TEST(DataFile, FileWithoutStoreLoadsEmptyThenSavesAndLoads) {
  TestUser u("hong", "pw", 3);
  EXPECT_EQ(readAll(u.path).size(), 148u + 3 * 3656);
  UserStore s(u.id, u.path, u.dataKey);
  ASSERT_TRUE(s.load()) << s.errorString();
  EXPECT_EQ(s.cates().Cates().count(), 0);
  EXPECT_EQ(s.sites().RegSites().count(), 0);
  const std::string before = head(u);

  addSites(s, 5);
  ASSERT_TRUE(s.save()) << s.errorString();
  EXPECT_EQ(head(u), before);  // header and records untouched

  UserStore again(u.id, u.path, u.dataKey);
  ASSERT_TRUE(again.load()) << again.errorString();
  ASSERT_EQ(again.sites().RegSites().count(), 5);
  EXPECT_EQ(again.sites().RegSites()[4].PW_Value, "pw4");
  EXPECT_EQ(again.cates().Cates()[0].Text, "폴더");
  EXPECT_EQ(again.sites().RegSites()[4].CateID, 0);
}

TEST(DataFile, ShorterStoreLeavesNoOldBytesBehind) {
  TestUser u("kim", "pw", 1);
  UserStore s(u.id, u.path, u.dataKey);
  ASSERT_TRUE(s.load());
  addSites(s, 200, std::string(100, 'm'));
  ASSERT_TRUE(s.save());
  const std::size_t bigSize = readAll(u.path).size();
  s.sites().RegSites().clear();
  s.cates().Cates().clear();
  ASSERT_TRUE(s.save());
  const std::string file = readAll(u.path);
  // Exactly the size of two empty lists: nothing of the longer store is left.
  const std::size_t streamSize = stream::write(TLMCateList(), TRegSiteList()).size();
  EXPECT_EQ(file.size(), 148u + 3656 + storecipher::encryptedSize(streamSize));
  EXPECT_LT(file.size(), bigSize);
}

TEST(DataFile, LargeSaveIsTheStreamEncryptedInOneChain) {
  // Enough sites for the stream to pass from writer to cipher in several pieces.
  TestUser u("jung", "pw", 1);
  UserStore s(u.id, u.path, u.dataKey);
  ASSERT_TRUE(s.load());
  addSites(s, 3000, std::string(150, 'm') + "메모");
  ASSERT_TRUE(s.save()) << s.errorString();
  const std::string file = readAll(u.path);
  const std::size_t offset = static_cast<std::size_t>(u.header().storeOffset());
  crypto::SecureBytes plain;
  std::string error;
  ASSERT_TRUE(storecipher::decrypt(reinterpret_cast<const unsigned char*>(file.data()) + offset, file.size() - offset,
                                   u.dataKey, plain, error))
      << error;
  const auto stream = stream::write(s.cates(), s.sites());
  ASSERT_GT(stream.size(), 700000u);
  EXPECT_EQ(plain, stream);
  EXPECT_EQ(file.size(), offset + storecipher::encryptedSize(stream.size()));
}

TEST(DataFile, SaveFailingLateInTheStreamOrOnDiskLeavesTheOldFileAlone) {
  TestUser u("kang", "pw", 1);
  UserStore s(u.id, u.path, u.dataKey);
  ASSERT_TRUE(s.load());
  addSites(s, 3000, std::string(150, 'm'));
  ASSERT_TRUE(s.save()) << s.errorString();
  const std::string before = readAll(u.path);
  // Not valid UTF-8, far enough in for pieces before it to be encrypted and written.
  s.sites().RegSites()[2900].PW_Value = "\xFF";
  EXPECT_FALSE(s.save());
  EXPECT_NE(s.errorString().find("cannot write the store"), std::string::npos) << s.errorString();
  EXPECT_EQ(readAll(u.path), before);
  const std::string dir = u.path.substr(0, u.path.rfind('/'));
  const auto filesIn = [&] {
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++files;
    return files;
  };
  EXPECT_EQ(filesIn(), 1u);  // no temporary file left behind

  // A file that cannot grow past 300 KB: the writes fail after some pieces went out.
  s.sites().RegSites()[2900].PW_Value = "pw";
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  rlimit small = limit;
  small.rlim_cur = 300 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved = s.save();
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(saved);
  EXPECT_NE(s.errorString().find("cannot write the new file"), std::string::npos) << s.errorString();
  EXPECT_EQ(readAll(u.path), before);
  EXPECT_EQ(filesIn(), 1u);
}

TEST(DataFile, SavedFileIsPrivate) {
  TestUser u("lee", "pw", 0);
  ::chmod(u.path.c_str(), 0644);
  UserStore s(u.id, u.path, u.dataKey);
  ASSERT_TRUE(s.load());
  ASSERT_TRUE(s.save());
  struct stat st {};
  ASSERT_EQ(::stat(u.path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(DataFile, HeaderValidation) {
  TestUser u("park", "pw", 2);
  const std::string good = readAll(u.path);
  const auto loads = [&](const std::string& bytes) {
    writeAll(u.path, bytes);
    return DataFile(u.path).loadStore(u.dataKey);
  };
  EXPECT_EQ(loads(good).result, StoreLoad::NoStore);
  const auto patched = [&](std::size_t at, std::string with) {
    std::string b = good;
    b.replace(at, with.size(), with);
    return b;
  };
  EXPECT_FALSE(loads(patched(0, "\x07")).ok());
  EXPECT_FALSE(loads(patched(1, "\x09")).ok());
  EXPECT_FALSE(loads(patched(20, "X")).ok());                                  // last signature byte
  EXPECT_FALSE(loads(patched(24, std::string("\x66\x00\x00\x00", 4))).ok());   // format 102
  EXPECT_FALSE(loads(patched(140, std::string("\x40\x0E\x00\x00", 4))).ok());  // R = 3648 < 3656
  EXPECT_FALSE(loads(patched(140, std::string("\x4C\x0E\x00\x00", 4))).ok());  // R = 3660, not a multiple of 8
  EXPECT_FALSE(loads(patched(144, std::string("\x03\x00\x00\x00", 4))).ok());  // N x R beyond the file
  EXPECT_FALSE(loads(patched(144, std::string("\xFF\xFF\xFF\xFF", 4))).ok());  // N negative
  EXPECT_FALSE(loads(patched(144, std::string("\xFF\xFF\xFF\x7F", 4))).ok());  // N x R overflows 32 bits
  EXPECT_FALSE(loads(good.substr(0, 100)).ok());
  EXPECT_FALSE(DataFile(u.path + ".missing").loadStore(u.dataKey).ok());
  // Bytes 21-23 are not the program's business.
  EXPECT_TRUE(loads(patched(21, "abc")).ok());
}

TEST(DataFile, SaveRefusesMissingFileAndBadHeaderAndLeavesThemAlone) {
  TestUser u("choi", "pw", 1);
  UserStore s(u.id, u.path, u.dataKey);
  ASSERT_TRUE(s.load());
  addSites(s, 3);
  std::string bad = readAll(u.path);
  bad[0] = 9;
  writeAll(u.path, bad);
  EXPECT_FALSE(s.save());
  EXPECT_EQ(readAll(u.path), bad);
  ::unlink(u.path.c_str());
  EXPECT_FALSE(s.save());
  struct stat st {};
  EXPECT_NE(::stat(u.path.c_str(), &st), 0);  // not created
}

TEST(DataFile, FailedLoadRefusesEverySaveOfTheSession) {
  TestUser u("jung", "pw", 1);
  {
    UserStore s(u.id, u.path, u.dataKey);
    ASSERT_TRUE(s.load());
    addSites(s, 10);
    ASSERT_TRUE(s.save());
  }
  // Damage the store: a short read, a bad count byte and a stream that does not parse all fail the load.
  std::string damaged = readAll(u.path);
  damaged.resize(damaged.size() - 5);
  writeAll(u.path, damaged);
  UserStore s(u.id, u.path, u.dataKey);
  EXPECT_FALSE(s.load());
  EXPECT_TRUE(s.loadFailed());
  EXPECT_EQ(s.sites().RegSites().count(), 0);
  addSites(s, 1);
  EXPECT_FALSE(s.save());
  EXPECT_NE(s.errorString().find("not saved over"), std::string::npos);
  EXPECT_EQ(readAll(u.path), damaged);

  // The wrong data key decrypts to garbage that does not parse.
  std::string intact = damaged;
  UserStore wrong(u.id, u.path, storetest::randomKey());
  writeAll(u.path, intact);
  EXPECT_FALSE(wrong.load());
  EXPECT_FALSE(wrong.save());
  EXPECT_EQ(readAll(u.path), intact);
}

TEST(DataFile, TemplateRecordsDecryptOneByOneAtAnyRecordSize) {
  for (std::int32_t recordSize : {3656, 3664, 4096}) {
    SCOPED_TRACE(recordSize);
    TestUser u("yoon", "pw", 3, recordSize);
    EXPECT_EQ(readAll(u.path).size(), 148u + 3 * static_cast<std::size_t>(recordSize));
    const auto records = DataFile(u.path).loadTemplateRecords(u.programKey);
    ASSERT_TRUE(records);
    ASSERT_EQ(records->count(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(std::memcmp(records->record(i), u.records.record(i), TemplateRecords::kRecordSize), 0) << i;
      EXPECT_EQ(*records->owner(i), "yoon");
      const tagENROLL e = records->enroll(i);
      const tagENROLL expected = storetest::sampleEnroll(static_cast<int>(i));
      EXPECT_EQ(std::memcmp(&e, &expected, sizeof e), 0);
    }
    // Each record restarts the chain: the second and third decrypt alone.
    const std::string file = readAll(u.path);
    crypto::Blowfish bf(u.programKey.data(), u.programKey.size());
    std::vector<unsigned char> one(static_cast<std::size_t>(recordSize));
    bf.decryptCbc(reinterpret_cast<const unsigned char*>(file.data()) + 148 + 2 * recordSize, one.data(), one.size(),
                  fixed::kTemplateIv);
    EXPECT_EQ(std::memcmp(one.data(), u.records.record(2), TemplateRecords::kRecordSize), 0);
  }
}

TEST(DataFile, AllUsersRecordsInListedOrder) {
  TestUser a("alice", "pw", 2), b("bob", "pw", 0), c("carol", "pw", 1);
  const auto all = loadAllTemplateRecords(
      {{"carol", c.path}, {"ghost", "/nonexistent/file"}, {"bob", b.path}, {"alice", a.path}}, a.programKey);
  ASSERT_EQ(all.count(), 3u);
  EXPECT_EQ(*all.owner(0), "carol");
  EXPECT_EQ(*all.owner(1), "alice");
  EXPECT_EQ(*all.owner(2), "alice");
}

TEST(UserStore, WipeClearsKeyIdRecordsAndLists) {
  TestUser u("han", "pw", 2);
  UserStore s(u.id, u.path, u.dataKey);
  ASSERT_TRUE(s.load());
  ASSERT_TRUE(s.loadTemplateRecords(u.programKey));
  EXPECT_EQ(s.templateRecords().count(), 2u);
  addSites(s, 2);
  s.detectedSites().RegSites().add();
  s.wipe();
  EXPECT_TRUE(s.isWiped());
  EXPECT_TRUE(s.dataKey().empty());
  EXPECT_TRUE(s.userId().empty());
  EXPECT_TRUE(s.templateRecords().isEmpty());
  EXPECT_EQ(s.sites().RegSites().count(), 0);
  EXPECT_EQ(s.detectedSites().RegSites().count(), 0);
  EXPECT_FALSE(s.save());  // nothing to save with
}
