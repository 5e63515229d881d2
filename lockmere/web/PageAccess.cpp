#include "lockmere/web/PageAccess.h"

#include <chrono>
#include <thread>

#include "lockmere/web/InputTypes.h"
#include "lockmere/web/cdp/AutomationError.h"
#include "lockmere/web/cdp/CallArgs.h"

namespace web {
namespace {

using cdp::AutomationError;
using cdp::CallArgs;

std::string withTypes(const char* signature, const char* body) {
  return std::string(signature) + " {\n" + ReportedTypeScript() + body + "}";
}

const std::string& isHtmlDocumentScript() {
  static const std::string s = std::string("function() { return ") + kIsHtmlDocument + "; }";
  return s;
}

constexpr const char* kHasElementNamed = "function(name) { return document.getElementsByName(name).length > 0; }";

// Runs in our world, where the prototypes are the browser's own: a page that
// wraps an input's value setter (to track typing) sees the change through the
// events, as it would see typing.
const std::string& setFieldValueScript() {
  static const std::string s = withTypes("function(name, value)", R"JS(
  const setter = (e) => {
    for (let p = Object.getPrototypeOf(e); p; p = Object.getPrototypeOf(p)) {
      const d = Object.getOwnPropertyDescriptor(p, 'value');
      if (d && d.set) return d.set;
    }
    return null;
  };
  let set = false;
  for (const e of Array.from(document.getElementsByName(name))) {
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

// Runs in the page's world: the onblur handler belongs to the page's scripts.
const std::string& focusFieldScript() {
  static const std::string s = withTypes("function(name, wanted)", R"JS(
  for (const e of Array.from(document.getElementsByName(name))) {
    if (reportedType(e) !== wanted) continue;
    e.onblur = null;
    e.focus();
    return true;
  }
  return false;
)JS");
  return s;
}

// The first password input and the nearest text input before it.
const std::string& passwordPositionScript() {
  static const std::string s = withTypes("function()", R"JS(
  const inputs = document.getElementsByTagName('INPUT');
  const typeAt = (i) => { try { return reportedType(inputs[i]); } catch (x) { return ''; } };
  for (let i = 0; i < inputs.length; i++) {
    if (typeAt(i) !== 'PASSWORD') continue;
    const found = { pw: inputs[i].name, id: null };
    for (let k = i - 1; k >= 0; k--) {
      if (typeAt(k) === 'TEXT') { found.id = inputs[k].name; break; }
    }
    return found;
  }
  return null;
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

bool FindFrameBySiteNames(const cdp::Frame& window, const store::TRegSiteCollItem& site,
                          std::optional<cdp::Frame>& frame) {
  std::optional<Document> document;
  GetDocumentOfWindow(window, document);
  if (!document) return false;
  if (HasElementNamed(*document, site.ID_Name) && HasElementNamed(*document, site.PW_Name)) {
    frame = window;
    return true;
  }
  try {
    for (const cdp::Frame& child : window.childFrames())
      if (FindFrameBySiteNames(child, site, frame)) return true;
  } catch (const AutomationError&) {
  }
  return false;
}

bool FindFrameByPosition(const cdp::Frame& window, std::optional<cdp::Frame>& frame, store::TRegSiteCollItem& site) {
  std::optional<Document> document;
  GetDocumentOfWindow(window, document);
  if (!document) return false;
  QJsonValue found;
  try {
    found = window.call(passwordPositionScript());
  } catch (const AutomationError&) {
  }
  if (found.isObject()) {
    site.PW_Name = found["pw"].toString().toStdString();
    site.PW_FormName.clear();
    if (found["id"].isString()) {
      site.ID_Name = found["id"].toString().toStdString();
      site.ID_FormName.clear();
    }
    frame = window;
    return true;
  }
  try {
    for (const cdp::Frame& child : window.childFrames())
      if (FindFrameByPosition(child, frame, site)) return true;
  } catch (const AutomationError&) {
  }
  return false;
}

void FillLoginPage(const cdp::Frame& frame, const store::TRegSiteCollItem& site) {
  std::optional<Document> document;
  GetDocumentOfWindow(frame, document);
  if (!document) return;
  try {
    SetFieldValue(*document, site.ID_Name, site.ID_Value);
    for (int i = 0; i < site.ExtraItems.count(); ++i) {
      const store::TExtraItems& item = site.ExtraItems.at(i);
      if (item.Type_ == "TEXT" || item.Type_ == "PASSWORD")
        SetFieldValue(*document, item.Name, item.Value);
      else if (item.Type_ == "SELECT-ONE")
        frame.call(kSelectOption, CallArgs().add(item.Name).add(item.Value).take());
    }
    if (!FocusField(*document, site.PW_Name, "PASSWORD")) {
      if (FocusField(*document, site.ID_Name, "TEXT")) FocusField(*document, site.PW_Name, "PASSWORD");
    }
    SetFieldValue(*document, site.PW_Name, site.PW_Value);
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
