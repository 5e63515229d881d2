#pragma once

#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "lockmere/store/SiteModel.h"

// What the site form does to the records, free of widgets: which extra fields
// it offers, which folders it lists, and how its values become a site.
namespace web {

class SiteTree;

inline constexpr int kMaxExtraEdits = 3;
inline constexpr char kSelectOneType[] = "SELECT-ONE";

// The extra fields the form offers for a record: an edit for each of the first
// three text or password fields, and the drop-down for the last single-choice
// list (the others keep the drop-down's choice too when saved).
struct ExtraFieldPlan {
  std::vector<int> edits;  // item IDs, in the record's order
  int select = -1;         // item ID, -1 for none
};
ExtraFieldPlan PlanExtraFields(const store::TRegSiteCollItem& site);

// One entry of the folder box: the top level first, then every folder of the
// tree in display order, indented by its depth.
struct FolderChoice {
  QString text;
  int cateId = -1;
  int indent = 0;  // 2 per level below the top
};
std::vector<FolderChoice> FolderChoices(const SiteTree& tree, const QString& topLevelText);

// What the form holds when the user saves.
struct SiteFormValues {
  std::string url;
  std::string name;
  std::string keyword;  // as typed
  std::string idValue;
  std::string pwValue;
  std::string description;
  int cateId = -1;
  int loginType = store::kLoginAutomatic;
  // The extra edits shown: (hint = the item's name, what was typed).
  std::vector<std::pair<std::string, std::string>> extraEdits;
  std::string domainText;  // the drop-down's choice

  SiteFormValues() = default;
  SiteFormValues(const SiteFormValues&) = delete;
  SiteFormValues& operator=(const SiteFormValues&) = delete;
  ~SiteFormValues();  // the ID, the password and the typed extras are wiped
};

// The value an extra item takes from the form: the drop-down's choice for a
// single-choice list, else what was typed into the first edit whose hint is the
// item's name, else nothing.
std::string ExtraValue(const store::TExtraItems& item, const SiteFormValues& values);

// A new site in sites, placed before the first site whose keyword is at least
// as long as the typed one (at the end when there is none), with the captured
// record's extra fields, frame and field names when there is one.
store::TRegSiteCollItem& SaveNewSite(store::TRegSiteCollection& sites, const store::TRegSiteCollItem* captured,
                                     const SiteFormValues& values);
// An existing site takes the form's values; its own extra items take theirs.
void SaveEditedSite(store::TRegSiteCollItem& site, const SiteFormValues& values);

}  // namespace web
