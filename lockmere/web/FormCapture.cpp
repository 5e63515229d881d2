#include "lockmere/web/FormCapture.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "lockmere/web/InputTypes.h"
#include "lockmere/web/SiteMatch.h"
#include "lockmere/web/cdp/AutomationError.h"

namespace web {
namespace {

using cdp::AutomationError;

// The form of the first password field that has one; null also when the window
// shows no HTML document.
const std::string& passwordFormScript() {
  static const std::string s = "function() {\n" + ReportedTypeScript() + R"JS(
  if (!)JS" + std::string(kIsHtmlDocument) +
                               R"JS() return null;
  const inputs = document.getElementsByTagName('INPUT');
  for (let i = 0; i < inputs.length; i++) {
    if (reportedType(inputs[i]) === 'PASSWORD' && inputs[i].form) return inputs[i].form;
  }
  return null;
})JS";
  return s;
}

constexpr const char* kWindowName = "function() { return window.name; }";

// The form's name and its inputs and drop-down lists in form order. The form's
// own properties are read through the browser's getters: a field named "name" or
// "elements" would hide them.
const std::string& formFieldsScript() {
  static const std::string s = "function() {\n" + ReportedTypeScript() + R"JS(
  const getter = (p) => Object.getOwnPropertyDescriptor(HTMLFormElement.prototype, p).get;
  const elements = getter('elements').call(this);
  const form = { name: this.getAttribute('name') || '', fields: [] };
  for (let i = 0; i < elements.length; i++) {
    const e = elements[i];
    if (e instanceof HTMLInputElement) {
      form.fields.push({ name: e.name, type: reportedType(e) });
    } else if (e instanceof HTMLSelectElement) {
      form.fields.push({ name: e.name, type: reportedType(e),
                         options: Array.from(e.options, (o) => ({ value: o.value, text: o.text })) });
    }
  }
  return form;
})JS";
  return s;
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

bool FindPasswordForm(const cdp::Frame& window, std::optional<LoginForm>& form, std::string& frameName) {
  std::string object;
  try {
    object = window.callForObject(passwordFormScript(), "[]", cdp::World::Ours, "lockmere-form");
  } catch (const AutomationError&) {
    return false;
  }
  if (!object.empty()) {
    form = LoginForm{window, object};
    try {
      frameName = window.call(kWindowName).toString().toStdString();
    } catch (const AutomationError&) {
      frameName.clear();
    }
    return true;
  }
  try {
    for (const cdp::Frame& child : window.childFrames())
      if (FindPasswordForm(child, form, frameName)) return true;
  } catch (const AutomationError&) {
  }
  return false;
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
  int password = -1;  // the first password item, by item ID
  std::string passwordName;
  for (const QJsonValue& f : captured.value("fields").toArray()) {
    const std::string name = f["name"].toString().toStdString();
    const std::string type = f["type"].toString().toStdString();
    const bool isList = f.toObject().contains("options");
    if (!isList && name.empty()) continue;  // unnamed inputs are not captured
    store::TExtraItems& item = site.ExtraItems.add();
    item.FormName = formName;
    item.Name = name;
    item.Type_ = type;
    for (const QJsonValue& o : f["options"].toArray()) {
      store::TSiteOptions& option = item.Options.add();
      option.Value = o["value"].toString().toStdString();
      option.Text = o["text"].toString().toStdString();
    }
    if (password < 0 && !isList && type == "PASSWORD") {
      password = item.ID();
      passwordName = name;
    }
  }
  if (password < 0) return id;

  // The ID field: the nearest text field before the password field whose name
  // does not begin with the password field's name (such a one is taken for a
  // decoy of the password field and dropped).
  int idItem = -1, decoy = -1;
  for (int k = site.ExtraItems.indexOf(password) - 1; k >= 0; --k) {
    const store::TExtraItems& item = site.ExtraItems.at(k);
    if (item.Type_ != "TEXT") continue;
    if (startsWith(item.Name, passwordName)) {
      decoy = item.ID();
      continue;
    }
    idItem = item.ID();
    break;
  }
  if (idItem >= 0) {
    const store::TExtraItems& item = *site.ExtraItems.findById(idItem);
    site.ID_FormName = item.FormName;
    site.ID_Name = item.Name;
    site.ExtraItems.removeById(idItem);
  }
  const store::TExtraItems& pw = *site.ExtraItems.findById(password);
  site.PW_FormName = pw.FormName;
  site.PW_Name = pw.Name;
  site.ExtraItems.removeById(password);
  if (decoy >= 0) site.ExtraItems.removeById(decoy);
  return id;
}

}  // namespace web
