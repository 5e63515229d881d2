#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

#include "lockmere/store/Extended80.h"
#include "lockmere/store/StoreStream.h"
#include "lockmere/store/StreamError.h"

using namespace store;

namespace {

std::string randomText(std::mt19937& rng) {
  // ASCII, Hangul syllables, Hanja, and now and then a character outside the
  // code page (kept losslessly through the UTF-16 and UTF-8 forms).
  static const char* const pieces[] = {"a",  "Z",  "0",  " ", "/", "?",  "가", "힣",   "네",    "이",
                                       "버", "漢", "字", "é", "😀", "\t", "~",  "http", ".co.kr"};
  std::uniform_int_distribution<int> len(0, 3), kind(0, 2), pick(0, std::size(pieces) - 1), ascii(32, 126);
  std::string s;
  const int n = len(rng) == 0 ? 0 : std::uniform_int_distribution<int>(1, 300)(rng);
  for (int i = 0; i < n; ++i) {
    if (kind(rng) == 0)
      s += pieces[pick(rng)];
    else
      s += static_cast<char>(ascii(rng));
  }
  return s;
}

void fillRandom(std::mt19937& rng, TLMCateList& cates, TRegSiteList& sites) {
  std::uniform_int_distribution<int> small(0, 12);
  const int nc = small(rng);
  for (int i = 0; i < nc; ++i) {
    TCateItem& c = cates.Cates().add();
    c.ParentID = std::uniform_int_distribution<int>(-1, i - 1)(rng);
    c.Text = randomText(rng);
  }
  const int ns = small(rng) * 3;
  for (int i = 0; i < ns; ++i) {
    TRegSiteCollItem& s = sites.RegSites().add();
    for (std::string* f : {&s.URL, &s.Keyword, &s.Name, &s.FrameName, &s.ID_FormName, &s.ID_Name, &s.ID_Value,
                           &s.PW_FormName, &s.PW_Name, &s.PW_Value, &s.Description})
      *f = randomText(rng);
    s.CateID = std::uniform_int_distribution<int>(-1, nc - 1)(rng);
    s.LoginType = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(rng));
    s.LastAutoLogin = small(rng) < 4 ? 0.0 : std::uniform_real_distribution<double>(-1e6, 1e6)(rng);
    const int ne = small(rng) / 4;
    for (int k = 0; k < ne; ++k) {
      TExtraItems& e = s.ExtraItems.add();
      for (std::string* f : {&e.FormName, &e.Name, &e.Type_, &e.Value, &e.SelectedOption}) *f = randomText(rng);
      const int no = small(rng) / 3;
      for (int o = 0; o < no; ++o) {
        TSiteOptions& opt = e.Options.add();
        opt.Value = randomText(rng);
        opt.Text = randomText(rng);
      }
    }
  }
}

void expectSame(const TRegSiteCollItem& a, const TRegSiteCollItem& b) {
  EXPECT_EQ(a.URL, b.URL);
  EXPECT_EQ(a.Keyword, b.Keyword);
  EXPECT_EQ(a.Name, b.Name);
  EXPECT_EQ(a.FrameName, b.FrameName);
  EXPECT_EQ(a.ID_FormName, b.ID_FormName);
  EXPECT_EQ(a.ID_Name, b.ID_Name);
  EXPECT_EQ(a.ID_Value, b.ID_Value);
  EXPECT_EQ(a.PW_FormName, b.PW_FormName);
  EXPECT_EQ(a.PW_Name, b.PW_Name);
  EXPECT_EQ(a.PW_Value, b.PW_Value);
  EXPECT_EQ(a.Description, b.Description);
  EXPECT_EQ(a.CateID, b.CateID);
  EXPECT_EQ(a.LoginType, b.LoginType);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(a.LastAutoLogin), std::bit_cast<std::uint64_t>(b.LastAutoLogin));
  ASSERT_EQ(a.ExtraItems.count(), b.ExtraItems.count());
  for (int k = 0; k < a.ExtraItems.count(); ++k) {
    const TExtraItems &x = a.ExtraItems[k], &y = b.ExtraItems[k];
    EXPECT_EQ(x.FormName, y.FormName);
    EXPECT_EQ(x.Name, y.Name);
    EXPECT_EQ(x.Type_, y.Type_);
    EXPECT_EQ(x.Value, y.Value);
    EXPECT_EQ(x.SelectedOption, y.SelectedOption);
    EXPECT_EQ(y.ID(), k);
    ASSERT_EQ(x.Options.count(), y.Options.count());
    for (int o = 0; o < x.Options.count(); ++o) {
      EXPECT_EQ(x.Options[o].Value, y.Options[o].Value);
      EXPECT_EQ(x.Options[o].Text, y.Options[o].Text);
    }
  }
}

// The pieces of a piecewise write, joined, are the bytes of the whole write.
void expectPiecewiseSame(const TLMCateList& cates, const TRegSiteList& sites, const crypto::SecureBytes& whole) {
  for (std::size_t pieceSize : {std::size_t{1}, std::size_t{300}, whole.size() + 1}) {
    SCOPED_TRACE(pieceSize);
    crypto::SecureBytes joined;
    std::vector<std::size_t> sizes;
    crypto::SecureBytes spare;
    stream::write(cates, sites, pieceSize, [&](crypto::SecureBytes& piece) {
      sizes.push_back(piece.size());
      joined.insert(joined.end(), piece.begin(), piece.end());
      std::swap(piece, spare);  // the writer goes on in another buffer
      piece.assign(3, 0xEE);    // which it must empty first
    });
    EXPECT_EQ(joined, whole);
    ASSERT_FALSE(sizes.empty());
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_GE(sizes[i], pieceSize) << i;
    EXPECT_GT(sizes.back(), 0u);
  }
}

}  // namespace

TEST(StoreRoundTrip, RandomModelsReadBackAsWritten) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 80; ++round) {
    SCOPED_TRACE(round);
    TLMCateList cates;
    TRegSiteList sites;
    fillRandom(rng, cates, sites);
    const auto bytes = stream::write(cates, sites);
    const auto back = stream::read(bytes.data(), bytes.size());
    ASSERT_EQ(back.cates->Cates().count(), cates.Cates().count());
    for (int i = 0; i < cates.Cates().count(); ++i) {
      EXPECT_EQ(back.cates->Cates()[i].Text, cates.Cates()[i].Text);
      EXPECT_EQ(back.cates->Cates()[i].ParentID, cates.Cates()[i].ParentID);  // IDs equal positions here
      EXPECT_EQ(back.cates->Cates()[i].ID(), i);
    }
    ASSERT_EQ(back.sites->RegSites().count(), sites.RegSites().count());
    for (int i = 0; i < sites.RegSites().count(); ++i) expectSame(sites.RegSites()[i], back.sites->RegSites()[i]);
    // Writing what was read gives the same bytes again.
    EXPECT_EQ(stream::write(*back.cates, *back.sites), bytes);
    if (round % 4 == 0) expectPiecewiseSame(cates, sites, bytes);
  }
}

TEST(StoreRoundTrip, PiecewiseWriteFailsLikeTheWholeWrite) {
  TLMCateList cates;
  cates.Cates().add().Text = "\xC3";
  EXPECT_THROW(stream::write(cates, TRegSiteList(), 64, [](crypto::SecureBytes&) {}), StreamError);
}

TEST(StoreRoundTrip, InvalidUtf8InMemoryRefusesToWrite) {
  TLMCateList cates;
  cates.Cates().add().Text = "\xC3";
  EXPECT_THROW(stream::write(cates, TRegSiteList()), StreamError);
}

TEST(Extended80, KnownBytes) {
  const auto one = extended80::fromDouble(1.0);
  EXPECT_EQ(one, (extended80::Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  const auto minusTwo = extended80::fromDouble(-2.0);
  EXPECT_EQ(minusTwo, (extended80::Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
  EXPECT_EQ(extended80::fromDouble(0.0), extended80::Bytes{});
  EXPECT_EQ(extended80::toDouble(extended80::Bytes{}), 0.0);
}

TEST(Extended80, EveryDoubleRoundTripsExactly) {
  std::mt19937_64 rng(7);
  const double specials[] = {std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::denorm_min() * 12345,
                             45000.999988426,
                             -0.0,
                             std::numeric_limits<double>::infinity()};
  for (double d : specials)
    EXPECT_EQ(std::bit_cast<std::uint64_t>(extended80::toDouble(extended80::fromDouble(d))),
              std::bit_cast<std::uint64_t>(d))
        << d;
  for (int i = 0; i < 200000; ++i) {
    const double d = std::bit_cast<double>(rng());
    if (std::isnan(d)) continue;
    ASSERT_EQ(std::bit_cast<std::uint64_t>(extended80::toDouble(extended80::fromDouble(d))),
              std::bit_cast<std::uint64_t>(d));
  }
  EXPECT_TRUE(std::isnan(extended80::toDouble(extended80::fromDouble(std::nan("")))));
}

TEST(Extended80, WiderValuesRoundToNearestDouble) {
  // 1 + 2^-53 lies halfway between 1 and the next double: ties go to even (1).
  extended80::Bytes half = extended80::fromDouble(1.0);
  half[1] = 0x04;  // mantissa bit 10 = 2^-53 relative to the leading bit 63
  EXPECT_EQ(extended80::toDouble(half), 1.0);
  half[0] = 0x01;  // a hair above halfway rounds up
  EXPECT_EQ(extended80::toDouble(half), 1.0 + std::ldexp(1.0, -52));
  // Beyond the double range: infinity; far below it: zero.
  extended80::Bytes huge = extended80::fromDouble(1.0);
  huge[8] = 0xFE;
  huge[9] = 0x7F;
  EXPECT_TRUE(std::isinf(extended80::toDouble(huge)));
  extended80::Bytes tiny = extended80::fromDouble(1.0);
  tiny[8] = 0x01;
  tiny[9] = 0x00;
  EXPECT_EQ(extended80::toDouble(tiny), 0.0);
}
