#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "lockmere/web/AutoLogin.h"
#include "lockmere/web/FormCapture.h"
#include "tests/web/support/TestLoginHost.h"
#include "tests/web/support/WebTestEnv.h"

// Capture and fill over the corpus of login pages in tests/web/corpus: for each
// page corpus.json says what a right capture holds (the login form's frame, form
// names, ID and password field names and its other fields), which fields a right
// fill uses and what the page then sends. A page that is captured or filled right
// by the current rules is marked so in its "baseline"; such a page must stay right.

using namespace std::chrono_literals;
using webtest::server;

namespace {

std::string str(const QJsonValue& v) { return v.toString().toStdString(); }

struct Outcome {
  bool captureRight = false;
  bool fillApplies = false;
  bool fillRight = false;
  std::string captureSeen;
  std::string fillSeen;
};

std::string describe(const store::TRegSiteCollItem& s) {
  std::string out = "frame=" + s.FrameName + " id=" + s.ID_FormName + ":" + s.ID_Name + " pw=" + s.PW_FormName + ":" +
                    s.PW_Name + " extras=[";
  for (int i = 0; i < s.ExtraItems.count(); ++i)
    out += (i ? " " : "") + s.ExtraItems.at(i).Name + ":" + s.ExtraItems.at(i).Type_;
  return out + "]";
}

bool captureMatches(const store::TRegSiteCollItem& s, const QJsonObject& want) {
  std::vector<std::string> extras;
  for (int i = 0; i < s.ExtraItems.count(); ++i)
    extras.push_back(s.ExtraItems.at(i).Name + ":" + s.ExtraItems.at(i).Type_);
  std::vector<std::string> wanted;
  for (const auto& e : want.value("extras").toArray()) wanted.push_back(str(e));
  return s.FrameName == str(want["frame"]) && s.ID_FormName == str(want["idForm"]) && s.ID_Name == str(want["id"]) &&
         s.PW_FormName == str(want["pwForm"]) && s.PW_Name == str(want["pw"]) && extras == wanted;
}

Outcome run(const QJsonObject& entry, const std::string& id, const std::string& password) {
  Outcome o;
  const std::string path = "/corpus/" + str(entry["page"]);
  auto page = webtest::load(server().url(path));

  std::optional<web::LoginForm> form;
  std::string frameName;
  store::TRegSiteList detected;
  const bool found = web::FindPasswordForm(page->mainFrame(), form, frameName);
  const store::TRegSiteCollItem* captured = nullptr;
  if (found) captured = detected.RegSites().findById(web::CaptureLoginForm(page, *form, frameName, detected));
  o.captureSeen = captured ? describe(*captured) : "no login form";
  if (entry["capture"].isNull())
    o.captureRight = !found;
  else
    o.captureRight = captured && captureMatches(*captured, entry["capture"].toObject());

  const QJsonObject fill = entry["fill"].toObject();
  o.fillApplies = !entry["fill"].isNull();
  if (!o.fillApplies) return o;
  page = webtest::load(server().url(path));
  webtest::TestLoginHost host;
  std::string keyword = path.substr(1);
  for (char& c : keyword) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  host.addSite(keyword, store::kLoginAutomatic, str(fill["id"]), id, str(fill["pw"]), password);
  web::AutoLogin engine(webtest::browser(), host);
  const std::size_t before = server().requests().size();
  int code = 99;
  engine.AutoLoginOnPage(page, page->handle(), code);
  const auto sent = server().waitForRequest(str(fill["action"]), before, code == web::kSiteHandled ? 3s : 300ms);
  o.fillSeen = "code " + std::to_string(code) + (sent ? ", sent " + sent->method + " " + sent->path : ", nothing sent");
  o.fillRight = code == web::kSiteHandled && sent &&
                (fill["idParam"].isNull() || sent->field(str(fill["idParam"])) == id) &&
                (fill["pwParam"].isNull() || sent->field(str(fill["pwParam"])) == password);
  return o;
}

}  // namespace

TEST(Corpus, CaptureAndFillOverEveryPage) {
  QFile file(QString(LOCKMERE_SOURCE_DIR) + "/tests/web/corpus/corpus.json");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QJsonObject corpus = QJsonDocument::fromJson(file.readAll()).object();
  const std::string id = str(corpus["id"]);
  const std::string password = str(corpus["password"]);
  const QJsonArray pages = corpus["pages"].toArray();
  ASSERT_GE(pages.size(), 30);

  int captured = 0, filled = 0, fillable = 0;
  std::ostringstream table;
  for (const auto& p : pages) {
    const QJsonObject entry = p.toObject();
    const std::string name = str(entry["page"]);
    SCOPED_TRACE(name);
    const Outcome o = run(entry, id, password);
    captured += o.captureRight;
    fillable += o.fillApplies;
    filled += o.fillRight;
    const QJsonObject baseline = entry["baseline"].toObject();
    if (baseline["capture"].toBool()) {
      EXPECT_TRUE(o.captureRight) << "capture of " << name << " is no longer right: " << o.captureSeen;
    }
    if (baseline["fill"].toBool()) {
      EXPECT_TRUE(o.fillRight) << "fill of " << name << " is no longer right: " << o.fillSeen;
    }
    if (o.captureRight != baseline["capture"].toBool() || (o.fillApplies && o.fillRight != baseline["fill"].toBool()))
      std::cout << "  baseline differs for " << name << "\n";
    table << "  " << std::left << std::setw(34) << name << (o.captureRight ? " capture right" : " capture WRONG")
          << (o.fillApplies ? (o.fillRight ? ", fill right" : ", fill WRONG") : ", no fill") << "   (" << o.captureSeen
          << "; " << o.fillSeen << ")\n";
  }
  std::cout << table.str() << "Captured right: " << captured << " of " << pages.size() << "; filled right: " << filled
            << " of " << fillable << "\n";
}
