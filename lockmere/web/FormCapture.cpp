#include "lockmere/web/FormCapture.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <vector>

#include "lockmere/web/FieldScripts.h"
#include "lockmere/web/FrameWalk.h"
#include "lockmere/web/InputTypes.h"
#include "lockmere/web/SiteMatch.h"
#include "lockmere/web/cdp/AutomationError.h"

namespace web {
namespace {

using cdp::AutomationError;

// The searches of FindPasswordForm, each giving a login form as
// { form, password, id } (the form's element, or the element that stands for
// it; its password field; the ID field of a page without one) or null.
std::string searchScript(const char* body) {
  return FieldFunction("", std::string("if (!") + kIsHtmlDocument + ") return null;\n" + body);
}

// The design's: the form of the first password field that has one, unless
// it is a sign-up or change-password form.
const std::string& designSearch() {
  static const std::string s = searchScript(R"JS(
  const inputs = document.getElementsByTagName('INPUT');
  for (let i = 0; i < inputs.length; i++) {
    const e = inputs[i];
    if (reportedType(e) === 'PASSWORD' && e.form) return isNewPasswordForm(e.form) ? null : { form: e.form, password: e };
  }
  return null;
)JS");
  return s;
}

// Where the design's finds none: the first password field, also in open shadow
// roots and outside any form, that is not in a sign-up form.
const std::string& extendedSearch() {
  static const std::string s = searchScript(R"JS(
  const p = loginPassword();
  return p ? { form: containerOf(p), password: p } : null;
)JS");
  return s;
}

// A page without any password field: the first page of a two-step login, when
// its one text field marked as the user name says so.
const std::string& idOnlySearch() {
  static const std::string s = searchScript(R"JS(
  if (fields().some(isPassword)) return null;
  const id = idOnlyField(true);
  return id ? { form: boxOf(id), id } : null;
)JS");
  return s;
}

constexpr const char* kWindowName = "function() { return window.name; }";

// The form's name and its inputs and drop-down lists in form order (for an
// element standing for a form: those under it outside any form), each with its
// key and what it says it is, and where the login form's password field and a
// two-step page's ID field are among them. The form's own properties are read
// through the browser's getters: a field named "name" or "elements" would hide
// them.
const std::string& formFieldsScript() {
  static const std::string s = FieldFunction("", R"JS(
  const d = this;
  const isForm = d.form instanceof HTMLFormElement;
  const list = isForm ? formFields(d.form) : looseFieldsIn(d.form);
  const out = { name: isForm ? d.form.getAttribute('name') || '' : '', fields: [], password: -1, id: -1 };
  for (const e of list) {
    const select = e instanceof HTMLSelectElement;
    if (!select && !(e instanceof HTMLInputElement)) continue;
    if (e === d.password) out.password = out.fields.length;
    if (e === d.id) out.id = out.fields.length;
    const f = { name: e.name, key: keyOf(e), type: reportedType(e), says: select ? '' : says(e) };
    if (select) f.options = Array.from(e.options, (o) => ({ value: o.value, text: o.text }));
    out.fields.push(f);
  }
  if (d.password && out.password < 0) out.password = out.fields.findIndex((f) => f.type === 'PASSWORD' && !f.options);
  return out;
)JS");
  return s;
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

bool findIn(const cdp::Frame& window, const std::string& search, std::optional<LoginForm>& form,
            std::string& frameName) {
  std::optional<cdp::Frame> found;
  std::string object;
  const bool any = FindFrameWhere(
      window,
      [&](const cdp::Frame& w) {
        try {
          object = w.callForObject(search, "[]", cdp::World::Ours, "lockmere-form");
        } catch (const AutomationError&) {
          return FrameAnswer::Stop;
        }
        return object.empty() ? FrameAnswer::Descend : FrameAnswer::Found;
      },
      found);
  if (!any) return false;
  form = LoginForm{*found, object};
  try {
    frameName = found->call(kWindowName).toString().toStdString();
  } catch (const AutomationError&) {
    frameName.clear();
  }
  return true;
}

// One input or drop-down list of a captured form.
struct Field {
  std::string name, key, type, says;
  bool isList = false;
  QJsonArray options;
  int item = -1;  // its item in ExtraItems, by ID; -1 when not captured (no name)
};

// The ID field for the password field at `pw`: the nearest text field before
// it; a text field whose name begins with the password field's name is a decoy
// of the password field (the last one met is returned in `decoy`). `unnamed`:
// fields without a name count too.
int idFieldBefore(const std::vector<Field>& fields, int pw, bool unnamed, int& decoy) {
  const std::string& pwName = fields[pw].name;
  for (int k = pw - 1; k >= 0; --k) {
    const Field& f = fields[k];
    if (f.isList || f.type != "TEXT" || (f.item < 0 && !unnamed)) continue;
    if (!pwName.empty() && !f.name.empty() && startsWith(f.name, pwName)) {
      if (f.item >= 0) decoy = f.item;
      continue;
    }
    return k;
  }
  return -1;
}

// The nearest text field before `pw` that says it is `what`.
int markedBefore(const std::vector<Field>& fields, int pw, const char* what) {
  for (int k = pw - 1; k >= 0; --k)
    if (!fields[k].isList && fields[k].type == "TEXT" && fields[k].says == what) return k;
  return -1;
}

}  // namespace

bool FindPasswordForm(const cdp::Frame& window, std::optional<LoginForm>& form, std::string& frameName) {
  return findIn(window, designSearch(), form, frameName) || findIn(window, extendedSearch(), form, frameName) ||
         findIn(window, idOnlySearch(), form, frameName);
}

int CaptureLoginForm(const BrowserRef& browser, const LoginForm& form, const std::string& frameName,
                     store::TRegSiteList& detected) {
  cdp::PageInfo page;
  try {
    if (!browser || browser->isClosed()) return -1;
    page = browser->currentInfo();
  } catch (const AutomationError&) {
    return -1;
  }
  store::TRegSiteCollItem& site = detected.RegSites().add();
  site.URL = page.url;
  site.Name = page.title;
  site.FrameName = frameName;
  const int id = site.ID();
  if (UpperCase(page.url).find(kExceptedDomain) != std::string::npos) return id;

  QJsonObject captured;
  try {
    captured = form.frame.callOn(form.objectId, formFieldsScript()).toObject();
  } catch (const AutomationError&) {
    return id;  // the page went away: nothing of the form is known
  }
  const std::string formName = captured.value("name").toString().toStdString();
  std::vector<Field> fields;
  for (const QJsonValue& v : captured.value("fields").toArray()) {
    Field f{v["name"].toString().toStdString(), v["key"].toString().toStdString(), v["type"].toString().toStdString(),
            v["says"].toString().toStdString(), v.toObject().contains("options"),  v["options"].toArray()};
    if (f.isList || !f.name.empty()) {  // unnamed inputs are not captured
      store::TExtraItems& item = site.ExtraItems.add();
      item.FormName = formName;
      item.Name = f.name;
      item.Type_ = f.type;
      for (const QJsonValue& o : f.options) {
        store::TSiteOptions& option = item.Options.add();
        option.Value = o["value"].toString().toStdString();
        option.Text = o["text"].toString().toStdString();
      }
      f.item = item.ID();
    }
    fields.push_back(std::move(f));
  }
  const auto take = [&](const Field& f, std::string& formNameOut, std::string& nameOut) {
    if (!f.key.empty()) {
      formNameOut = formName;
      nameOut = f.key;
    }
    if (f.item >= 0) site.ExtraItems.removeById(f.item);
  };

  // The first page of a two-step login: its ID field alone.
  const int idOnly = captured.value("id").toInt(-1);
  if (idOnly >= 0 && idOnly < static_cast<int>(fields.size())) {
    take(fields[idOnly], site.ID_FormName, site.ID_Name);
    return id;
  }
  const int pw = captured.value("password").toInt(-1);
  if (pw < 0 || pw >= static_cast<int>(fields.size())) return id;

  // The ID field as the design finds it: the nearest named text field before
  // the password field, decoys of the password field passed over. Where that
  // finds none, or the password field has no name, unnamed fields count too.
  int decoy = -1;
  const bool named = fields[pw].item >= 0;
  int idField = named ? idFieldBefore(fields, pw, false, decoy) : -1;
  if (idField < 0) idField = idFieldBefore(fields, pw, true, decoy);
  // A field that says it is something else (a code, an address, a card number)
  // gives way to a field marked as the user name (or else as an e-mail address).
  if (idField >= 0 && fields[idField].says == "other") {
    int marked = markedBefore(fields, pw, "username");
    if (marked < 0) marked = markedBefore(fields, pw, "email");
    if (marked >= 0) idField = marked;
  }
  if (idField >= 0) take(fields[idField], site.ID_FormName, site.ID_Name);
  take(fields[pw], site.PW_FormName, site.PW_Name);
  if (decoy >= 0) site.ExtraItems.removeById(decoy);
  return id;
}

}  // namespace web
