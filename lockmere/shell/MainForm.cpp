#include "lockmere/shell/MainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "lockmere/shell/CommandLine.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/RegistryLayout.h"
#include "lockmere/store/UserDirectory.h"
#include "lockmere/store/UserStore.h"
#include "lockmere/texts/Language.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/web/ADFrame.h"
#include "lockmere/web/BrowserSide.h"
#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/widgets/MSNPopUp.h"
#include "lockmere/widgets/ReqLoginFrame.h"
#include "lockmere/widgets/ResourceLibrary.h"
#include "lockmere/widgets/TrayIcon.h"

namespace shell {

namespace {
constexpr int kDefaultWidth = 330;
constexpr int kDefaultHeight = 560;
constexpr int kJapaneseAdHeight = 50;
}  // namespace

TMainForm::TMainForm(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent),
      receiver_([this](const platform::Message& m) { return handleMessage(m); }),
      bridge_(receiver_.handle()),
      registry_(platform::Registry::CurrentUser),
      programKey_(store::fixed::programKey()),
      idleWatch_(receiver_.handle()),
      arguments_(arguments) {
  setObjectName("MainForm");
  setWindowTitle(kTitle);
  setFont(texts::uiFont());
  languageId_ = texts::languageId();
  buildWindow();

  // The tray icon with its menu; a click shows the window.
  tray_ = new widgets::TTrayIcon(this);
  tray_->setPopupMenu(TrayPopupMenu);
  tray_->OnClick = [this](widgets::TTrayIcon*) { OpenLockmereMainClick(); };

  // Rewritten before anything reads it: a block left by a run that died says
  // nobody is logged in from here on.
  if (!statusBlock_.create(handle())) qWarning("Lockmere: %s", statusBlock_.errorString().c_str());

  if (hasSwitch(arguments_, kMinimizeSwitch)) {
    startMinimized_ = true;
    setWindowState(Qt::WindowMinimized);
  }

  popup_ = std::make_unique<widgets::TMSNPopUp>();
  widgets::ResourceLibrary resources;
  if (resources.load()) {
    popup_->IconBitmap = resources.bitmap("ICONLOCKMERE");
    popup_->CloseIconBitmap = resources.bitmap("ICONCLOSE");
  }

  // The browser side follows the tree's commands; it starts its browser only
  // when a page is first opened.
  browserSide_ = std::make_unique<web::BrowserSide>(*this);
  browserSide_->installTreeHooks();

  setCaptions();
  applyIcons(false);
  startUp();
}

TMainForm::~TMainForm() {
  if (!closed_) {
    if (loggedIn_) logOut();
    FormClose();
  }
}

void TMainForm::buildWindow() {
  resize(kDefaultWidth, kDefaultHeight);
  buildMenus();
  buildTrayMenu();
  buildToolBar();

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  ReqLoginFrame1 = new widgets::TReqLoginFrame(central);
  ReqLoginFrame1->setObjectName("ReqLoginFrame1");
  connect(ReqLoginFrame1->BtnLogin, &QPushButton::clicked, this, &TMainForm::ReqLoginFrame1BtnLoginClick);

  explorer_ = new web::TExplorerFrame(central);
  explorer_->setObjectName("ExplorerFrame1");
  explorer_->setSaveStore([this](const std::vector<store::TreeEntry>&) { return saveStore(); });
  connect(explorer_, &web::TExplorerFrame::addSiteRequested, this, &TMainForm::MainMenuAddSiteClick);
  connect(explorer_, &web::TExplorerFrame::addressOpening, this, &TMainForm::hideToTray);
  connect(explorer_, &web::TExplorerFrame::siteOpening, this, [this] {
    if (settings_.GoTrayAtSiteOpen) hideToTray();
  });
  explorer_->TVRegSite->viewport()->installEventFilter(this);
  loggedInArea_ = explorer_;

  adFrame_ = new web::TADFrame(central);
  adFrame_->setObjectName("ADFrame1");
  if (texts::language() == texts::Language::Japanese) adFrame_->setFixedHeight(kJapaneseAdHeight);

  layout->addWidget(ReqLoginFrame1, 1);
  layout->addWidget(explorer_, 1);
  layout->addWidget(adFrame_, 0);
  setCentralWidget(central);
}

void TMainForm::startUp() {
  loggedIn_ = false;
  updateMenuEnabling();
  ToolBar1->hide();
  loggedInArea_->hide();
  ReqLoginFrame1->show();
  TrayMenu_AlarmNewSite->setEnabled(false);
  tryAutomaticLogin();
  if (!loggedIn_ && hasSwitch(arguments_, kLoginSwitch)) {
    // After the window is up, as a press of the button would be.
    QTimer::singleShot(0, this, &TMainForm::ReqLoginFrame1BtnLoginClick);
  }
}

void TMainForm::showAtStart() {
  if (startMinimized_)
    hideToTray();
  else
    show();
}

bool TMainForm::listenForOtherPrograms() { return bridge_.listen(); }

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  // Let the window finish appearing first; FormShow may end the program.
  QTimer::singleShot(0, this, &TMainForm::FormShow);
}

void TMainForm::FormShow() {
  applyLastWindowPosition();
  loadToolBarIcons();

  widgets::ResourceLibrary resources;
  if (!resources.load()) {
    QMessageBox::critical(this, kTitle, texts::M(34));
    hiddenOrClosing_ = true;
    close();
    return;
  }
  resources.unload();
  adFrame_->MainWindowShown();

  if (loggedIn_) {
    ToolBar1->show();
    loggedInArea_->show();
    ReqLoginFrame1->hide();
  }
  applyStayOnTop();

  const bool noUser = store::UserDirectory(registry_, programKey_).userIds().empty();
  if (noUser && !loggedIn_ && !newUserPending_) {
    showMinimized();
    startNewUserTool();
  } else if (newUserPending_) {
    showMinimized();
  }
}

void TMainForm::applyLastWindowPosition() {
  auto key = registry_.openKey(std::string(store::reg::kMainKey));
  if (!key) return;
  auto left = key.value().readInteger(std::string(store::reg::kLastWindowLeft));
  auto top = key.value().readInteger(std::string(store::reg::kLastWindowTop));
  if (!left || !top) return;
  // A position saved on a screen that is gone would put the window out of reach.
  const QPoint at(left.value(), top.value());
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen->availableGeometry().contains(at)) {
      move(at);
      return;
    }
  }
}

void TMainForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  idleWatch_.stop();
  if (popup_) popup_->ClosePopUps();
  delete tray_;
  tray_ = nullptr;
  statusBlock_.remove();
  bridge_.close();
  tools_.freeAll();
  emit programEnded();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  if (!hiddenOrClosing_ && settings_.GoTrayAtExit) {
    event->ignore();
    hideToTray();
    return;
  }
  if (loggedIn_) logOut();
  hide();
  event->accept();
  FormClose();
}

}  // namespace shell
