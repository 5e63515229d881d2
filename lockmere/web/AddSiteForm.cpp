#include "lockmere/web/AddSiteForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

#include "lockmere/texts/StringTable.h"
#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/web/RegistrationHost.h"
#include "lockmere/web/SiteFormModel.h"
#include "lockmere/web/SiteKeywords.h"
#include "lockmere/web/TreeImages.h"
#include "platform/bus/MessageBus.h"

namespace web {
namespace {

const QString kCaption = QStringLiteral("Lockmere - 사이트 추가");
const QString kLabelSiteUrl = QStringLiteral("사이트 주소");
const QString kLabelKeyword = QStringLiteral("주소 키워드");
const QString kLabelSiteName = QStringLiteral("사이트 명");
const QString kLabelUserId = QStringLiteral("아이디");
const QString kLabelPassword = QStringLiteral("비밀번호");
const QString kDomainAt = QStringLiteral("@");
const QString kShowPassword = QStringLiteral("비밀번호 보이기");
const QString kMoreInput = QStringLiteral("추가 입력");
const QString kFolder = QStringLiteral("폴더 지정");
const QString kTopLevel = QStringLiteral("최상위");
const QString kLoginTypeGroup = QStringLiteral(" 로그인 방법 ");
const std::array<QString, 5> kLoginTypes = {QStringLiteral("자동 로그인"), QStringLiteral("수동 로그인"),
                                            QStringLiteral("확인 후 로그인"), QStringLiteral("지문을 사용하여 로그인"),
                                            QStringLiteral("스크립트를 사용하여 자동 로그인")};
const QString kMemo = QStringLiteral(" 메모 ");
const QString kScript = QStringLiteral(" 스크립트 ");
const QString kOk = QStringLiteral("확인 (&O)");
const QString kCancel = QStringLiteral("취 소 (&C)");
const QString kMessageCaption = QStringLiteral("Lockmere");
const QString kEnterAddress = QStringLiteral("사이트 주소를 입력해 주세요.  ");
const QString kEnterName = QStringLiteral("사이트 명을 입력해 주세요.  ");
const QString kUrlStart = QStringLiteral("http://");
// The password character of the design's edits.
const QString kMaskStyle = QStringLiteral("QLineEdit { lineedit-password-character: 42; }");

constexpr int kUrlPrefixLength = 7;  // "http://" alone is no address
constexpr int kLabelColumn = 76;     // the labels' column, shared by the extra fields
constexpr int kIndentPixels = 10;    // per indent unit of the folder box
constexpr int kIndentRole = Qt::UserRole + 1;
constexpr int kCateIdRole = Qt::UserRole;

// The folder box's list, each entry moved right by its indent.
class IndentDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem indented(option);
    indented.rect.setLeft(option.rect.left() + index.data(kIndentRole).toInt() * kIndentPixels);
    QStyledItemDelegate::paint(painter, indented, index);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += index.data(kIndentRole).toInt() * kIndentPixels;
    return size;
  }
};

template <class Widget, class... Args>
Widget* named(const QString& name, Args&&... args) {
  auto* w = new Widget(std::forward<Args>(args)...);
  w->setObjectName(name);
  return w;
}

// The form's image list: a folder, and the open folder of the selected entry.
QIcon folderIcon() {
  QIcon icon(treeImage(kFolderImage));
  icon.addPixmap(treeImage(kOpenFolderImage), QIcon::Selected);
  return icon;
}

}  // namespace

TAddSiteForm::TAddSiteForm(RegistrationHost& host, int siteId, bool addMode, platform::WindowHandle browserWindow,
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint),
      host_(host),
      siteId_(siteId),
      addMode_(addMode),
      browserWindow_(browserWindow) {
  setObjectName(QStringLiteral("AddSiteForm"));
  buildControls();
  FormCreate();
}

TAddSiteForm::~TAddSiteForm() = default;

void TAddSiteForm::buildControls() {
  setWindowTitle(kCaption);
  setFont(texts::uiFont());

  EdtSiteURL = named<QLineEdit>("EdtSiteURL", kUrlStart);
  CBURLKeyword = named<QComboBox>("CBURLKeyword");
  CBURLKeyword->setEditable(true);
  CBURLKeyword->setInsertPolicy(QComboBox::NoInsert);
  EdtSiteName = named<QLineEdit>("EdtSiteName");
  EdtUserID = named<QLineEdit>("EdtUserID");
  LBDomain = named<QLabel>("LBDomain", kDomainAt);
  CBDomain = named<QComboBox>("CBDomain");
  LBDomain->hide();
  CBDomain->hide();
  EdtPassword = named<QLineEdit>("EdtPassword");
  EdtPassword->setStyleSheet(kMaskStyle);
  EdtPassword->setEchoMode(QLineEdit::Password);
  CheckBox1 = named<QCheckBox>("CheckBox1", kShowPassword);

  auto* top = new QGridLayout;
  top->setColumnMinimumWidth(0, kLabelColumn);
  top->setColumnStretch(1, 1);
  top->setColumnStretch(3, 1);
  const auto row = [top](int r, const QString& label, QWidget* field) {
    top->addWidget(new QLabel(label), r, 0);
    top->addWidget(field, r, 1, 1, 3);
  };
  row(0, kLabelSiteUrl, EdtSiteURL);
  row(1, kLabelKeyword, CBURLKeyword);
  row(2, kLabelSiteName, EdtSiteName);
  top->addWidget(new QLabel(kLabelUserId), 3, 0);
  top->addWidget(EdtUserID, 3, 1);
  top->addWidget(LBDomain, 3, 2);
  top->addWidget(CBDomain, 3, 3);
  top->addWidget(new QLabel(kLabelPassword), 4, 0);
  top->addWidget(EdtPassword, 4, 1);
  top->addWidget(CheckBox1, 4, 2, 1, 2);

  Panel2 = named<QFrame>("Panel2");
  auto* more = new QGridLayout(Panel2);
  more->setContentsMargins(0, 0, 0, 0);
  more->setVerticalSpacing(0);
  more->setColumnMinimumWidth(0, kLabelColumn);
  more->setColumnStretch(1, 1);
  more->setColumnStretch(2, 1);
  more->addWidget(new QLabel(kMoreInput), 0, 0);
  for (int k = 0; k < 3; ++k) {
    EdMore[k] = named<QLineEdit>(QStringLiteral("EdMore%1").arg(k + 1));
    LbMore[k] = named<QLabel>(QStringLiteral("LbMore%1").arg(k + 1));
    EdMore[k]->setStyleSheet(kMaskStyle);
    more->addWidget(EdMore[k], k, 1);
    more->addWidget(LbMore[k], k, 2);
    if (k > 0) {
      EdMore[k]->hide();
      LbMore[k]->hide();
    }
  }
  Panel2->hide();

  Panel1 = named<QFrame>("Panel1");
  CBCate = named<QComboBox>("CBCate");
  CBCate->setItemDelegate(new IndentDelegate(CBCate));
  CBCate->setIconSize(QSize(kTreeImageSize, kTreeImageSize));
  auto* folderRow = new QHBoxLayout;
  auto* folderLabel = new QLabel(kFolder);
  folderLabel->setMinimumWidth(kLabelColumn);
  folderRow->addWidget(folderLabel);
  folderRow->addWidget(CBCate, 1);

  GroupBox1 = named<QGroupBox>("GroupBox1", kLoginTypeGroup);
  loginTypes_ = new QButtonGroup(this);
  auto* types = new QGridLayout(GroupBox1);
  for (int i = 0; i < 5; ++i) {
    RadioButton[i] = named<QRadioButton>(QStringLiteral("RadioButton%1").arg(i + 1), kLoginTypes[i]);
    loginTypes_->addButton(RadioButton[i], i + 1);
    // The script button takes a row of its own: its caption is the longest.
    if (i < 4)
      types->addWidget(RadioButton[i], i / 2, i % 2);
    else
      types->addWidget(RadioButton[i], 2, 0, 1, 2);
  }
  RadioButton[0]->setChecked(true);

  GroupBox2 = named<QGroupBox>("GroupBox2", kMemo);
  Memo1 = named<QPlainTextEdit>("Memo1");
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto* memo = new QVBoxLayout(GroupBox2);
  memo->addWidget(Memo1);

  BtnOK = named<QPushButton>("BtnOK", kOk);
  BtnCancel = named<QPushButton>("BtnCancel", kCancel);
  BtnOK->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(BtnOK);
  buttons->addWidget(BtnCancel);

  auto* bottom = new QVBoxLayout(Panel1);
  bottom->setContentsMargins(0, 0, 0, 0);
  bottom->addLayout(folderRow);
  bottom->addWidget(GroupBox1);
  bottom->addWidget(GroupBox2, 1);
  bottom->addLayout(buttons);

  auto* form = new QVBoxLayout(this);
  form->setContentsMargins(12, 12, 12, 12);
  form->addLayout(top);
  form->addWidget(Panel2);
  form->addWidget(Panel1, 1);
  setFixedSize(kClientWidth, kClientHeight);

  connect(BtnOK, &QPushButton::clicked, this, &TAddSiteForm::BtnOKClick);
  connect(BtnCancel, &QPushButton::clicked, this, &TAddSiteForm::BtnCancelClick);
  connect(CheckBox1, &QCheckBox::toggled, this, &TAddSiteForm::CheckBox1Click);
  connect(EdtSiteURL, &QLineEdit::textChanged, this, &TAddSiteForm::EdtSiteURLChange);
}

void TAddSiteForm::FormCreate() {
  for (const FolderChoice& choice : FolderChoices(host_.explorer().tree(), kTopLevel)) {
    CBCate->addItem(folderIcon(), choice.text, choice.cateId);
    CBCate->setItemData(CBCate->count() - 1, choice.indent, kIndentRole);
  }
  CBCate->setCurrentIndex(0);
  for (QRadioButton* button : RadioButton)
    connect(button, &QRadioButton::toggled, this, &TAddSiteForm::RadioButtonClick);
  if (host_.useDefaultLoginType()) {
    const int type = host_.defaultLoginType();
    if (type >= 1 && type <= 5) RadioButton[type - 1]->setChecked(true);
  }
  // The setting forbids showing any password of the window in clear.
  CheckBox1->setEnabled(!host_.lockPassword());
}

void TAddSiteForm::showEvent(QShowEvent* event) {
  // After the dialog's own placement (over its owner): this form is centred on
  // the screen once it has its final size.
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
  layout()->activate();  // the extra fields and the drop-down are in place before the first paint
  if (const QScreen* screen = this->screen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
}

void TAddSiteForm::FormShow() {
  raise();
  activateWindow();
  if (siteId_ < 0) {
    selectTreeFolder();
    EdtSiteURL->setFocus();
    return;
  }
  const store::TRegSiteCollection& list =
      addMode_ ? host_.detectedSites().RegSites() : host_.registeredSites().RegSites();
  const store::TRegSiteCollItem* site = list.findById(siteId_);
  if (!site) return;
  EdtSiteURL->setText(QString::fromStdString(site->URL));
  EdtSiteName->setText(QString::fromStdString(site->Name));
  if (!addMode_) {
    EdtUserID->setText(QString::fromStdString(site->ID_Value));
    EdtPassword->setText(QString::fromStdString(site->PW_Value));
  }
  SuggestKeywords(EdtSiteURL->text());
  showRecordExtras(!addMode_);
  if (!addMode_) {
    RadioButton[std::clamp<int>(site->LoginType, 1, 5) - 1]->setChecked(true);
    Memo1->setPlainText(QString::fromStdString(site->Description));
    selectFolder(site->CateID);
    CBURLKeyword->setEditText(QString::fromStdString(site->Keyword));
  }
  EdtUserID->setFocus();
}

void TAddSiteForm::showRecordExtras(bool modify) {
  const store::TRegSiteCollection& list =
      addMode_ ? host_.detectedSites().RegSites() : host_.registeredSites().RegSites();
  const store::TRegSiteCollItem* site = list.findById(siteId_);
  if (!site) return;
  const ExtraFieldPlan plan = PlanExtraFields(*site);
  const int shown = static_cast<int>(plan.edits.size());
  for (int k = 0; k < shown; ++k) {
    const store::TExtraItems& item = *site->ExtraItems.findById(plan.edits[static_cast<std::size_t>(k)]);
    const QString name = QString::fromStdString(item.Name);
    LbMore[k]->setText(QStringLiteral("( ") + name + QStringLiteral(" )"));
    EdMore[k]->setToolTip(name);
    EdMore[k]->show();
    LbMore[k]->show();
    maskedExtra_[k] = item.Type_ == "PASSWORD";
    if (modify) EdMore[k]->setText(QString::fromStdString(item.Value));
  }
  if (shown > 0) {
    Panel2->setFixedHeight(kExtraRowHeight * shown);
    Panel2->show();
    setFixedSize(kClientWidth, kClientHeight + kExtraRowHeight * shown);
  }
  applyPasswordMasks();

  if (plan.select < 0) return;
  const store::TExtraItems& list2 = *site->ExtraItems.findById(plan.select);
  for (int j = 0; j < list2.Options.count(); ++j) CBDomain->addItem(QString::fromStdString(list2.Options.at(j).Text));
  CBDomain->setCurrentIndex(modify ? CBDomain->findText(QString::fromStdString(list2.Value)) : 0);
  LBDomain->show();
  CBDomain->show();
}

void TAddSiteForm::selectFolder(int cateId) {
  const int index = CBCate->findData(cateId, kCateIdRole);
  if (index >= 0) CBCate->setCurrentIndex(index);
}

// An empty new site goes into the folder selected in the tree, or into the
// folder of the site selected there.
void TAddSiteForm::selectTreeFolder() {
  const TreeNode* node = host_.explorer().selectedNode();
  if (!node) return;
  if (node->isFolder())
    selectFolder(node->cateId());
  else if (!node->isTopLevel() && node->parent())
    selectFolder(node->parent()->cateId());
}

int TAddSiteForm::selectedLoginType() const {
  const int id = loginTypes_->checkedId();
  return id < 1 ? store::kLoginAutomatic : id;
}

void TAddSiteForm::SuggestKeywords(const QString& address) {
  const KeywordSuggestions suggestions = web::SuggestKeywords(address);
  CBURLKeyword->clear();
  CBURLKeyword->addItems(suggestions.keywords);
  CBURLKeyword->setEditText(suggestions.text);
}

void TAddSiteForm::EdtSiteURLChange() { SuggestKeywords(EdtSiteURL->text()); }

void TAddSiteForm::RadioButtonClick() {
  const bool script = RadioButton[4]->isChecked();
  GroupBox2->setTitle(script ? kScript : kMemo);
  CBURLKeyword->setEnabled(!script);
}

void TAddSiteForm::CheckBox1Click() { applyPasswordMasks(); }

void TAddSiteForm::applyPasswordMasks() {
  const QLineEdit::EchoMode hidden = CheckBox1->isChecked() ? QLineEdit::Normal : QLineEdit::Password;
  EdtPassword->setEchoMode(hidden);
  for (int k = 0; k < 3; ++k) EdMore[k]->setEchoMode(maskedExtra_[k] ? hidden : QLineEdit::Normal);
}

bool TAddSiteForm::refuse(const QString& text, QLineEdit* focus) {
  BtnOK->setEnabled(true);
  QMessageBox box(QMessageBox::Information, kMessageCaption, text, QMessageBox::Ok, this);
  box.exec();
  focus->setFocus();
  return false;
}

void TAddSiteForm::BtnOKClick() {
  BtnOK->setEnabled(false);
  if (EdtSiteURL->text().trimmed().size() <= kUrlPrefixLength) {
    refuse(kEnterAddress, EdtSiteURL);
    return;
  }
  if (EdtSiteName->text().trimmed().isEmpty()) {
    refuse(kEnterName, EdtSiteName);
    return;
  }
  SiteFormValues values;
  collect(values);
  if (addMode_)
    saveNewSite(values);
  else
    saveEditedSite(values);
  // The page the site was captured from is logged into at once.
  if (browserWindow_ != 0)
    platform::MessageBus::post(host_.mainWindowHandle(), platform::msg::kLoginOnBrowser, browserWindow_);
  accept();
}

void TAddSiteForm::BtnCancelClick() { reject(); }

void TAddSiteForm::collect(SiteFormValues& values) const {
  values.url = EdtSiteURL->text().trimmed().toStdString();
  values.name = EdtSiteName->text().trimmed().toStdString();
  values.keyword = CBURLKeyword->currentText().toStdString();
  values.idValue = EdtUserID->text().toStdString();
  values.pwValue = EdtPassword->text().toStdString();
  values.description = Memo1->toPlainText().toStdString();
  values.cateId = CBCate->currentData(kCateIdRole).toInt();
  values.loginType = selectedLoginType();
  for (const QLineEdit* edit : EdMore)
    if (!edit->toolTip().isEmpty())
      values.extraEdits.emplace_back(edit->toolTip().toStdString(), edit->text().toStdString());
  values.domainText = CBDomain->currentText().toStdString();
}

void TAddSiteForm::saveNewSite(const SiteFormValues& values) {
  store::TRegSiteCollection& detected = host_.detectedSites().RegSites();
  // Looked up now: the captured record may have gone while the form was open.
  const store::TRegSiteCollItem* captured = siteId_ >= 0 ? detected.findById(siteId_) : nullptr;
  const store::TRegSiteCollItem& site = SaveNewSite(host_.registeredSites().RegSites(), captured, values);
  if (captured) detected.removeById(siteId_);
  host_.explorer().tree().addSiteNode(site.ID());
  host_.saveStore();
}

void TAddSiteForm::saveEditedSite(const SiteFormValues& values) {
  store::TRegSiteCollItem* site = host_.registeredSites().RegSites().findById(siteId_);
  if (!site) return;
  SaveEditedSite(*site, values);
  host_.explorer().tree().updateSiteNode(siteId_);
  host_.saveStore();
  // The address box and the manual-login panel show the site as it is now.
  host_.explorer().ShowSelectionDetails();
}

void TAddSiteForm::done(int result) {
  // The password and the extra values do not stay in the window once it closes.
  EdtPassword->clear();
  for (QLineEdit* edit : EdMore) edit->clear();
  QDialog::done(result);
}

}  // namespace web
