#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>

#include "lockmere/tools/addon/BrowserAddon.h"
#include "lockmere/web/AutoLogin.h"
#include "lockmere/web/FormCapture.h"
#include "platform/StatusBlock.h"
#include "platform/bus/MessageReceiver.h"
#include "tests/web/support/TestLoginHost.h"
#include "tests/web/support/WebTestEnv.h"

// Capture and fill over the corpus of login pages in tests/web/corpus, driven as
// the main window drives them: the add-on reports each loaded page (and a page
// whose login fields appear later) with message 0x503, and each report runs the
// capture or the automatic login. corpus.json says for each page what a right
// capture holds (the login form's frame, form names, ID and password field names
// and its other fields), which fields a right fill uses and what the page then
// sends (for a two-step login: the ID first, then the password). "baseline" marks
// what the design's rules get right and "now" what the rules get right today;
// a page marked right in either must stay right.

using namespace std::chrono_literals;
using webtest::server;

namespace {

std::string str(const QJsonValue& v) { return v.toString().toStdString(); }

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Control characters of field keys, readable in the table.
std::string shown(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '\r' ? std::string("\\r") : std::string(1, c);
  return out;
}

struct Outcome {
  bool captureRight = false;
  bool fillApplies = false;
  bool fillRight = false;
  std::string captureSeen;
  std::string fillSeen;
};

std::string describe(const store::TRegSiteCollItem& s) {
  std::string out = "frame=" + s.FrameName + " id=" + s.ID_FormName + ":" + shown(s.ID_Name) + " pw=" + s.PW_FormName +
                    ":" + shown(s.PW_Name) + " extras=[";
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

// The main window's side: the status block that tells the add-on to report pages,
// and the window that receives the reports.
class MainWindowStandIn {
 public:
  explicit MainWindowStandIn(const std::string& blockName)
      : receiver_([this](const platform::Message& m) {
          if (m.message != platform::msg::kLoginOnBrowser) return std::int64_t{0};
          ++reports_[static_cast<platform::WindowHandle>(m.wParam)];
          if (onReport_) onReport_(static_cast<platform::WindowHandle>(m.wParam));
          return std::int64_t{0};
        }),
        block_(blockName) {
    if (!block_.create(receiver_.handle())) throw std::runtime_error("no status block");
    block_.setLoggedIn(true);
    block_.setAutoGetUrl(true);
  }
  int reports(platform::WindowHandle window) { return reports_[window]; }
  void onReport(std::function<void(platform::WindowHandle)> f) { onReport_ = std::move(f); }
  // Lets reports still on their way arrive (and be ignored).
  void drain() {
    onReport_ = nullptr;
    webtest::processEventsUntil([] { return false; }, 50ms);
  }

 private:
  platform::MessageReceiver receiver_;
  platform::StatusBlock block_;
  std::map<platform::WindowHandle, int> reports_;
  std::function<void(platform::WindowHandle)> onReport_;
};

class CorpusRun {
 public:
  CorpusRun(MainWindowStandIn& window, std::string id, std::string password)
      : window_(window), id_(std::move(id)), password_(std::move(password)) {}

  Outcome run(const QJsonObject& entry) {
    Outcome o;
    capture(entry, o);
    o.fillApplies = !entry["fill"].isNull();
    if (o.fillApplies) fill(entry, o);
    return o;
  }

 private:
  // The new-site offer's capture on each report of the page: the first capture
  // that finds a login form counts.
  void capture(const QJsonObject& entry, Outcome& o) {
    const std::string path = "/corpus/" + str(entry["page"]);
    store::TRegSiteList detected;
    const store::TRegSiteCollItem* captured = nullptr;
    std::shared_ptr<cdp::PageTarget> page;
    window_.onReport([&](platform::WindowHandle w) {
      if (captured || !page || w != page->handle()) return;
      std::optional<web::LoginForm> form;
      std::string frameName;
      if (web::FindPasswordForm(page->mainFrame(), form, frameName))
        captured = detected.RegSites().findById(web::CaptureLoginForm(page, *form, frameName, detected));
    });
    page = webtest::load(server().url(path));
    const int before = window_.reports(page->handle());
    // The report of the load; a page whose form comes later is reported again.
    webtest::processEventsUntil([&] { return window_.reports(page->handle()) > before; }, 3s);
    if (entry["late"].toBool()) webtest::processEventsUntil([&] { return captured != nullptr; }, 3s);
    window_.drain();
    o.captureSeen = captured ? describe(*captured) : "no login form";
    o.captureRight = entry["capture"].isNull() ? captured == nullptr
                                               : captured && captureMatches(*captured, entry["capture"].toObject());
  }

  // The automatic login on each report of the page, with a site whose record
  // holds the right field names.
  void fill(const QJsonObject& entry, Outcome& o) {
    const QJsonObject fill = entry["fill"].toObject();
    const std::string path = "/corpus/" + str(entry["page"]);
    webtest::TestLoginHost host;
    std::string keyword = entry["keyword"].isString() ? str(entry["keyword"]) : path.substr(1, path.rfind('.') - 1);
    host.addSite(upper(keyword), store::kLoginAutomatic, str(fill["id"]), id_, str(fill["pw"]), password_);
    web::AutoLogin engine(webtest::browser(), host);
    std::shared_ptr<cdp::PageTarget> page;
    std::vector<int> codes;
    window_.onReport([&](platform::WindowHandle w) {
      if (!page || w != page->handle()) return;
      int code = 99;
      engine.AutoLoginOnPage(page, w, code);
      codes.push_back(code);
    });
    const std::size_t before = server().requests().size();
    page = webtest::load(server().url(path));

    const std::string action = str(fill["action"]);
    const std::string idAction = str(fill["idAction"]);
    const auto sent = [&](const std::string& where) -> std::optional<webtest::Request> {
      const auto all = server().requests();
      for (std::size_t i = before; i < all.size(); ++i)
        if (all[i].path == where) return all[i];
      return std::nullopt;
    };
    const bool slow = entry["late"].toBool() || !idAction.empty();
    webtest::processEventsUntil([&] { return sent(action) && (idAction.empty() || sent(idAction)); }, slow ? 6s : 3s);
    window_.drain();

    const auto final = sent(action);
    const auto first = idAction.empty() ? std::nullopt : sent(idAction);
    o.fillSeen = "codes";
    for (int c : codes) o.fillSeen += " " + std::to_string(c);
    if (!idAction.empty()) o.fillSeen += first ? ", ID sent" : ", no ID sent";
    o.fillSeen += final ? ", sent " + final->method + " " + final->path : ", nothing sent";
    bool right = final && (fill["pwParam"].isNull() || final->field(str(fill["pwParam"])) == password_) &&
                 (!idAction.empty() || fill["idParam"].isNull() || final->field(str(fill["idParam"])) == id_);
    if (!idAction.empty()) right = right && first && first->field(str(fill["idParam"])) == id_;
    // The password goes nowhere but to the login form's own submission.
    const auto all = server().requests();
    for (std::size_t i = before; i < all.size(); ++i) {
      if (all[i].path == action) continue;
      if (webtest::formDecode(all[i].body + "&" + all[i].query).find(password_) != std::string::npos) {
        right = false;
        o.fillSeen += ", THE PASSWORD WENT TO " + all[i].path;
      }
    }
    o.fillRight = right;
  }

  MainWindowStandIn& window_;
  std::string id_;
  std::string password_;
};

struct Tally {
  int pages = 0, captureBefore = 0, captureNow = 0, fills = 0, fillBefore = 0, fillNow = 0;
};

}  // namespace

TEST(Corpus, CaptureAndFillOverEveryPage) {
  QFile file(QString(LOCKMERE_SOURCE_DIR) + "/tests/web/corpus/corpus.json");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QJsonObject corpus = QJsonDocument::fromJson(file.readAll()).object();
  const QJsonArray pages = corpus["pages"].toArray();
  ASSERT_GE(pages.size(), 60);

  // The add-on before the browser starts: it loads its extension into it.
  const std::string blockName = "/lockmere-corpus-" + std::to_string(::getpid());
  addon::BrowserAddon addon(webtest::browser(), std::string(LOCKMERE_SOURCE_DIR) + "/lockmere/tools/addon/extension",
                            blockName);
  MainWindowStandIn window(blockName);
  CorpusRun corpusRun(window, str(corpus["id"]), str(corpus["password"]));

  Tally all;
  std::map<std::string, Tally> kinds;
  std::ostringstream table;
  for (const auto& p : pages) {
    const QJsonObject entry = p.toObject();
    const std::string name = str(entry["page"]);
    SCOPED_TRACE(name);
    const Outcome o = corpusRun.run(entry);
    const QJsonObject baseline = entry["baseline"].toObject();
    const QJsonObject now = entry["now"].toObject();
    for (Tally* t : {&all, &kinds[str(entry["kind"])]}) {
      ++t->pages;
      t->captureBefore += baseline["capture"].toBool();
      t->captureNow += o.captureRight;
      t->fills += o.fillApplies;
      t->fillBefore += o.fillApplies && baseline["fill"].toBool();
      t->fillNow += o.fillRight;
    }
    if (baseline["capture"].toBool() || now["capture"].toBool()) {
      EXPECT_TRUE(o.captureRight) << "capture of " << name << " is no longer right: " << o.captureSeen;
    }
    if (baseline["fill"].toBool() || now["fill"].toBool()) {
      EXPECT_TRUE(o.fillRight) << "fill of " << name << " is no longer right: " << o.fillSeen;
    }
    if (o.captureRight != now["capture"].toBool() || (o.fillApplies && o.fillRight != now["fill"].toBool()))
      std::cout << "  \"now\" differs for " << name << "\n";
    table << "  " << std::left << std::setw(36) << name << (o.captureRight ? " capture right" : " capture WRONG")
          << (o.fillApplies ? (o.fillRight ? ", fill right" : ", fill WRONG") : ", no fill") << "   (" << o.captureSeen
          << "; " << o.fillSeen << ")\n";
  }
  table << "\n  " << std::left << std::setw(44) << "kind"
        << "captured before/now/pages   filled before/now/pages\n";
  for (const auto& [kind, t] : kinds)
    table << "  " << std::setw(44) << kind << t.captureBefore << "/" << t.captureNow << "/" << t.pages << "   "
          << t.fillBefore << "/" << t.fillNow << "/" << t.fills << "\n";
  std::cout << table.str() << "Captured right: " << all.captureNow << " of " << all.pages << " (design's rules "
            << all.captureBefore << "); filled right: " << all.fillNow << " of " << all.fills << " (design's rules "
            << all.fillBefore << ")\n";
}
