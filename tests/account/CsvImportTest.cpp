// Sites from other password managers' CSV exports, and out again as CSV.
#include <sys/stat.h>

#include <fstream>

#include "lockmere/store/UserStore.h"
#include "lockmere/tools/account/core/Csv.h"
#include "lockmere/tools/account/core/FileBytes.h"
#include "lockmere/tools/account/core/SiteTransfer.h"
#include "tests/account/AccountFixture.h"

namespace account::test {
namespace {

std::string sample(const std::string& name) { return std::string(LOCKMERE_SOURCE_DIR) + "/tests/account/data/" + name; }

struct Site {
  std::string name, url, keyword, id, password, memo, folder;
  int loginType;
  bool operator==(const Site&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Site& s) {
  return out << "{" << s.name << " | " << s.url << " | " << s.keyword << " | " << s.id << " | " << s.password << " | "
             << s.memo << " | " << s.folder << " | " << s.loginType << "}";
}

class CsvImportTest : public AccountTest {
 protected:
  void SetUp() override {
    AccountTest::SetUp();
    createUser("Sam", "sam pw");
  }

  Outcome<ImportSummary> import(const std::string& path) {
    return importCsvFile(accounts(), unlock("Sam", "sam pw"), path);
  }

  std::vector<Site> sites() {
    const UnlockedAccount sam = unlock("Sam", "sam pw");
    store::UserStore user(sam.id, sam.dataFile, sam.dataKey);
    EXPECT_TRUE(user.load()) << user.errorString();
    std::vector<Site> out;
    for (int i = 0; i < user.sites().RegSites().count(); ++i) {
      const auto& s = user.sites().RegSites()[i];
      const auto* folder = user.cates().Cates().findById(s.CateID);
      out.push_back(
          {s.Name, s.URL, s.Keyword, s.ID_Value, s.PW_Value, s.Description, folder ? folder->Text : "-", s.LoginType});
    }
    return out;
  }

  int folders() {
    const UnlockedAccount sam = unlock("Sam", "sam pw");
    store::UserStore user(sam.id, sam.dataFile, sam.dataKey);
    EXPECT_TRUE(user.load());
    return user.cates().Cates().count();
  }
};

TEST_F(CsvImportTest, ChromiumExport) {
  const auto s = import(sample("chromium.csv"));
  ASSERT_TRUE(s) << describe(s.failure());
  EXPECT_EQ(s->format, ExportFormat::Chromium);
  EXPECT_EQ(s->added, 2);
  EXPECT_EQ(s->withoutAddress, 1);  // the app's entry
  EXPECT_EQ(sites(), (std::vector<Site>{
                         {"example.com", "https://www.example.com/login", "WWW.EXAMPLE.COM", "ann@example.com",
                          "comma, and \"quote\"", "", "chromium", 1},
                         {"Bank", "https://secure.bank.example:8443/auth?x=1", "SECURE.BANK.EXAMPLE", "ann", "b4nk!",
                          "two\r\nlines", "chromium", 1},
                     }));
}

TEST_F(CsvImportTest, FirefoxExport) {
  const auto s = import(sample("firefox.csv"));
  ASSERT_TRUE(s) << describe(s.failure());
  EXPECT_EQ(s->format, ExportFormat::Firefox);
  EXPECT_EQ(
      sites(),
      (std::vector<Site>{
          {"mail.example.net", "https://mail.example.net", "MAIL.EXAMPLE.NET", "bob", "m@il-pw", "", "firefox", 1},
          {"intranet.example.org", "http://intranet.example.org:8080", "INTRANET.EXAMPLE.ORG", "bob.k", "intra pw", "",
           "firefox", 1},
      }));
}

TEST_F(CsvImportTest, BitwardenExport) {
  const auto s = import(sample("bitwarden.csv"));
  ASSERT_TRUE(s) << describe(s.failure());
  EXPECT_EQ(s->format, ExportFormat::Bitwarden);
  EXPECT_EQ(s->notLogins, 2);  // a secure note and a card
  // In keyword order, shorter first, as a registered site is inserted.
  EXPECT_EQ(
      sites(),
      (std::vector<Site>{
          {"Git server", "https://git.example.com/login", "GIT.EXAMPLE.COM", "carol", "g1t-pw", "deploy key in vault",
           "bitwarden", 1},
          {"Shop", "https://shop.example.com", "SHOP.EXAMPLE.COM", "carol@example.com", "sh0p", "", "bitwarden", 1},
      }));
}

TEST_F(CsvImportTest, KeePassXcExportWithTheUsersDefaultLoginType) {
  auto key = registry().openKey(userKeyPath("Sam"));
  key.value().writeBool("UseDefaultLoginType", true);
  key.value().writeInteger("DefaultLoginType", 3);
  const auto s = import(sample("keepassxc.csv"));
  ASSERT_TRUE(s) << describe(s.failure());
  EXPECT_EQ(s->format, ExportFormat::KeePassXC);
  EXPECT_EQ(s->withoutAddress, 1);  // the Wi-Fi entry
  EXPECT_EQ(s->notLogins, 1);       // the recycle bin's
  EXPECT_EQ(sites(),
            (std::vector<Site>{
                {"Wiki — 위키", "https://wiki.example.com", "WIKI.EXAMPLE.COM", "다브", "위키pw", "", "keepassxc", 3},
                {"Forum", "https://forum.example.com/", "FORUM.EXAMPLE.COM", "dave", "f0rum", "", "keepassxc", 3},
            }));
}

TEST_F(CsvImportTest, ImportingAgainAddsNothingAndKeepsOneFolder) {
  ASSERT_TRUE(import(sample("chromium.csv")));
  const auto again = import(sample("chromium.csv"));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->added, 0);
  EXPECT_EQ(again->alreadyThere, 2);
  EXPECT_EQ(sites().size(), 2u);
  EXPECT_EQ(folders(), 1);
}

TEST_F(CsvImportTest, MalformedLineIsNamedAndNothingIsImported) {
  ASSERT_TRUE(import(sample("firefox.csv")));
  const std::string dataFile = unlock("Sam", "sam pw").dataFile;
  std::string before;
  ASSERT_TRUE(readWholeFile(dataFile, before));
  const auto s = import(sample("malformed.csv"));
  ASSERT_FALSE(s);
  EXPECT_EQ(s.failure().problem, Problem::CsvMalformed);
  EXPECT_EQ(s.failure().line, 4);  // "third" has three fields
  std::string after;
  ASSERT_TRUE(readWholeFile(dataFile, after));
  EXPECT_TRUE(before == after);

  // The other faults a file can have, each with its line.
  auto faultLine = [](const std::string& text) {
    const auto rows = csv::parse(text);
    return rows ? 0 : rows.failure().line;
  };
  EXPECT_EQ(faultLine("a,b\n1,2\n\"open,3\n4,5\n"), 3);      // a quoted field that never ends
  EXPECT_EQ(faultLine("a,b\n1,2\n3,\"x\"y\n"), 3);           // text after the closing quote
  EXPECT_EQ(faultLine("a,b\n\"two\nlines\",\"x\" z\n"), 3);  // counted from where the fault is
  EXPECT_EQ(faultLine("a,b\n1,2\n3,\xC3\x28\n"), 3);         // not UTF-8
  EXPECT_EQ(faultLine("\xEF\xBB\xBF"
                      "a,b\r\n1,\"2\"\r\n"),
            0);  // a byte-order mark and CR LF are fine
  const auto unknown = readPasswordExport("title,login,secret\nx,y,z\n");
  EXPECT_EQ(unknown.failure().problem, Problem::CsvUnknownFormat);
}

TEST_F(CsvImportTest, ExportReadsBackAsAChromiumExport) {
  ASSERT_TRUE(import(sample("bitwarden.csv")));
  ASSERT_TRUE(import(sample("keepassxc.csv")));
  const std::string out = home_ + "/sites.csv";
  const auto count = exportCsvFile(unlock("Sam", "sam pw"), out);
  ASSERT_TRUE(count) << describe(count.failure());
  EXPECT_EQ(*count, 4);
  struct stat st {};
  ASSERT_EQ(::stat(out.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::string text;
  ASSERT_TRUE(readWholeFile(out, text));
  const auto back = readPasswordExport(text);
  ASSERT_TRUE(back) << describe(back.failure());
  EXPECT_EQ(back->format, ExportFormat::Chromium);
  ASSERT_EQ(back->logins.size(), 4u);
  const auto stored = sites();
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(back->logins[i].name, stored[i].name);
    EXPECT_EQ(back->logins[i].url, stored[i].url);
    EXPECT_EQ(back->logins[i].username, stored[i].id);
    EXPECT_EQ(back->logins[i].password, stored[i].password);
    EXPECT_EQ(back->logins[i].notes, stored[i].memo);
  }
}

TEST(KeywordOf, TheHostInUpperCase) {
  EXPECT_EQ(keywordOf("https://www.Example.com/login?next=/"), "WWW.EXAMPLE.COM");
  EXPECT_EQ(keywordOf("http://user:pw@host.example:8080/x"), "HOST.EXAMPLE");
  EXPECT_EQ(keywordOf("shop.example.com/cart"), "SHOP.EXAMPLE.COM");
  EXPECT_EQ(keywordOf("  https://spaced.example/  "), "SPACED.EXAMPLE");
  EXPECT_EQ(keywordOf("android://abc@com.example.app/"), "");
  EXPECT_EQ(keywordOf("ftp://files.example/"), "");
  EXPECT_EQ(keywordOf(""), "");
}

}  // namespace
}  // namespace account::test
