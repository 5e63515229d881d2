#pragma once

#include <QFrame>
#include <QPoint>
#include <functional>
#include <vector>

#include "lockmere/store/TreeOrder.h"
#include "lockmere/web/SiteSearch.h"
#include "lockmere/web/SiteTree.h"
#include "lockmere/web/SiteTreeView.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;

namespace web {

class BrowserLauncher;
class SiteTreeItemModel;

// The frame of the main window that shows the user's folders and sites: the
// address box, the search box, the tree, and for a manual-login site its ID and
// masked password to drag into other programs. It changes the lists it is
// given and has the store saved after every change.
//
// What the main window hands it: the lists after login (loadTree), the save
// (setSaveStore), the browser (setBrowserLauncher), and the hooks of later
// windows (setModifySiteHook, setProtectedPostHook). What it tells the main
// window: the signals below.
class TExplorerFrame : public QFrame, private TreeViewHandler {
  Q_OBJECT

 public:
  using SaveStore = std::function<bool(const std::vector<store::TreeEntry>& treeOrder)>;
  using ModifySiteHook = std::function<void(int siteId)>;
  using ProtectedPostHook = std::function<void(const QString& url, const QByteArray& parameters)>;

  explicit TExplorerFrame(QWidget* parent = nullptr);
  ~TExplorerFrame() override;

  // Opens addresses and posts; without one nothing is opened.
  void setBrowserLauncher(BrowserLauncher* launcher) { launcher_ = launcher; }
  // Called with the tree's order after every change the frame makes (add,
  // rename, delete, drag and drop): the session's save, which reports its own
  // failures.
  void setSaveStore(SaveStore save) { save_ = std::move(save); }
  // The modify command on a site: opens the site form for the site's ID. Not
  // set: the command does nothing.
  void setModifySiteHook(ModifySiteHook hook) { modifySite_ = std::move(hook); }
  // A POST script of the protected-login site. Not set: the address is opened
  // without logging in, as the protected login does when it cannot encrypt.
  void setProtectedPostHook(ProtectedPostHook hook) { protectedPost_ = std::move(hook); }

  // After login: the tree of these lists (they must live until clearTree()).
  void loadTree(store::TLMCateList& cates, store::TRegSiteList& sites);
  // At logout: empties the tree, the address box and the ID panel.
  void clearTree();
  SiteTree& tree() { return tree_; }
  const SiteTree& tree() const { return tree_; }
  std::vector<store::TreeEntry> treeOrder() const { return tree_.treeOrder(); }

  TreeNode* selectedNode() const;
  // Selects node (nullptr: nothing), opening the folders above it.
  void selectNode(TreeNode* node);

  // A new browser window on url; nothing for an address of 3 characters or
  // less. Browser errors are thrown to the caller.
  void OpenInNewBrowser(const QString& url);
  // The same with a form-encoded POST of body.
  void PostInNewBrowser(const QString& url, const QByteArray& body);
  // The address box and the ID panel from the selected node.
  void ShowSelectionDetails();
  static TreeNode* FirstSiteSibling(TreeNode* node) { return SiteTree::firstSiteSibling(node); }
  // The main window's mouse wheel: one line up or down.
  void scrollTreeLine(bool up);
  void FullExpand();
  void FullCollapse();

  // The window's parts, for the main window's layout and for tests.
  SiteTreeView* TVRegSite = nullptr;
  QLineEdit* EdtGoURL = nullptr;
  QToolButton* BtnGoURL = nullptr;
  QLineEdit* EdtSearch = nullptr;
  QPushButton* BtnGoSearch = nullptr;
  QFrame* ManualSitePanel = nullptr;
  QLabel* lbUserID = nullptr;
  QLabel* lbUserPW = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* ExPMenuAddSite = nullptr;
  QAction* ExPMenuAddFolder = nullptr;
  QAction* ExPMenuModify = nullptr;
  QAction* ExPMenuDelete = nullptr;
  QTimer* ScrollWhenDragTimer = nullptr;
  QTimer* AutoExpendWhenDragTimer = nullptr;

 public slots:
  // Opens the selected site; throws browser errors (see treeDoubleClicked).
  void TVRegSiteDblClick();
  void BtnGoURLClick();
  void ExPMenuAddSiteClick();
  void ExPMenuAddFolderClick();
  void ExPMenuModifyClick();
  void ExPMenuDeleteClick();
  void BtnGoSearchClick();
  void EdtSearchChange();
  void ScrollWhenDragTimerTimer();
  void AutoExpendWhenDragTimerTimer();
  void FrameResize();

 signals:
  // The add-site command: the main window opens the site form for a new site.
  void addSiteRequested();
  // A double click is about to open a site (the main window may hide itself).
  void siteOpening();
  // The go button is about to open the address box's address.
  void addressOpening();
  // A drag of the ID or password ended with this result of ExecuteDrag.
  void textDragFinished(int result);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void TVRegSiteMouseDown(Qt::MouseButton button, TreeHit hit, const QModelIndex& index,
                          const QPoint& globalPos) override;
  void TVRegSiteKeyUp(int key) override;
  void TVRegSiteDragOver(QDragMoveEvent* event, DragState state) override;
  void TVRegSiteDragDrop(QDropEvent* event) override;
  void TVRegSiteEndDrag() override;
  void EdtGoURLKeyDown(int key);
  void EdtSearchKeyDown(int key);
  void UserInfoDragMouseDown(const QPoint& pos);
  void UserInfoDragMouseMove(QLabel* label, const QPoint& pos);

  void buildWidgets();
  void buildMenu();
  void treeDoubleClicked();
  void goButtonClicked();
  void hideManualPanel();
  void saveStore();
  TreeNode* nodeAtViewport(const QPoint& pos) const;
  bool isOwnTreeDrag(const QDropEvent* event) const;
  void showMessage(const QString& text);
  bool confirm(const QString& text);
  bool askText(const QString& title, const QString& prompt, QString* answer);

  SiteTree tree_;
  SiteSearch search_{tree_};
  SiteTreeItemModel* model_ = nullptr;
  BrowserLauncher* launcher_ = nullptr;
  SaveStore save_;
  ModifySiteHook modifySite_;
  ProtectedPostHook protectedPost_;

  QLabel* lbAddress_ = nullptr;
  QLabel* lbSearch_ = nullptr;

  TreeNode* dragHover_ = nullptr;  // the folder a drag rests on (auto-expand)
  bool scrollUp_ = false;          // direction of the drag's auto-scroll
  QPoint dragStart_;               // press on the ID or password label
  bool dragArmed_ = false;         // a press that has not started a drag yet
  QString shownPassword_;          // the password behind lbUserPW's asterisks
};

}  // namespace web
