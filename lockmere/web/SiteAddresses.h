#pragma once

// Addresses the program itself chooses.
namespace web {

// The product's web page, opened by the help menu.
inline constexpr char kProductPageUrl[] = "https://www.lockmere.example/";

// The one outside site that takes logins only through its encryption module:
// a script site whose address contains this domain (compared upper-case) posts
// through the protected login instead of plainly. The .example name is reserved
// and never resolves; the real site's domain replaces it when that login is
// supported.
inline constexpr char kProtectedLoginDomain[] = "LOGIN.GUARDBANK.EXAMPLE";

}  // namespace web
