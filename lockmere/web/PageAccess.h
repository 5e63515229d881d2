#pragma once

#include <memory>
#include <optional>
#include <string>

#include "lockmere/store/SiteModel.h"
#include "lockmere/web/cdp/Browser.h"
#include "lockmere/web/cdp/Frame.h"
#include "lockmere/web/cdp/PageTarget.h"
#include "platform/WindowMessages.h"

// Reaching into the program's browser: its windows, the documents shown in them
// and in their frames, and the login fields of a registered site. Failed browser
// calls are caught where a failure means "not found" or "not done"; the
// functions never show anything.
namespace web {

// A browser window: a page of the program's browser.
using BrowserRef = std::shared_ptr<cdp::PageTarget>;

// The document shown in a document window (the top document or a frame's).
class Document {
 public:
  explicit Document(cdp::Frame window) : window_(std::move(window)) {}
  const cdp::Frame& window() const { return window_; }

 private:
  cdp::Frame window_;
};

// The browser window with this handle; false when there is none (the window
// closed, or the browser is not running).
bool GetBrowserFromServerWindow(cdp::Browser& browser, platform::WindowHandle window, BrowserRef& found);

// The HTML document shown in a document window; stays empty when the window shows
// no HTML document or cannot be read.
void GetDocumentOfWindow(const cdp::Frame& window, std::optional<Document>& document);

// The browser window the user last had in front, and its handle. False when the
// browser shows no window (it is never started for this).
bool FindTopBrowser(cdp::Browser& browser, BrowserRef& found, platform::WindowHandle& window);

// Whether the document has elements of that name (exactly the design's test).
bool HasElementNamed(const Document& document, const std::string& name);
// Sets every element the record's key stands for (FieldKeys.h) but hidden ones,
// through the element's own value setter, then tells the page with `input` and
// `change` events, as typing would. True when at least one was set. A key is
// looked up by name; where no element has that name, in open shadow roots too
// and, for an id key, by id. Of a name shared by a login form and a sign-up
// form only the login form's elements are set.
bool SetFieldValue(const Document& document, const std::string& name, const std::string& value);
// Focuses the first element of that key and type (found as SetFieldValue finds
// them), after taking away its onblur handler. Throws AutomationError when the
// page cannot be reached.
bool FocusField(const Document& document, const std::string& name, const std::string& wantedType);

// The document window (this one or a frame inside it, depth first in frame
// order) whose document has elements named ID_Name and PW_Name; where there is
// none, the first whose document has the record's fields as SetFieldValue finds
// them (an empty PW_Name: a password field by position).
bool FindFrameBySiteNames(const cdp::Frame& window, const store::TRegSiteCollItem& site,
                          std::optional<cdp::Frame>& frame);
// For sites without an ID_Name: the first document window with a password field;
// PW_Name and, when a text field comes before the password field, ID_Name are
// learned from the page (their form names cleared). A sign-up form's password
// field gives way to a login form's; a text field that says it is something
// else (a code, an address, a card number) gives way to one marked as the user
// name; where no document has a password field, those in open shadow roots
// count. A field without a name is learned by its id key, one with neither as
// an empty name (the fill then finds it by position).
bool FindFrameByPosition(const cdp::Frame& window, std::optional<cdp::Frame>& frame, store::TRegSiteCollItem& site);

// The first page of a two-step login: no document of the page has a password
// field, and one has the site's ID field marked as the user name or an e-mail
// field (for a site without an ID_Name: the page's one such field).
bool FindIdOnlyFrame(const cdp::Frame& window, const store::TRegSiteCollItem& site, std::optional<cdp::Frame>& frame);
// The second page of a two-step login: the document window with the site's
// password field (by position for a site without a PW_Name).
bool FindPasswordFrame(const cdp::Frame& window, const store::TRegSiteCollItem& site, std::optional<cdp::Frame>& frame);

// Fills the ID, the extra fields and the password and leaves the focus in the
// password field; does not submit. An unnamed ID or password field of the
// record is the one found by position.
void FillLoginPage(const cdp::Frame& frame, const store::TRegSiteCollItem& site);

// Brings the browser window to the front, fills the page and submits it as a
// person would: End, a pause, Enter, delivered to the browser window itself (so
// that no other window, and no other program, can receive them). What the
// confirmation and fingerprint login windows do once the user is confirmed.
void FillAndSubmit(const BrowserRef& browser, const cdp::Frame& frame, const store::TRegSiteCollItem& site);

// Shows the browser window in front; a window that cannot be raised stays where it is.
void BringToFront(const BrowserRef& browser);

// Shows a message in the page's own alert box; the text goes in as data. False
// when the page cannot show it.
bool ShowPageAlert(const BrowserRef& browser, const std::string& text);

// Closes every window of the program's browser (never starts it).
void CloseAllBrowserWindows(cdp::Browser& browser);

}  // namespace web
