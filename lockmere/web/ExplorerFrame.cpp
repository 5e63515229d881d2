#include "lockmere/web/ExplorerFrame.h"

#include <QAction>
#include <QApplication>
#include <QDragMoveEvent>
#include <QGridLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "lockmere/texts/StringTable.h"
#include "lockmere/web/BrowserLauncher.h"
#include "lockmere/web/ScriptLogin.h"
#include "lockmere/web/SiteTreeItemModel.h"
#include "lockmere/web/TreeImages.h"
#include "lockmere/widgets/DragTextComp.h"
#include "lockmere/widgets/WipeText.h"

namespace web {
namespace {

const QString kCaption = QStringLiteral("Lockmere");
const QString kCaptionPrefix = QStringLiteral("Lockmere - ");
// The input boxes' prompts end in five blanks.
const QString kPromptPadding = QStringLiteral("     ");

// Where the address and search rows sit; FrameResize keeps their right ends
// at a fixed distance from the frame's right edge.
constexpr int kEditHeight = 21;
constexpr int kLabelLeft = 4;
constexpr int kAddressTop = 4;
constexpr int kAddressLeft = 40;
constexpr int kGoButtonWidth = 24;
constexpr int kSearchTop = 30;
constexpr int kSearchLeft = 123;
constexpr int kSearchButtonWidth = 47;
constexpr int kSearchButtonHeight = 24;
constexpr int kRowsHeight = 58;

// Auto-scroll of a drag near the tree's top or bottom edge.
constexpr int kScrollEdge = 14;
constexpr int kScrollInterval = 250;
constexpr int kExpandDelay = 500;

constexpr int kLoginManual = store::kLoginManual;
constexpr int kLoginByScript = store::kLoginByScript;

}  // namespace

TExplorerFrame::TExplorerFrame(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("ExplorerFrame"));
  setFont(texts::uiFont());
  model_ = new SiteTreeItemModel(tree_, this);
  buildWidgets();
  buildMenu();

  ScrollWhenDragTimer = new QTimer(this);
  ScrollWhenDragTimer->setObjectName(QStringLiteral("ScrollWhenDragTimer"));
  ScrollWhenDragTimer->setInterval(kScrollInterval);
  connect(ScrollWhenDragTimer, &QTimer::timeout, this, &TExplorerFrame::ScrollWhenDragTimerTimer);
  AutoExpendWhenDragTimer = new QTimer(this);
  AutoExpendWhenDragTimer->setObjectName(QStringLiteral("AutoExpendWhenDragTimer"));
  AutoExpendWhenDragTimer->setInterval(kExpandDelay);
  AutoExpendWhenDragTimer->setSingleShot(true);
  connect(AutoExpendWhenDragTimer, &QTimer::timeout, this, &TExplorerFrame::AutoExpendWhenDragTimerTimer);
  FrameResize();
}

TExplorerFrame::~TExplorerFrame() {
  widgets::wipe(shownPassword_);
  // The item model listens to tree_, which dies before the frame's children.
  TVRegSite->setModel(nullptr);
  delete model_;
}

void TExplorerFrame::buildWidgets() {
  lbAddress_ = new QLabel(texts::M(26), this);
  lbAddress_->setObjectName(QStringLiteral("lbAddress"));
  EdtGoURL = new QLineEdit(this);
  EdtGoURL->setObjectName(QStringLiteral("EdtGoURL"));
  EdtGoURL->installEventFilter(this);
  BtnGoURL = new QToolButton(this);
  BtnGoURL->setObjectName(QStringLiteral("BtnGoURL"));
  BtnGoURL->setIcon(QIcon(goButtonImage()));
  BtnGoURL->setIconSize(QSize(kTreeImageSize, kTreeImageSize));
  BtnGoURL->setAutoRaise(true);
  connect(BtnGoURL, &QToolButton::clicked, this, &TExplorerFrame::goButtonClicked);

  lbSearch_ = new QLabel(texts::M(29), this);
  lbSearch_->setObjectName(QStringLiteral("lbSearch"));
  EdtSearch = new QLineEdit(this);
  EdtSearch->setObjectName(QStringLiteral("EdtSearch"));
  EdtSearch->installEventFilter(this);
  connect(EdtSearch, &QLineEdit::textChanged, this, &TExplorerFrame::EdtSearchChange);
  BtnGoSearch = new QPushButton(texts::M(63), this);
  BtnGoSearch->setObjectName(QStringLiteral("BtnGoSearch"));
  connect(BtnGoSearch, &QPushButton::clicked, this, &TExplorerFrame::BtnGoSearchClick);
  for (QLabel* l : {lbAddress_, lbSearch_}) l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  TVRegSite = new SiteTreeView(this);
  TVRegSite->setObjectName(QStringLiteral("TVRegSite"));
  TVRegSite->setModel(model_);
  TVRegSite->setHandler(this);
  connect(TVRegSite, &QTreeView::doubleClicked, this, &TExplorerFrame::treeDoubleClicked);

  ManualSitePanel = new QFrame(this);
  ManualSitePanel->setObjectName(QStringLiteral("ManualSitePanel"));
  ManualSitePanel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  auto* grid = new QGridLayout(ManualSitePanel);
  grid->setContentsMargins(8, 5, 8, 5);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);
  lbUserID = new QLabel(ManualSitePanel);
  lbUserID->setObjectName(QStringLiteral("lbUserID"));
  lbUserPW = new QLabel(ManualSitePanel);
  lbUserPW->setObjectName(QStringLiteral("lbUserPW"));
  int row = 0;
  for (auto [captionText, value] : {std::pair{27, lbUserID}, std::pair{28, lbUserPW}}) {
    auto* caption = new QLabel(texts::M(captionText), ManualSitePanel);
    grid->addWidget(caption, row, 0);
    // Shown as typed: an ID such as "<b>" is text, not markup.
    value->setTextFormat(Qt::PlainText);
    value->setTextInteractionFlags(Qt::NoTextInteraction);
    value->setCursor(Qt::PointingHandCursor);
    value->installEventFilter(this);
    grid->addWidget(value, row, 1);
    ++row;
  }
  grid->setColumnStretch(1, 1);
  ManualSitePanel->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, kRowsHeight, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(TVRegSite, 1);
  layout->addWidget(ManualSitePanel);
}

void TExplorerFrame::buildMenu() {
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  const auto item = [this](const char* name, int text, const QKeySequence& key, void (TExplorerFrame::*slot)()) {
    auto* action = new QAction(texts::M(text) + u'&', this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    // The keys work while the tree has the focus, not while typing in a box.
    action->setShortcutContext(Qt::WidgetShortcut);
    connect(action, &QAction::triggered, this, slot);
    TVRegSite->addAction(action);
    return action;
  };
  ExPMenuAddSite = item("ExPMenuAddSite", 7, QKeySequence(Qt::Key_Insert), &TExplorerFrame::ExPMenuAddSiteClick);
  ExPMenuAddFolder =
      item("ExPMenuAddFolder", 8, QKeySequence(Qt::SHIFT | Qt::Key_Insert), &TExplorerFrame::ExPMenuAddFolderClick);
  ExPMenuModify = item("ExPMenuModify", 9, QKeySequence(Qt::Key_F2), &TExplorerFrame::ExPMenuModifyClick);
  ExPMenuDelete = item("ExPMenuDelete", 10, QKeySequence(Qt::Key_Delete), &TExplorerFrame::ExPMenuDeleteClick);
  PopupMenu1->addAction(ExPMenuAddSite);
  PopupMenu1->addAction(ExPMenuAddFolder);
  PopupMenu1->addSeparator();
  PopupMenu1->addAction(ExPMenuModify);
  PopupMenu1->addAction(ExPMenuDelete);
}

// --- The store -------------------------------------------------------------

void TExplorerFrame::loadTree(store::TLMCateList& cates, store::TRegSiteList& sites) {
  dragHover_ = nullptr;
  tree_.load(cates, sites);
}

void TExplorerFrame::clearTree() {
  dragHover_ = nullptr;
  tree_.clear();
  EdtGoURL->clear();
  hideManualPanel();
}

void TExplorerFrame::saveStore() {
  if (save_) save_(tree_.treeOrder());
}

TreeNode* TExplorerFrame::selectedNode() const {
  const QModelIndexList selected = TVRegSite->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? nullptr : model_->nodeAt(selected.first());
}

void TExplorerFrame::selectNode(TreeNode* node) {
  const QModelIndex index = model_->indexOf(node);
  if (!index.isValid()) {
    TVRegSite->selectionModel()->clear();
    return;
  }
  TVRegSite->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  TVRegSite->scrollTo(index);
}

// --- Opening sites ---------------------------------------------------------

void TExplorerFrame::OpenInNewBrowser(const QString& url) {
  if (url.size() <= 3) return;
  if (!launcher_) {
    qWarning("TExplorerFrame: no browser to open an address in");
    return;
  }
  launcher_->openInNewWindow(url);
}

void TExplorerFrame::PostInNewBrowser(const QString& url, const QByteArray& body) {
  if (url.size() <= 3) return;
  if (!launcher_) {
    qWarning("TExplorerFrame: no browser to post to");
    return;
  }
  launcher_->postInNewWindow(url, body);
}

void TExplorerFrame::TVRegSiteDblClick() {
  const store::TRegSiteCollItem* site = tree_.site(selectedNode());
  if (!site) return;
  if (site->LoginType != kLoginByScript) {
    OpenInNewBrowser(QString::fromStdString(site->URL));
    return;
  }
  const ScriptRequest request = buildScriptRequest(*site);
  switch (request.kind) {
    case ScriptRequest::Kind::NoScript:
      showMessage(texts::M(49));
      break;
    case ScriptRequest::Kind::Invalid:
      showMessage(texts::M(52));
      break;
    case ScriptRequest::Kind::Get:
      OpenInNewBrowser(request.url);
      break;
    case ScriptRequest::Kind::Post:
      PostInNewBrowser(request.url, request.body);
      break;
    case ScriptRequest::Kind::ProtectedPost:
      if (protectedPost_)
        protectedPost_(request.url, request.body);
      else
        OpenInNewBrowser(request.url);
      break;
  }
}

void TExplorerFrame::treeDoubleClicked() {
  const TreeNode* node = selectedNode();
  if (!node || node->isFolder()) return;
  emit siteOpening();
  // An error of the browser must not escape into the event loop.
  try {
    TVRegSiteDblClick();
  } catch (const std::exception& e) {
    qWarning("TExplorerFrame: the site did not open: %s", e.what());
  }
}

void TExplorerFrame::BtnGoURLClick() {
  if (EdtGoURL->text() == texts::M(46))
    TVRegSiteDblClick();
  else
    OpenInNewBrowser(EdtGoURL->text());
}

void TExplorerFrame::goButtonClicked() {
  emit addressOpening();
  try {
    BtnGoURLClick();
  } catch (const std::exception& e) {
    qWarning("TExplorerFrame: the address did not open: %s", e.what());
  }
}

void TExplorerFrame::EdtGoURLKeyDown(int key) {
  if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
  try {
    // As the go button: a script site shows the word "script" in the box, which
    // is no address to open.
    BtnGoURLClick();
  } catch (const std::exception& e) {
    qWarning("TExplorerFrame: the address did not open: %s", e.what());
  }
}

// --- Selection details and the ID drag -------------------------------------

void TExplorerFrame::ShowSelectionDetails() {
  const TreeNode* node = selectedNode();
  if (!node) return;
  if (node->isFolder()) {
    EdtGoURL->clear();
    hideManualPanel();
    return;
  }
  const store::TRegSiteCollItem* site = tree_.site(node);
  if (!site) return;
  EdtGoURL->setText(QString::fromStdString(site->URL));
  if (site->LoginType == kLoginManual) {
    lbUserID->setText(QString::fromStdString(site->ID_Value));
    widgets::wipe(shownPassword_);
    shownPassword_ = QString::fromStdString(site->PW_Value);
    lbUserPW->setText(QString(shownPassword_.size(), u'*'));
    ManualSitePanel->show();
    return;
  }
  hideManualPanel();
  if (site->LoginType == kLoginByScript) EdtGoURL->setText(texts::M(46));
}

void TExplorerFrame::hideManualPanel() {
  ManualSitePanel->hide();
  lbUserID->clear();
  lbUserPW->clear();
  widgets::wipe(shownPassword_);
  dragArmed_ = false;
}

void TExplorerFrame::UserInfoDragMouseDown(const QPoint& pos) {
  dragStart_ = pos;
  dragArmed_ = true;
}

void TExplorerFrame::UserInfoDragMouseMove(QLabel* label, const QPoint& pos) {
  if (!dragArmed_ || !TDragTextComp::startsDrag(dragStart_, pos)) return;
  // One drag per press: after a cancelled drag the button may still be down.
  dragArmed_ = false;
  QString text = label == lbUserPW ? shownPassword_ : label->text();
  if (text.isEmpty()) return;
  auto* drag = new TDragTextComp(this);
  drag->setDropText(text);
  widgets::wipe(text);
  const int result = drag->ExecuteDrag();
  delete drag;
  emit textDragFinished(result);
}

// --- Folder commands -------------------------------------------------------

void TExplorerFrame::ExPMenuAddSiteClick() { emit addSiteRequested(); }

void TExplorerFrame::ExPMenuAddFolderClick() {
  if (!tree_.isLoaded()) return;
  QString name;
  if (!askText(kCaption, texts::M(45) + kPromptPadding, &name)) return;
  TreeNode* folder = tree_.addFolder(selectedNode(), name);
  if (!folder) return;
  selectNode(folder);
  ShowSelectionDetails();
  saveStore();
}

void TExplorerFrame::ExPMenuModifyClick() {
  TreeNode* node = selectedNode();
  if (!node) {
    showMessage(texts::M(58));
    return;
  }
  if (!node->isFolder()) {
    if (modifySite_) modifySite_(node->siteId());
    return;
  }
  QString name;
  if (!askText(kCaptionPrefix + texts::M(59), texts::M(60) + kPromptPadding, &name)) return;
  if (tree_.renameFolder(node, name)) saveStore();
}

void TExplorerFrame::ExPMenuDeleteClick() {
  TreeNode* node = selectedNode();
  if (!node) {
    showMessage(texts::M(53));
    return;
  }
  const QString quoted = u'"' + node->text() + u'"';
  const QString question =
      node->isFolder() ? texts::M(54) + u' ' + quoted + texts::M(55) : texts::M(56) + u' ' + quoted + texts::M(57);
  if (!confirm(u'\n' + question)) return;
  const store::TRegSiteCollItem* site = tree_.site(node);
  if (site && site->LoginType == kLoginManual) hideManualPanel();
  tree_.remove(node);
  saveStore();
  // The view has moved its current node to a neighbour; that one is selected now.
  const QModelIndex current = TVRegSite->currentIndex();
  if (current.isValid()) {
    TVRegSite->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
    ShowSelectionDetails();
  } else {
    EdtGoURL->clear();
    hideManualPanel();
  }
}

// --- Search ----------------------------------------------------------------

void TExplorerFrame::BtnGoSearchClick() {
  const SiteSearch::Result result = search_.next(EdtSearch->text());
  switch (result.outcome) {
    case SiteSearch::Outcome::Found:
      selectNode(result.node);
      TVRegSite->setFocus();
      ShowSelectionDetails();
      break;
    case SiteSearch::Outcome::NoMore:
      showMessage(texts::M(47));
      break;
    case SiteSearch::Outcome::NotFound:
      showMessage(texts::M(48));
      break;
  }
}

void TExplorerFrame::EdtSearchChange() { search_.stop(); }

void TExplorerFrame::EdtSearchKeyDown(int key) {
  if (key == Qt::Key_Return || key == Qt::Key_Enter) BtnGoSearchClick();
}

// --- The tree's mouse and keys ---------------------------------------------

void TExplorerFrame::TVRegSiteMouseDown(Qt::MouseButton button, TreeHit hit, const QModelIndex& index,
                                        const QPoint& globalPos) {
  switch (hit) {
    case TreeHit::Nowhere:
    case TreeHit::OnRight:
      TVRegSite->selectionModel()->clear();
      if (button == Qt::RightButton) PopupMenu1->popup(globalPos);
      break;
    case TreeHit::OnItem:
      if (button == Qt::RightButton) {
        TVRegSite->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        PopupMenu1->popup(globalPos);
      }
      ShowSelectionDetails();
      break;
    case TreeHit::OnIndent:
      break;
  }
}

void TExplorerFrame::TVRegSiteKeyUp(int key) {
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Right:
      ShowSelectionDetails();
      break;
    default:
      break;
  }
}

void TExplorerFrame::scrollTreeLine(bool up) {
  TVRegSite->verticalScrollBar()->triggerAction(up ? QAbstractSlider::SliderSingleStepSub
                                                   : QAbstractSlider::SliderSingleStepAdd);
}

void TExplorerFrame::FullExpand() { TVRegSite->expandAll(); }

void TExplorerFrame::FullCollapse() { TVRegSite->collapseAll(); }

// --- Drag and drop inside the tree -----------------------------------------

TreeNode* TExplorerFrame::nodeAtViewport(const QPoint& pos) const { return model_->nodeAt(TVRegSite->indexAt(pos)); }

bool TExplorerFrame::isOwnTreeDrag(const QDropEvent* event) const {
  // Only nodes of this tree are moved here; the selected node is the one dragged.
  return event && event->source() == TVRegSite && event->mimeData()->hasFormat(SiteTreeItemModel::kNodeMimeType);
}

void TExplorerFrame::TVRegSiteDragOver(QDragMoveEvent* event, DragState state) {
  if (state == DragState::Leave) {
    ScrollWhenDragTimer->stop();
    AutoExpendWhenDragTimer->stop();
    dragHover_ = nullptr;
    return;
  }
  if (!isOwnTreeDrag(event)) {
    event->ignore();
    return;
  }
  // A refused enter would stop all moves over the tree; the move that always
  // follows an enter decides for the position.
  const auto refuse = [&] {
    TVRegSite->setDropTarget({});
    if (state == DragState::Enter)
      event->acceptProposedAction();
    else
      event->ignore();
  };
  const QPoint pos = event->position().toPoint();
  TreeNode* dragged = selectedNode();
  TreeNode* target = nodeAtViewport(pos);

  if (target && target != tree_.first()) {
    const int height = TVRegSite->viewport()->height();
    // Started once: every move restarting it would keep it from firing.
    if (pos.y() <= kScrollEdge) {
      scrollUp_ = true;
      if (!ScrollWhenDragTimer->isActive()) ScrollWhenDragTimer->start();
    } else if (pos.y() >= height - kScrollEdge) {
      scrollUp_ = false;
      if (!ScrollWhenDragTimer->isActive()) ScrollWhenDragTimer->start();
    } else {
      ScrollWhenDragTimer->stop();
    }
  }
  if (!dragged || dragged == target) {
    refuse();
    return;
  }

  if (target && target->isFolder()) {
    if (state == DragState::Move && target != dragHover_) {
      dragHover_ = target;
      AutoExpendWhenDragTimer->start();
    }
  } else {
    AutoExpendWhenDragTimer->stop();
    dragHover_ = target;
  }

  if (!tree_.acceptsDrop(dragged, target)) {
    refuse();
    return;
  }
  event->setDropAction(Qt::MoveAction);
  event->accept();
  TVRegSite->setDropTarget(model_->indexOf(target));
}

void TExplorerFrame::ScrollWhenDragTimerTimer() {
  scrollTreeLine(scrollUp_);
  TVRegSite->viewport()->update();
}

void TExplorerFrame::AutoExpendWhenDragTimerTimer() {
  AutoExpendWhenDragTimer->stop();
  if (!TVRegSite->isDragging() || !dragHover_) return;
  const QPoint cursor = TVRegSite->viewport()->mapFromGlobal(QCursor::pos());
  if (nodeAtViewport(cursor) == dragHover_) TVRegSite->expand(model_->indexOf(dragHover_));
}

void TExplorerFrame::TVRegSiteEndDrag() {
  ScrollWhenDragTimer->stop();
  AutoExpendWhenDragTimer->stop();
  dragHover_ = nullptr;
}

void TExplorerFrame::TVRegSiteDragDrop(QDropEvent* event) {
  if (!isOwnTreeDrag(event)) {
    event->ignore();
    return;
  }
  TreeNode* dragged = selectedNode();
  TreeNode* target = nodeAtViewport(event->position().toPoint());
  if (!dragged || dragged == target || !tree_.drop(dragged, target)) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::MoveAction);
  event->accept();
  saveStore();
  // The moved node stays selected and in sight.
  TVRegSite->scrollTo(model_->indexOf(dragged));
}

// --- Boxes and keys --------------------------------------------------------

bool TExplorerFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == EdtGoURL) EdtGoURLKeyDown(key);
    if (watched == EdtSearch) EdtSearchKeyDown(key);
    return false;
  }
  if (watched != lbUserID && watched != lbUserPW) return false;
  auto* label = static_cast<QLabel*>(watched);
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) UserInfoDragMouseDown(mouse->position().toPoint());
      break;
    }
    case QEvent::MouseMove: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->buttons() & Qt::LeftButton) UserInfoDragMouseMove(label, mouse->position().toPoint());
      break;
    }
    case QEvent::MouseButtonRelease:
      dragArmed_ = false;
      break;
    default:
      break;
  }
  return false;
}

void TExplorerFrame::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  FrameResize();
}

void TExplorerFrame::FrameResize() {
  const int w = width();
  // A label wider than its place (a translation) pushes its box to the right;
  // the right ends stay where they are.
  const int addressLeft = std::max(kAddressLeft, kLabelLeft + lbAddress_->sizeHint().width() + 4);
  const int searchLeft = std::max(kSearchLeft, kLabelLeft + lbSearch_->sizeHint().width() + 4);
  lbAddress_->setGeometry(kLabelLeft, kAddressTop, addressLeft - kLabelLeft - 2, kEditHeight);
  EdtGoURL->setGeometry(addressLeft, kAddressTop, w - 75 - (addressLeft - kAddressLeft), kEditHeight);
  BtnGoURL->setGeometry(w - 28, kAddressTop, kGoButtonWidth, kEditHeight);
  lbSearch_->setGeometry(kLabelLeft, kSearchTop, searchLeft - kLabelLeft - 2, kEditHeight);
  EdtSearch->setGeometry(searchLeft, kSearchTop, w - 179 - (searchLeft - kSearchLeft), kEditHeight);
  BtnGoSearch->setGeometry(w - 52, kSearchTop - 1, kSearchButtonWidth, kSearchButtonHeight);
}

void TExplorerFrame::showMessage(const QString& text) {
  QMessageBox box(QMessageBox::Information, kCaption, text, QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  box.setFont(font());
  box.exec();
}

bool TExplorerFrame::confirm(const QString& text) {
  QMessageBox box(QMessageBox::Question, kCaption, text, QMessageBox::Yes | QMessageBox::No, this);
  box.setTextFormat(Qt::PlainText);
  box.setFont(font());
  return box.exec() == QMessageBox::Yes;
}

bool TExplorerFrame::askText(const QString& title, const QString& prompt, QString* answer) {
  QInputDialog box(this);
  box.setWindowTitle(title);
  box.setLabelText(prompt);
  box.setTextValue(QString());
  box.setFont(font());
  if (box.exec() != QDialog::Accepted) return false;
  *answer = box.textValue();
  return !answer->trimmed().isEmpty();
}

}  // namespace web
