#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <optional>
#include <string>

#include "lockmere/shell/MainForm.h"
#include "lockmere/store/UserStore.h"
#include "lockmere/users/LoginForm.h"
#include "platform/StatusBlockReader.h"
#include "tests/users/UsersFixture.h"

// What the main window's tests share: a user's sites written into the data
// file as the program writes them, the login window driven as a user drives
// it, and the status block as the browser add-on reads it.
namespace shelltest {

using users::test::MadeUser;

// Adds folders and sites to the user's data file ("Folder/Site" puts the site
// into that top-level folder, made when missing), as a session would save them.
inline void addSites(const MadeUser& user, const std::vector<std::string>& paths) {
  store::UserStore session(user.id, user.dataFile, crypto::SecureBytes(user.dataKey));
  if (!session.load()) QFAIL(session.errorString().c_str());
  for (const std::string& path : paths) {
    int cateId = -1;
    std::string name = path;
    if (auto slash = path.find('/'); slash != std::string::npos) {
      const std::string folder = path.substr(0, slash);
      name = path.substr(slash + 1);
      for (int i = 0; i < session.cates().Cates().count(); ++i) {
        if (session.cates().Cates().at(i).Text == folder) cateId = session.cates().Cates().at(i).ID();
      }
      if (cateId < 0) {
        store::TCateItem& cate = session.cates().Cates().add();
        cate.Text = folder;
        cate.ParentID = -1;
        cateId = cate.ID();
      }
    }
    store::TRegSiteCollItem& site = session.sites().RegSites().add();
    site.Name = name;
    site.URL = "https://" + name + ".example/login";
    site.CateID = cateId;
    site.LoginType = 1;
  }
  QVERIFY(session.save());
}

// The site names a fresh session reads from the data file.
inline QStringList storedSiteNames(const MadeUser& user) {
  store::UserStore session(user.id, user.dataFile, crypto::SecureBytes(user.dataKey));
  QStringList names;
  if (!session.load()) return {"load failed"};
  for (int i = 0; i < session.sites().RegSites().count(); ++i)
    names << QString::fromStdString(session.sites().RegSites().at(i).Name);
  return names;
}

inline std::optional<platform::StatusBlockData> statusBlock() { return platform::StatusBlockReader().read(); }

// Presses the login button and answers the login window that opens with the ID
// and password typed in; returns what the window said when it stayed open
// (a refused password), empty when it closed.
inline QString logInByPassword(shell::TMainForm& window, const std::string& id, const std::string& password) {
  QString refusal;
  bool answered = false;
  // Polled, never waited for: the window's own start-up runs events before it
  // is shown modally.
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    users::TLoginForm* login = users::TLoginForm::current();
    if (!login || !login->isVisible() || QApplication::activeModalWidget() != login) return;
    poll.stop();
    answered = true;
    login->findChild<QComboBox*>("UserID")->setCurrentText(QString::fromStdString(id));
    QTest::keyClicks(login->findChild<QLineEdit*>("UserPassword"), QString::fromStdString(password));
    QTest::mouseClick(login->findChild<QPushButton*>("BtnOK"), Qt::LeftButton);
    if (users::TLoginForm::current() && login->isVisible()) {
      users::test::waitUntil([&] { return users::test::messageBox(login) != nullptr; }, std::chrono::seconds(5));
      refusal = users::test::takeMessage(login);
      login->BtnCancelClick();
    }
  });
  poll.start();
  window.ReqLoginFrame1BtnLoginClick();
  if (!answered) return "no login window";
  return refusal;
}

}  // namespace shelltest
