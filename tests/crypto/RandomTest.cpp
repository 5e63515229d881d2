#include "lockmere/crypto/Random.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

TEST(Random, DrawsDifferAndLookUniform) {
  std::vector<unsigned char> a(1 << 20), b(1 << 20);
  ASSERT_TRUE(crypto::randomBytes(a.data(), a.size()));
  ASSERT_TRUE(crypto::randomBytes(b.data(), b.size()));
  EXPECT_NE(a, b);
  // Each byte value about 4096 times in a mebibyte; a stuck or biased
  // generator falls far outside these bounds.
  std::array<int, 256> counts{};
  for (unsigned char v : a) ++counts[v];
  for (int v = 0; v < 256; ++v) {
    EXPECT_GT(counts[v], 3400) << v;
    EXPECT_LT(counts[v], 4800) << v;
  }
}

TEST(Random, FillsEveryByteOfOddSizes) {
  // A short read from the kernel must not leave a tail unfilled.
  for (std::size_t n : {1u, 7u, 255u, 257u, 70000u}) {
    std::vector<unsigned char> buf(n + 1, 0);
    ASSERT_TRUE(crypto::randomBytes(buf.data(), n));
    EXPECT_EQ(buf[n], 0) << "wrote past the end";
    std::size_t zeros = 0;
    for (std::size_t i = 0; i < n; ++i) zeros += buf[i] == 0;
    EXPECT_LT(zeros, n / 50 + 3);
  }
}
