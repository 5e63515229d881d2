#include "lockmere/crypto/Hash.h"

#include <gtest/gtest.h>

#include <string>

using crypto::Hash;

TEST(Md5, Rfc1321Suite) {
  const std::pair<const char*, const char*> suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (auto [text, digest] : suite) {
    SCOPED_TRACE(text);
    EXPECT_EQ(crypto::md5Hex(text), digest);
    auto raw = Hash::hash(text, Hash::Md5);
    ASSERT_EQ(raw.size(), 16u);
    EXPECT_EQ(crypto::toHex(raw), digest);
  }
}

TEST(Sha1, Fips180Examples) {
  EXPECT_EQ(crypto::toHex(Hash::hash("abc", Hash::Sha1)), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(crypto::toHex(Hash::hash("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", Hash::Sha1)),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  // One million 'a', fed in uneven pieces.
  Hash h(Hash::Sha1);
  const std::string piece(999, 'a');
  std::size_t fed = 0;
  while (fed + piece.size() <= 1000000) {
    h.addData(piece);
    fed += piece.size();
  }
  h.addData(std::string(1000000 - fed, 'a'));
  EXPECT_EQ(crypto::toHex(h.result()), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Hash, ResultLeavesTheRunningDigestOpen) {
  Hash h(Hash::Md5);
  h.addData("message ");
  EXPECT_EQ(crypto::toHex(h.result()), crypto::md5Hex("message "));
  h.addData("digest");
  EXPECT_EQ(crypto::toHex(h.result()), "f96b697d7cb7938d525a2f31aaf161d0");
}
