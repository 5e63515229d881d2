#pragma once

#include <QtTest>

#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/web/SiteTreeItemModel.h"
#include "tests/web_tree/FrameFixture.h"
#include "tests/web_tree/TreeFixture.h"

namespace explorertest {

using web::TreeNode;

inline const QString kManualId = QStringLiteral("kim@mail");
inline const QString kManualPassword = QStringLiteral("p&ss w=rd+%");

// A user's store with folders and sites of every login type, shown in a frame
// that saves into the user's data file and opens sites over HTTP.
struct Fixture {
  treetest::Session session;
  frametest::HttpSink server;
  frametest::HttpLauncher browser;
  web::TExplorerFrame frame;
  int saves = 0;

  explicit Fixture(bool japanese = false) {
    const auto t = [japanese](const char* ko, const char* ja) { return std::string(japanese ? ja : ko); };
    const int work = session.addCate(t("업무", "仕事")).ID();
    const int mail = session.addCate(t("메일", "メール"), work).ID();
    session.addCate(t("게임", "ゲーム"));
    site(t("웹메일", "ウェブメール"), mail, 1, "/webmail");
    site(t("인터넷 뱅킹", "ネットバンキング"), work, 4, "/bank");
    site(t("쇼핑몰", "ショッピング"), work, 3, "/shop");
    store::TRegSiteCollItem& manual = site(t("수동 로그인 사이트", "手動ログインのサイト"), -1, 2, "/manual");
    manual.ID_Value = kManualId.toStdString();
    manual.PW_Value = kManualPassword.toStdString();
    store::TRegSiteCollItem& script = site(t("스크립트 사이트", "スクリプトのサイト"), -1, 5, "/login.do");
    script.Description = japanese ? "POST\r\nuser=ＩＤ&pass=パスワード\r\n" : "POST\r\nuser=아이디&pass=비밀번호\r\n";
    script.ID_Value = manual.ID_Value;
    script.PW_Value = manual.PW_Value;

    frame.setBrowserLauncher(&browser);
    frame.setSaveStore([this](const std::vector<store::TreeEntry>& order) {
      ++saves;
      return session.store->save(order);
    });
    frame.loadTree(session.store->cates(), session.store->sites());
    frame.move(20, 40);
    frame.resize(300, 440);
    frame.show();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    frame.FullExpand();
  }

  store::TRegSiteCollItem& site(const std::string& name, int cate, int type, const char* path) {
    store::TRegSiteCollItem& s = session.addSite(name, cate, type);
    s.URL = server.url(path).toStdString();
    return s;
  }
  TreeNode* node(const QString& text) const {
    for (TreeNode* n = frame.tree().first(); n; n = web::SiteTree::next(n))
      if (n->text() == text) return n;
    return nullptr;
  }
  QWidget* viewport() const { return frame.TVRegSite->viewport(); }
  QPoint pointOf(const TreeNode* node) const {
    auto* model = static_cast<web::SiteTreeItemModel*>(frame.TVRegSite->model());
    const QRect r = frame.TVRegSite->visualRect(model->indexOf(node));
    return QPoint(r.left() + 12, r.center().y());
  }
  void click(const QString& text, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(viewport(), button, {}, pointOf(node(text)));
  }
  // Press, release, double click, release: what a mouse sends.
  void doubleClick(const QString& text) {
    const QPoint at = pointOf(node(text));
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at);
  }
  // Boxes take the activation with them on this platform; a desktop gives it back.
  void reactivate() {
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
  }
  bool waitForRequests(std::size_t n) {
    return QTest::qWaitFor([&] { return server.requests.size() >= n; }, 5000);
  }
};

}  // namespace explorertest
