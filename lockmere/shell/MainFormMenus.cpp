#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>

#include "lockmere/shell/MainForm.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/widgets/ReqLoginFrame.h"

namespace shell {

namespace {

QAction* addItem(QMenu* menu, const char* name, QObject* receiver, void (TMainForm::*slot)()) {
  auto* action = menu->addAction(QString());
  action->setObjectName(name);
  QObject::connect(action, &QAction::triggered, static_cast<TMainForm*>(receiver), slot);
  return action;
}

QString withAccelerator(int entry, const char* accelerator) { return texts::M(entry) + accelerator; }

}  // namespace

void TMainForm::buildMenus() {
  QMenuBar* bar = menuBar();
  MenuFile = bar->addMenu(QString());
  MenuFile->setObjectName("MenuFile");
  MainMenuAddSite = addItem(MenuFile, "MainMenuAddSite", this, &TMainForm::MainMenuAddSiteClick);
  MainMenuAddFolder = MenuFile->addAction(QString(), this, [this] { explorer_->ExPMenuAddFolderClick(); });
  MainMenuAddFolder->setObjectName("MainMenuAddFolder");
  MainMenuModify = MenuFile->addAction(QString(), this, [this] { explorer_->ExPMenuModifyClick(); });
  MainMenuModify->setObjectName("MainMenuModify");
  MainMenuDelete = MenuFile->addAction(QString(), this, [this] { explorer_->ExPMenuDeleteClick(); });
  MainMenuDelete->setObjectName("MainMenuDelete");
  MenuFile->addSeparator();
  MainMenuRestore = addItem(MenuFile, "MainMenuRestore", this, &TMainForm::MainMenuRestoreClick);
  MainMenuBackup = addItem(MenuFile, "MainMenuBackup", this, &TMainForm::MainMenuBackupClick);
  MenuFile->addSeparator();
  MNLogin = addItem(MenuFile, "MNLogin", this, &TMainForm::MNLoginClick);
  MainMenuDeleteID = addItem(MenuFile, "MainMenuDeleteID", this, &TMainForm::MainMenuDeleteIDClick);
  MenuFile->addSeparator();
  MNExit = addItem(MenuFile, "MNExit", this, &TMainForm::MNExitClick);

  MenuView = bar->addMenu(QString());
  MenuView->setObjectName("MenuView");
  MenuOpenList = MenuView->addAction(QString(), this, [this] { explorer_->FullExpand(); });
  MenuOpenList->setObjectName("MenuOpenList");
  MenuCloseList = MenuView->addAction(QString(), this, [this] { explorer_->FullCollapse(); });
  MenuCloseList->setObjectName("MenuCloseList");

  MenuManage = bar->addMenu(QString());
  MenuManage->setObjectName("MenuManage");
  MenuModifyPW = addItem(MenuManage, "MenuModifyPW", this, &TMainForm::MenuModifyPWClick);
  MenuModifyFP = addItem(MenuManage, "MenuModifyFP", this, &TMainForm::MenuModifyFPClick);
  MenuMakePassword = addItem(MenuManage, "MenuMakePassword", this, &TMainForm::MenuMakePasswordClick);
  MenuManage->addSeparator();
  MenuConfig = addItem(MenuManage, "MenuConfig", this, &TMainForm::MenuConfigClick);

  MenuHelp = bar->addMenu(QString());
  MenuHelp->setObjectName("MenuHelp");
  MNAbout = addItem(MenuHelp, "MNAbout", this, &TMainForm::MNAboutClick);
  MNUpdate = addItem(MenuHelp, "MNUpdate", this, &TMainForm::MNUpdateClick);
  MenuHelp->addSeparator();
  H2 = addItem(MenuHelp, "H2", this, &TMainForm::H2Click);
}

void TMainForm::buildTrayMenu() {
  TrayPopupMenu = new QMenu(this);
  TrayPopupMenu->setObjectName("TrayPopupMenu");
  OpenLockmereMain = addItem(TrayPopupMenu, "OpenLockmereMain", this, &TMainForm::OpenLockmereMainClick);
  TrayPopupMenu->addSeparator();
  I1 = addItem(TrayPopupMenu, "I1", this, &TMainForm::MNLoginClick);
  TrayMenuPWGen = addItem(TrayPopupMenu, "TrayMenuPWGen", this, &TMainForm::MenuMakePasswordClick);
  TrayMenu_AlarmNewSite = addItem(TrayPopupMenu, "TrayMenu_AlarmNewSite", this, &TMainForm::TrayMenu_AlarmNewSiteClick);
  TrayMenu_AlarmNewSite->setCheckable(true);
  TrayPopupMenu->addSeparator();
  TrayMenu_Close = addItem(TrayPopupMenu, "TrayMenu_Close", this, &TMainForm::TrayMenu_CloseClick);
}

void TMainForm::buildToolBar() {
  ToolBar1 = addToolBar(QString());
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  // Icons only: four captions side by side do not fit the narrowest window.
  ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
  ToolBar1->toggleViewAction()->setVisible(false);
  setContextMenuPolicy(Qt::NoContextMenu);  // no menu to hide the toolbar by
  TBAdd = ToolBar1->addAction(QString(), this, &TMainForm::MainMenuAddSiteClick);
  TBAdd->setObjectName("TBAdd");
  TBModify = ToolBar1->addAction(QString(), this, [this] { explorer_->ExPMenuModifyClick(); });
  TBModify->setObjectName("TBModify");
  TBDelete = ToolBar1->addAction(QString(), this, [this] { explorer_->ExPMenuDeleteClick(); });
  TBDelete->setObjectName("TBDelete");
  TBLogout = ToolBar1->addAction(QString(), this, [this] {
    if (loggedIn_) logOut();
  });
  TBLogout->setObjectName("TBLogout");
}

// The desktop theme's icons take a few milliseconds to find; the toolbar is
// hidden until a login, so they come after the window is up.
void TMainForm::loadToolBarIcons() {
  if (!TBAdd->icon().isNull()) return;
  QStyle* style = QApplication::style();
  TBAdd->setIcon(style->standardIcon(QStyle::SP_FileDialogNewFolder));
  TBModify->setIcon(style->standardIcon(QStyle::SP_FileDialogDetailedView));
  TBDelete->setIcon(style->standardIcon(QStyle::SP_TrashIcon));
  TBLogout->setIcon(style->standardIcon(QStyle::SP_DialogCloseButton));
}

void TMainForm::setCaptions() {
  ReqLoginFrame1->Label1->setText(texts::M(3));
  ReqLoginFrame1->Label2->setText(texts::M(4));
  ReqLoginFrame1->Label3->setText(texts::M(5));
  ReqLoginFrame1->BtnLogin->setText(texts::M(2));
  ReqLoginFrame1->BtnLogin->setToolTip(texts::M(64));

  MenuFile->setTitle(texts::M(6));
  MainMenuAddSite->setText(withAccelerator(7, "(&A)"));
  MainMenuAddFolder->setText(withAccelerator(8, "(&B)"));
  MainMenuModify->setText(withAccelerator(9, "(&M)"));
  MainMenuDelete->setText(withAccelerator(10, "(&N)"));
  MainMenuRestore->setText(texts::M(11));
  MainMenuBackup->setText(texts::M(12));
  MainMenuDeleteID->setText(texts::M(13));
  MNExit->setText(texts::M(14));
  MenuView->setTitle(texts::M(15));
  MenuOpenList->setText(texts::M(16));
  MenuCloseList->setText(texts::M(17));
  MenuManage->setTitle(texts::M(18));
  MenuModifyPW->setText(texts::M(19));
  MenuModifyFP->setText(texts::M(20));
  MenuMakePassword->setText(texts::M(21));
  MenuConfig->setText(texts::M(22));
  MenuHelp->setTitle(texts::M(23));
  MNAbout->setText(texts::M(24));
  MNUpdate->setText(texts::M(25));
  H2->setText(texts::M(23));

  OpenLockmereMain->setText(texts::M(40));
  TrayMenuPWGen->setText(texts::M(21));
  TrayMenu_AlarmNewSite->setText(kAlarmNewSiteCaption);
  TrayMenu_Close->setText(texts::M(14));

  // The toolbar's buttons without the menus' accelerators.
  TBAdd->setText(texts::M(7));
  TBModify->setText(QString(texts::M(9)).remove('&'));
  TBDelete->setText(QString(texts::M(10)).remove('&'));
  TBLogout->setText(QString(texts::M(30)).remove(QStringLiteral("(&O)")).trimmed());
  for (QAction* button : {TBAdd, TBModify, TBDelete, TBLogout}) button->setToolTip(button->text());
  setLoginCaptions();
}

void TMainForm::setLoginCaptions() {
  const QString caption = loggedIn_ ? texts::M(30) : withAccelerator(2, "(&L)");
  MNLogin->setText(caption);
  I1->setText(caption);
}

void TMainForm::updateMenuEnabling() {
  for (QAction* action : {MainMenuAddSite,
                          MainMenuAddFolder,
                          MainMenuModify,
                          MainMenuDelete,
                          MNUpdate,
                          MainMenuBackup,
                          MainMenuDeleteID,
                          MenuView->menuAction(),
                          MenuManage->menuAction(),
                          MenuOpenList,
                          MenuCloseList,
                          MenuModifyPW,
                          MenuModifyFP,
                          MenuMakePassword,
                          TrayMenuPWGen,
                          MenuConfig,
                          TBAdd,
                          TBModify,
                          TBDelete,
                          TBLogout}) {
    action->setEnabled(loggedIn_);
  }
}

}  // namespace shell
