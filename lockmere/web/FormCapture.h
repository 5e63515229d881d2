#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "lockmere/store/SiteModel.h"
#include "lockmere/web/PageAccess.h"
#include "lockmere/web/cdp/Frame.h"

// Finding a page's login form and turning it into a site record for the list of
// detected sites.
namespace web {

// The one web site whose login form is never captured (compared upper case as
// a part of the address): a fictitious bank whose login page is protected by a
// control of its own.
inline constexpr std::string_view kExceptedDomain = "HANBITBANK.EXAMPLE";

// A login form found on a page, kept in the page between finding and capture.
struct LoginForm {
  cdp::Frame frame;      // the document window that holds it
  std::string objectId;  // the form (or what stands for it) with its password field, as the browser keeps it for us
};

// The form of the first password field that has one, in the window's document
// or else in its frames (depth first, in frame order); frameName is the name of
// the document window it is in. A sign-up or change-password form is passed
// over. Where no document has such a form: the first password field, also in
// open shadow roots, that is in no sign-up form; outside any form, the nearest
// element holding it and its ID field stands for the form. A page without any
// password field whose one text field is marked as the user name is the first
// page of a two-step login: that field's form.
bool FindPasswordForm(const cdp::Frame& window, std::optional<LoginForm>& form, std::string& frameName);

// A new record in `detected` for the form: the page's address and title, the
// frame name, the ID and password fields and the form's other named fields with
// the options of its drop-down lists. A text field that says it is something
// else (a one-time code, an address, a card number) is not taken for the ID
// field where one is marked as the user name. An ID or password field without a
// name is recorded by its id key (FieldKeys.h), one with neither left unnamed;
// an element standing for a form has an empty form name. Returns the record's
// ID, -1 on failure.
int CaptureLoginForm(const BrowserRef& browser, const LoginForm& form, const std::string& frameName,
                     store::TRegSiteList& detected);

}  // namespace web
