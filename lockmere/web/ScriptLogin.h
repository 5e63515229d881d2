#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "lockmere/store/SiteModel.h"

// Script login: a site whose memo holds "GET" or "POST" on its first line and
// the request's parameters on a later one, with the placeholders for the ID and
// the password in them.
namespace web {

// The script cut at line breaks (CR LF, CR or LF) outside quotes; a part in
// single or double quotes stays whole, quotes included. Empty pieces are
// dropped.
QStringList cutScript(const QString& script);

// application/x-www-form-urlencoded form of value in UTF-8: letters, digits and
// "*-._" stay, a blank becomes "+", every other byte "%XX".
QByteArray formEncode(const QString& value);

// What a script asks for. Holds the ID and password put into the parameters;
// wiped when destroyed.
struct ScriptRequest {
  enum class Kind {
    NoScript,       // nothing to run
    Invalid,        // the method is neither GET nor POST
    Get,            // open url
    Post,           // post body to url
    ProtectedPost,  // hand url and body to the protected login
  };
  Kind kind = Kind::Invalid;
  QString url;      // Get: the address + "?" + the parameters; otherwise the address
  QByteArray body;  // Post, ProtectedPost: the parameter text

  ScriptRequest() = default;
  ScriptRequest(ScriptRequest&&) noexcept = default;
  ScriptRequest& operator=(ScriptRequest&&) noexcept = default;
  ~ScriptRequest();
};

// True when url belongs to the protected-login site.
bool isProtectedLoginAddress(const QString& url);

// The request of a script site. Every idPlaceholder in the parameter text
// becomes the site's ID and every pwPlaceholder its password, both
// form-encoded.
ScriptRequest buildScriptRequest(const store::TRegSiteCollItem& site, const QString& idPlaceholder,
                                 const QString& pwPlaceholder);
// The same with the placeholders of the user interface's language (M50, M51).
ScriptRequest buildScriptRequest(const store::TRegSiteCollItem& site);

}  // namespace web
