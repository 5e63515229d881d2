#include "lockmere/web/PageAccess.h"

#include <chrono>
#include <thread>

#include "lockmere/web/FieldKeys.h"
#include "lockmere/web/FieldScripts.h"
#include "lockmere/web/FrameWalk.h"
#include "lockmere/web/InputTypes.h"
#include "lockmere/web/cdp/AutomationError.h"
#include "lockmere/web/cdp/CallArgs.h"

namespace web {
namespace {

using cdp::AutomationError;
using cdp::CallArgs;

const std::string& isHtmlDocumentScript() {
  static const std::string s = std::string("function() { return ") + kIsHtmlDocument + "; }";
  return s;
}

constexpr const char* kHasElementNamed = "function(name) { return document.getElementsByName(name).length > 0; }";

// Runs in our world, where the prototypes are the browser's own: a page that
// wraps an input's value setter (to track typing) sees the change through the
// events, as it would see typing.
const std::string& setFieldValueScript() {
  static const std::string s = FieldFunction("name, value", R"JS(
  const setter = (e) => {
    for (let p = Object.getPrototypeOf(e); p; p = Object.getPrototypeOf(p)) {
      const d = Object.getOwnPropertyDescriptor(p, 'value');
      if (d && d.set) return d.set;
    }
    return null;
  };
  let set = false;
  for (const e of fieldsFor(name)) {
    try {
      const t = reportedType(e);
      const write = setter(e);
      if (!t || t === 'HIDDEN' || !write) continue;
      write.call(e, value);
      e.dispatchEvent(new Event('input', { bubbles: true }));
      e.dispatchEvent(new Event('change', { bubbles: true }));
      set = true;
    } catch (x) {
    }
  }
  return set;
)JS");
  return s;
}

// Runs in the page's world: the onblur handler belongs to the page's scripts. A
// page that has changed what the library relies on gets the design's lookup.
const std::string& focusFieldScript() {
  static const std::string s = FieldFunction("name, wanted", R"JS(
  let list;
  try {
    list = fieldsFor(name);
  } catch (x) {
    list = Array.from(document.getElementsByName(name));
  }
  for (const e of list) {
    if (reportedType(e) !== wanted) continue;
    e.onblur = null;
    e.focus();
    return true;
  }
  return false;
)JS");
  return s;
}

// Both fields of a record, found as the fill finds them (null: no HTML document).
const std::string& siteFieldsScript() {
  static const std::string s =
      FieldFunction("idKey, pwKey", std::string("if (!") + kIsHtmlDocument + R"JS() return null;
  return (idKey === '' || fieldsFor(idKey).length > 0) &&
         fieldsFor(pwKey === '' ? POSITION_PASSWORD : pwKey).length > 0;
)JS");
  return s;
}

// The password field and the ID field by position, as keys (null: none here).
const std::string& positionScript() {
  static const std::string s = FieldFunction("deep", R"JS(
  const found = byPosition(deep);
  return found.pw ? { pw: keyOf(found.pw), id: found.id ? keyOf(found.id) : null } : null;
)JS");
  return s;
}

// The first page of a two-step login: no password field, and the record's ID
// field (or the page's one user-name or e-mail field) marked as such.
const std::string& idOnlyScript() {
  static const std::string s = FieldFunction("idKey", std::string("if (!") + kIsHtmlDocument + R"JS() return null;
  if (fields().some(isPassword)) return { password: true, id: false };
  const starts = (e) => isTextLike(e) && startsLogin(e);
  return { password: false, id: !!(idKey === '' ? idOnlyField(false) : fieldsFor(idKey).find(starts)) };
)JS");
  return s;
}

// The record's password field (or the login form's, by position).
const std::string& passwordFieldScript() {
  static const std::string s = FieldFunction("pwKey", std::string("if (!") + kIsHtmlDocument + R"JS() return false;
  return fieldsFor(pwKey === '' ? POSITION_PASSWORD : pwKey).some(isPassword);
)JS");
  return s;
}

// Chooses the option of a drop-down list by its visible text. The list's name and
// the text arrive as data: a stored value can never become script.
constexpr const char* kSelectOption = R"JS(function(name, text) {
  let sel = document.all(name);
  if (sel == null) return false;
  if (!sel.options && typeof sel.length === 'number') sel = Array.from(sel).find((e) => e.options) || null;
  if (!sel || !sel.options) return false;
  let chosen = false;
  for (let i = 0; i < sel.options.length; i++) {
    if (sel.options[i].text == text) { sel.options[i].selected = true; chosen = true; }
  }
  if (chosen) {
    sel.dispatchEvent(new Event('input', { bubbles: true }));
    sel.dispatchEvent(new Event('change', { bubbles: true }));
  }
  return chosen;
})JS";

// Shown after this call has returned: an alert holds the page until it is closed.
constexpr const char* kAlert = "function(text) { setTimeout(() => alert(text), 0); }";

}  // namespace

void BringToFront(const BrowserRef& browser) {
  try {
    browser->bringToFront();
  } catch (const AutomationError&) {
  }
}

bool GetBrowserFromServerWindow(cdp::Browser& browser, platform::WindowHandle window, BrowserRef& found) {
  found = browser.window(window);
  return found != nullptr;
}

void GetDocumentOfWindow(const cdp::Frame& window, std::optional<Document>& document) {
  document.reset();
  try {
    if (window.call(isHtmlDocumentScript()).toBool()) document.emplace(window);
  } catch (const AutomationError&) {
  }
}

bool FindTopBrowser(cdp::Browser& browser, BrowserRef& found, platform::WindowHandle& window) {
  found = browser.topWindow();
  if (!found) return false;
  window = found->handle();
  return true;
}

bool HasElementNamed(const Document& document, const std::string& name) {
  try {
    return document.window().call(kHasElementNamed, CallArgs().add(name).take()).toBool();
  } catch (const AutomationError&) {
    return false;
  }
}

bool SetFieldValue(const Document& document, const std::string& name, const std::string& value) {
  try {
    return document.window().call(setFieldValueScript(), CallArgs().add(name).add(value).take()).toBool();
  } catch (const AutomationError&) {
    return false;
  }
}

bool FocusField(const Document& document, const std::string& name, const std::string& wantedType) {
  return document.window()
      .call(focusFieldScript(), CallArgs().add(name).add(wantedType).take(), cdp::World::Page)
      .toBool();
}

namespace {

// The design's test of one document window: both names in its document.
FrameAnswer siteNamesIn(const cdp::Frame& window, const store::TRegSiteCollItem& site) {
  std::optional<Document> document;
  GetDocumentOfWindow(window, document);
  if (!document) return FrameAnswer::Stop;
  return HasElementNamed(*document, site.ID_Name) && HasElementNamed(*document, site.PW_Name) ? FrameAnswer::Found
                                                                                              : FrameAnswer::Descend;
}

// Where the design's names find nothing: the fields as the fill finds them (in
// shadow roots, by id, by position).
FrameAnswer siteFieldsIn(const cdp::Frame& window, const store::TRegSiteCollItem& site) {
  try {
    const QJsonValue r = window.call(siteFieldsScript(), CallArgs().add(site.ID_Name).add(site.PW_Name).take());
    if (r.isNull()) return FrameAnswer::Stop;
    return r.toBool() ? FrameAnswer::Found : FrameAnswer::Descend;
  } catch (const AutomationError&) {
    return FrameAnswer::Stop;
  }
}

// The design's test by position (`deep`: with fields in shadow roots); the
// fields found are learned into the record.
FrameAnswer positionIn(const cdp::Frame& window, bool deep, store::TRegSiteCollItem& site) {
  std::optional<Document> document;
  GetDocumentOfWindow(window, document);
  if (!document) return FrameAnswer::Stop;
  QJsonValue found;
  try {
    found = window.call(positionScript(), CallArgs().add(deep).take());
  } catch (const AutomationError&) {
  }
  if (!found.isObject()) return FrameAnswer::Descend;
  site.PW_Name = found["pw"].toString().toStdString();
  site.PW_FormName.clear();
  if (found["id"].isString()) {
    site.ID_Name = found["id"].toString().toStdString();
    site.ID_FormName.clear();
  }
  return FrameAnswer::Found;
}

std::string fillKey(const std::string& name, std::string_view positionKey) {
  return name.empty() ? std::string(positionKey) : name;
}

}  // namespace

bool FindFrameBySiteNames(const cdp::Frame& window, const store::TRegSiteCollItem& site,
                          std::optional<cdp::Frame>& frame) {
  return FindFrameWhere(
             window, [&](const cdp::Frame& w) { return siteNamesIn(w, site); }, frame) ||
         FindFrameWhere(
             window, [&](const cdp::Frame& w) { return siteFieldsIn(w, site); }, frame);
}

bool FindFrameByPosition(const cdp::Frame& window, std::optional<cdp::Frame>& frame, store::TRegSiteCollItem& site) {
  return FindFrameWhere(
             window, [&](const cdp::Frame& w) { return positionIn(w, false, site); }, frame) ||
         FindFrameWhere(
             window, [&](const cdp::Frame& w) { return positionIn(w, true, site); }, frame);
}

bool FindIdOnlyFrame(const cdp::Frame& window, const store::TRegSiteCollItem& site, std::optional<cdp::Frame>& frame) {
  bool password = false;
  std::optional<cdp::Frame> idFrame, none;
  FindFrameWhere(
      window,
      [&](const cdp::Frame& w) {
        if (password) return FrameAnswer::Stop;
        QJsonValue r;
        try {
          r = w.call(idOnlyScript(), CallArgs().add(site.ID_Name).take());
        } catch (const AutomationError&) {
          return FrameAnswer::Stop;
        }
        if (r.isNull()) return FrameAnswer::Stop;
        password = r["password"].toBool();
        if (r["id"].toBool() && !idFrame) idFrame = w;
        return FrameAnswer::Descend;  // every frame: none may have a password field
      },
      none);
  if (password || !idFrame) return false;
  frame = idFrame;
  return true;
}

bool FindPasswordFrame(const cdp::Frame& window, const store::TRegSiteCollItem& site,
                       std::optional<cdp::Frame>& frame) {
  return FindFrameWhere(
      window,
      [&](const cdp::Frame& w) {
        try {
          return w.call(passwordFieldScript(), CallArgs().add(site.PW_Name).take()).toBool() ? FrameAnswer::Found
                                                                                             : FrameAnswer::Descend;
        } catch (const AutomationError&) {
          return FrameAnswer::Stop;
        }
      },
      frame);
}

void FillLoginPage(const cdp::Frame& frame, const store::TRegSiteCollItem& site) {
  std::optional<Document> document;
  GetDocumentOfWindow(frame, document);
  if (!document) return;
  // A record that leaves a field unnamed has it filled where it stands.
  const std::string idKey = fillKey(site.ID_Name, kPositionIdKey);
  const std::string pwKey = fillKey(site.PW_Name, kPositionPasswordKey);
  try {
    SetFieldValue(*document, idKey, site.ID_Value);
    for (int i = 0; i < site.ExtraItems.count(); ++i) {
      const store::TExtraItems& item = site.ExtraItems.at(i);
      if (item.Type_ == "TEXT" || item.Type_ == "PASSWORD")
        SetFieldValue(*document, item.Name, item.Value);
      else if (item.Type_ == "SELECT-ONE")
        frame.call(kSelectOption, CallArgs().add(item.Name).add(item.Value).take());
    }
    if (!FocusField(*document, pwKey, "PASSWORD")) {
      if (FocusField(*document, idKey, "TEXT")) FocusField(*document, pwKey, "PASSWORD");
    }
    SetFieldValue(*document, pwKey, site.PW_Value);
  } catch (const AutomationError&) {
    // What was set stays set.
  }
}

void FillAndSubmit(const BrowserRef& browser, const cdp::Frame& frame, const store::TRegSiteCollItem& site) {
  BringToFront(browser);
  FillLoginPage(frame, site);
  try {
    browser->pressKey(cdp::Key::End);
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
    browser->pressKey(cdp::Key::Enter);
  } catch (const AutomationError&) {
  }
}

bool ShowPageAlert(const BrowserRef& browser, const std::string& text) {
  try {
    browser->mainFrame().call(kAlert, CallArgs().add(text).take());
    return true;
  } catch (const AutomationError&) {
    return false;
  }
}

void CloseAllBrowserWindows(cdp::Browser& browser) { browser.closeAllWindows(); }

}  // namespace web
