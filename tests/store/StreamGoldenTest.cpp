#include <gtest/gtest.h>

#include "lockmere/store/StoreStream.h"
#include "lockmere/store/StreamError.h"
#include "tests/crypto/HexUtil.h"
#include "tests/store/StoreFixture.h"

using namespace store;
using storetest::bytesOf;

namespace {

std::string cateListBytes(const TLMCateList& cates) {
  crypto::SecureBytes out;
  stream::writeCateList(out, cates);
  return bytesOf(out);
}

std::string siteListBytes(const TRegSiteList& sites, const TLMCateList& cates) {
  crypto::SecureBytes out;
  stream::writeSiteList(out, sites, cates);
  return bytesOf(out);
}

std::string lp(const std::string& s) { return std::string(1, static_cast<char>(s.size())) + s; }

// The bytes of a site list with one item whose properties are `props`.
std::string oneSite(const std::string& props) {
  return "TPF0" + lp("TRegSiteList") + std::string(1, '\0') + lp("RegSites") + "\x0E\x01" + props +
         std::string("\0\0\0\0", 4);
}

// Writes one site and returns the bytes of its properties alone.
std::string sitePropsOf(const TRegSiteCollItem& prototype, const TLMCateList& cates = TLMCateList()) {
  TRegSiteList sites;
  sites.RegSites().insertCopy(0, prototype);
  const std::string all = siteListBytes(sites, cates);
  const std::string head = "TPF0" + lp("TRegSiteList") + std::string(1, '\0') + lp("RegSites") + "\x0E\x01";
  EXPECT_EQ(all.substr(0, head.size()), head);
  EXPECT_EQ(all.substr(all.size() - 4), std::string("\0\0\0\0", 4));
  return all.substr(head.size(), all.size() - head.size() - 4);
}

const std::string kEmptyExtra = lp("ExtraItems") + std::string("\x0E\x00", 2);

std::string tail(const TRegSiteCollItem& s) {
  // CateID -1, the login type, and no extra items: what follows the strings.
  return lp("CateID") + std::string("\x02\xFF", 2) + lp("LoginType") + std::string("\x02", 1) +
         std::string(1, static_cast<char>(s.LoginType)) + kEmptyExtra;
}

}  // namespace

TEST(StreamGolden, EmptyCategoryList) {
  TLMCateList cates;
  const std::string expected =
      "TPF0" + lp("TLMCateList") + std::string(1, '\0') + lp("Cates") + std::string("\x0E\x00\x00\x00", 4);
  EXPECT_EQ(cateListBytes(cates), expected);
}

TEST(StreamGolden, SiteWithEmptyStringsAndNoDateWritesOnlyIntegersAndCollection) {
  TRegSiteCollItem s;
  s.CateID = -1;
  s.LoginType = 3;
  EXPECT_EQ(sitePropsOf(s), tail(s));
  EXPECT_EQ(oneSite(sitePropsOf(s)).size(), 4 + 13 + 1 + 9 + 2 + tail(s).size() + 4);
}

TEST(StreamGolden, IntegerTagsBySize) {
  TLMCateList cates;
  // 201 categories so that ID 200 stays position 200.
  for (int i = 0; i < 201; ++i) cates.Cates().add();
  TRegSiteCollItem s;
  s.LoginType = 1;
  s.CateID = 200;
  EXPECT_EQ(sitePropsOf(s, cates).substr(0, 10), lp("CateID") + std::string("\x03\xC8\x00", 3));
  for (int i = 201; i < 70000; ++i) cates.Cates().add();
  s.CateID = 127;
  EXPECT_EQ(sitePropsOf(s, cates).substr(0, 9), lp("CateID") + std::string("\x02\x7F", 2));
  s.CateID = -129;  // no such category: written as it is
  EXPECT_EQ(sitePropsOf(s, cates).substr(0, 10), lp("CateID") + std::string("\x03\x7F\xFF", 3));
  s.CateID = 69999;
  EXPECT_EQ(sitePropsOf(s, cates).substr(0, 12), lp("CateID") + std::string("\x04\x6F\x11\x01\x00", 5));
}

TEST(StreamGolden, LongAsciiPasswordIsTag12) {
  TRegSiteCollItem s;
  s.PW_Value = std::string(300, 'x');
  const std::string expected =
      lp("PW_Value") + std::string("\x0C\x2C\x01\x00\x00", 5) + std::string(300, 'x') + tail(s);
  EXPECT_EQ(sitePropsOf(s), expected);
  s.PW_Value = std::string(255, 'y');  // the longest short string
  EXPECT_EQ(sitePropsOf(s), lp("PW_Value") + "\x06\xFF" + std::string(255, 'y') + tail(s));
}

TEST(StreamGolden, HangulOnlyNameIsWideString) {
  TRegSiteCollItem s;
  s.Name = "네이버";
  const std::string expected = lp("Name") + std::string("\x12\x03\x00\x00\x00\x24\xB1\x74\xC7\x84\xBC", 11) + tail(s);
  EXPECT_EQ(sitePropsOf(s), expected);
}

TEST(StreamGolden, MixedTextIsUtf8String) {
  TRegSiteCollItem s;
  s.Name = "메일 login page of my account";  // 2 syllables among 25 ASCII characters
  ASSERT_EQ(s.Name.size(), 31u);
  const std::string expected = lp("Name") + std::string("\x14\x1F\x00\x00\x00", 5) + s.Name + tail(s);
  EXPECT_EQ(sitePropsOf(s), expected);
  // Half and half tips over to UTF-16: 1 syllable + 1 ASCII = 4 UTF-8 bytes = 2 x 2 units.
  s.Name = "가a";
  EXPECT_EQ(sitePropsOf(s), lp("Name") + std::string("\x12\x02\x00\x00\x00\x00\xAC\x61\x00", 9) + tail(s));
}

TEST(StreamGolden, OneNonAsciiCharacterAnywhereLeavesTheShortForm) {
  // The ASCII test steps eight bytes at a time: a high byte in any lane or in the tail must count.
  for (std::size_t ascii = 1; ascii <= 19; ++ascii) {
    for (std::size_t at = 0; at <= ascii; ++at) {
      SCOPED_TRACE(std::to_string(ascii) + " at " + std::to_string(at));
      TRegSiteCollItem s;
      s.Name = std::string(at, 'a') + "\xC3\xA9" + std::string(ascii - at, 'a');
      const std::string size(1, static_cast<char>(s.Name.size()));
      EXPECT_EQ(sitePropsOf(s), lp("Name") + "\x14" + size + std::string(3, '\0') + s.Name + tail(s));
    }
    TRegSiteCollItem s;
    s.Name = std::string(ascii, 'b');
    EXPECT_EQ(sitePropsOf(s), lp("Name") + "\x06" + lp(s.Name) + tail(s));
  }
}

TEST(StreamGolden, LastAutoLoginIsTenByteExtended) {
  TRegSiteCollItem s;
  s.LastAutoLogin = 45000.5;
  const std::string expected = lp("CateID") + std::string("\x02\xFF", 2) + lp("LoginType") + "\x02\x01" +
                               lp("LastAutoLogin") + std::string("\x05\x00\x00\x00\x00\x00\x80\xC8\xAF\x0E\x40", 11) +
                               kEmptyExtra;
  EXPECT_EQ(sitePropsOf(s), expected);
}

TEST(StreamGolden, ExtraItemsWithOptionsInDeclarationOrder) {
  TRegSiteCollItem s;
  TExtraItems& e = s.ExtraItems.add();
  e.Name = "dom";
  e.Type_ = "SELECT-ONE";
  TSiteOptions& o = e.Options.add();
  o.Value = "1";
  o.Text = "a";
  e.SelectedOption = "1";
  const std::string extra = lp("ExtraItems") + "\x0E\x01" + lp("Name") + "\x06\x03" + "dom" + lp("Type_") + "\x06\x0A" +
                            "SELECT-ONE" + lp("Options") + "\x0E\x01" + lp("Value") + "\x06\x01" + "1" + lp("Text") +
                            "\x06\x01" + "a" + std::string("\x00\x00", 2) + lp("SelectedOption") + "\x06\x01" + "1" +
                            std::string("\x00\x00", 2);
  const std::string expected = lp("CateID") + std::string("\x02\xFF", 2) + lp("LoginType") + "\x02\x01" + extra;
  EXPECT_EQ(sitePropsOf(s), expected);
}

TEST(StreamGolden, ReaderAcceptsEveryStringTagAndCodePageBytes) {
  // A site list written by hand: Name as CP949 bytes in tag 6 ("가" = B0 A1),
  // Keyword in tag 12, URL as tag 20 and ID_Value as tag 18.
  const std::string props = lp("Name") + "\x06\x02\xB0\xA1" + lp("Keyword") + std::string("\x0C\x03\x00\x00\x00", 5) +
                            "abc" + lp("URL") + std::string("\x14\x03\x00\x00\x00", 5) + "\xEA\xB0\x80" +
                            lp("ID_Value") + std::string("\x12\x01\x00\x00\x00\x00\xAC", 7) + lp("cateid") +
                            "\x02\x05" + lp("LoginType") + "\x02\x04" + kEmptyExtra;
  const std::string cates =
      "TPF0" + lp("TLMCateList") + std::string(1, '\0') + lp("Cates") + std::string("\x0E\x00\x00\x00", 4);
  const std::string all = cates + oneSite(props);
  auto lists = stream::read(reinterpret_cast<const unsigned char*>(all.data()), all.size());
  ASSERT_EQ(lists.sites->RegSites().count(), 1);
  const TRegSiteCollItem& s = lists.sites->RegSites()[0];
  EXPECT_EQ(s.Name, "가");
  EXPECT_EQ(s.Keyword, "abc");
  EXPECT_EQ(s.URL, "가");
  EXPECT_EQ(s.ID_Value, "가");
  EXPECT_EQ(s.CateID, 5);  // property names match whatever their case
  EXPECT_EQ(s.LoginType, 4);
}

TEST(StreamGolden, MalformedStreamsFailCleanly) {
  TLMCateList cates;
  cates.Cates().add().Text = "folder";
  TRegSiteList sites;
  sites.RegSites().add().Name = "site";
  const std::string good = bytesOf(stream::write(cates, sites));
  const auto readBytes = [](const std::string& b) {
    return stream::read(reinterpret_cast<const unsigned char*>(b.data()), b.size());
  };
  ASSERT_NO_THROW(readBytes(good));
  // Every cut short of the end fails (never reads past it).
  for (std::size_t n = 0; n < good.size(); ++n) EXPECT_THROW(readBytes(good.substr(0, n)), StreamError) << n;

  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string b = good;
    b.replace(b.find(from), from.size(), to);
    return b;
  };
  EXPECT_THROW(readBytes(replaced("TPF0", "TPF1")), StreamError);
  EXPECT_THROW(readBytes(replaced(lp("TRegSiteList"), lp("TRegSiteLisX"))), StreamError);    // unknown class
  EXPECT_THROW(readBytes(replaced(lp("TRegSiteList"), lp("TLMCateList"))), StreamError);     // wrong order
  EXPECT_THROW(readBytes(replaced(lp("Text"), lp("Texx"))), StreamError);                    // unknown property
  EXPECT_THROW(readBytes(replaced(lp("Text") + "\x06", lp("Text") + "\x07")), StreamError);  // unknown tag
  EXPECT_THROW(readBytes(replaced(lp("Text") + "\x06", lp("Text") + "\x02")), StreamError);  // integer for a string
  // A length field past the end, short and long forms.
  EXPECT_THROW(readBytes(replaced(lp("Text") + "\x06\x06", lp("Text") + "\x06\xF0")), StreamError);
  EXPECT_THROW(readBytes(replaced(lp("Text") + "\x06\x06" + "folder",
                                  lp("Text") + std::string("\x0C\xFF\xFF\xFF\xFF", 5) + "folder")),
               StreamError);
  EXPECT_THROW(readBytes(replaced(lp("Text") + "\x06\x06" + "folder",
                                  lp("Text") + std::string("\x12\xFF\xFF\xFF\x7F", 5) + "folder")),
               StreamError);
  // An unpaired surrogate and invalid UTF-8 are not text.
  EXPECT_THROW(readBytes(replaced(lp("Text") + "\x06\x06" + "folder",
                                  lp("Text") + std::string("\x12\x01\x00\x00\x00\x00\xD8", 7))),
               StreamError);
  EXPECT_THROW(readBytes(replaced(lp("Text") + "\x06\x06" + "folder",
                                  lp("Text") + std::string("\x14\x02\x00\x00\x00\xC3\x28", 7))),
               StreamError);
  // A login type outside a byte.
  EXPECT_THROW(readBytes(replaced(lp("LoginType") + "\x02\x01", lp("LoginType") + std::string("\x03\x00\x01", 3))),
               StreamError);
}
