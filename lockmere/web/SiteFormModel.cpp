#include "lockmere/web/SiteFormModel.h"

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/web/SiteKeywords.h"
#include "lockmere/web/SiteTree.h"

namespace web {
namespace {

bool isTextField(const store::TExtraItems& item) { return item.Type_ == "TEXT" || item.Type_ == "PASSWORD"; }

int depthOf(const TreeNode* node) {
  int depth = 0;
  for (const TreeNode* p = node->parent(); p && p->parent(); p = p->parent()) ++depth;
  return depth;
}

// The fields every save sets from the form.
void setCommonFields(store::TRegSiteCollItem& site, const SiteFormValues& values) {
  site.URL = values.url;
  site.Name = values.name;
  // A script site is never matched by keyword: it keeps none.
  if (values.loginType != store::kLoginByScript) site.Keyword = StoredKeyword(QString::fromStdString(values.keyword));
  site.ID_Value = values.idValue;
  site.PW_Value = values.pwValue;
  site.CateID = values.cateId;
  site.Description = values.description;
  site.LoginType = static_cast<std::uint8_t>(values.loginType);
}

}  // namespace

ExtraFieldPlan PlanExtraFields(const store::TRegSiteCollItem& site) {
  ExtraFieldPlan plan;
  for (int i = 0; i < site.ExtraItems.count(); ++i) {
    const store::TExtraItems& item = site.ExtraItems.at(i);
    if (item.Type_ == kSelectOneType) plan.select = item.ID();
    if (isTextField(item) && static_cast<int>(plan.edits.size()) < kMaxExtraEdits) plan.edits.push_back(item.ID());
  }
  return plan;
}

std::vector<FolderChoice> FolderChoices(const SiteTree& tree, const QString& topLevelText) {
  std::vector<FolderChoice> choices{{topLevelText, -1, 0}};
  for (const TreeNode* n = tree.first(); n; n = SiteTree::next(n))
    if (n->isFolder()) choices.push_back({n->text(), n->cateId(), 2 * depthOf(n)});
  return choices;
}

SiteFormValues::~SiteFormValues() {
  crypto::wipe(idValue);
  crypto::wipe(pwValue);
  for (auto& [hint, typed] : extraEdits) crypto::wipe(typed);
}

std::string ExtraValue(const store::TExtraItems& item, const SiteFormValues& values) {
  if (item.Type_ == kSelectOneType) return values.domainText;
  for (const auto& [hint, typed] : values.extraEdits)
    if (hint == item.Name) return typed;
  return {};
}

store::TRegSiteCollItem& SaveNewSite(store::TRegSiteCollection& sites, const store::TRegSiteCollItem* captured,
                                     const SiteFormValues& values) {
  const int at = sites.insertPosition(StoredKeyword(QString::fromStdString(values.keyword)));
  store::TRegSiteCollItem& site = sites.insert(at);
  setCommonFields(site, values);
  if (!captured) return site;
  for (int i = 0; i < captured->ExtraItems.count(); ++i) {
    const store::TExtraItems& from = captured->ExtraItems.at(i);
    store::TExtraItems& to = site.ExtraItems.add();
    to.FormName = from.FormName;
    to.Name = from.Name;
    to.Type_ = from.Type_;
    to.Value = ExtraValue(from, values);
    for (int j = 0; j < from.Options.count(); ++j) {
      store::TSiteOptions& option = to.Options.add();
      option.Text = from.Options.at(j).Text;
      option.Value = from.Options.at(j).Value;
    }
  }
  site.FrameName = captured->FrameName;
  site.ID_FormName = captured->ID_FormName;
  site.ID_Name = captured->ID_Name;
  site.PW_FormName = captured->PW_FormName;
  site.PW_Name = captured->PW_Name;
  return site;
}

void SaveEditedSite(store::TRegSiteCollItem& site, const SiteFormValues& values) {
  setCommonFields(site, values);
  for (int i = 0; i < site.ExtraItems.count(); ++i) {
    store::TExtraItems& item = site.ExtraItems.at(i);
    item.Value = ExtraValue(item, values);
  }
}

}  // namespace web
