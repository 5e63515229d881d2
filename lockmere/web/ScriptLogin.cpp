#include "lockmere/web/ScriptLogin.h"

#include "lockmere/texts/StringTable.h"
#include "lockmere/web/SiteAddresses.h"
#include "lockmere/widgets/WipeText.h"

namespace web {

QStringList cutScript(const QString& script) {
  QStringList pieces;
  QString piece;
  QChar quote;  // the quote that opened the current quoted part, or none
  for (qsizetype i = 0; i < script.size(); ++i) {
    const QChar c = script[i];
    if (quote.isNull() && (c == u'\r' || c == u'\n')) {
      if (!piece.isEmpty()) pieces.append(piece);
      piece.clear();
      continue;
    }
    if (c == u'\'' || c == u'"') {
      if (quote.isNull())
        quote = c;
      else if (quote == c)
        quote = QChar();
    }
    piece.append(c);
  }
  if (!piece.isEmpty()) pieces.append(piece);
  return pieces;
}

QByteArray formEncode(const QString& value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  QByteArray utf8 = value.toUtf8();
  QByteArray out;
  out.reserve(utf8.size() * 3);
  for (const char ch : utf8) {
    const auto b = static_cast<unsigned char>(ch);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '*' || b == '-' ||
        b == '.' || b == '_') {
      out.append(static_cast<char>(b));
    } else if (b == ' ') {
      out.append('+');
    } else {
      out.append('%');
      out.append(kHex[b >> 4]);
      out.append(kHex[b & 15]);
    }
  }
  widgets::wipe(utf8);
  return out;
}

ScriptRequest::~ScriptRequest() {
  widgets::wipe(url);
  widgets::wipe(body);
}

bool isProtectedLoginAddress(const QString& url) {
  return url.toUpper().contains(QLatin1String(kProtectedLoginDomain));
}

namespace {

// Puts the encoded form of secret in place of every placeholder.
void substitute(QString& text, const QString& placeholder, const std::string& secret) {
  if (placeholder.isEmpty() || !text.contains(placeholder)) return;
  QString plain = QString::fromStdString(secret);
  QByteArray encoded = formEncode(plain);
  QString replacement = QString::fromLatin1(encoded);
  text.replace(placeholder, replacement);
  widgets::wipe(plain);
  widgets::wipe(encoded);
  widgets::wipe(replacement);
}

}  // namespace

ScriptRequest buildScriptRequest(const store::TRegSiteCollItem& site, const QString& idPlaceholder,
                                 const QString& pwPlaceholder) {
  ScriptRequest request;
  const QStringList pieces = cutScript(QString::fromStdString(site.Description));
  if (pieces.isEmpty()) {
    request.kind = ScriptRequest::Kind::NoScript;
    return request;
  }
  const QString method = pieces.first().toUpper();
  const QString address = QString::fromStdString(site.URL);
  if (method != QLatin1String("GET") && method != QLatin1String("POST")) {
    request.kind = ScriptRequest::Kind::Invalid;
    return request;
  }
  // The parameters are the first line after the method's.
  QString parameters = pieces.size() > 1 ? pieces[1] : QString();
  substitute(parameters, idPlaceholder, site.ID_Value);
  substitute(parameters, pwPlaceholder, site.PW_Value);
  if (method == QLatin1String("GET")) {
    request.kind = ScriptRequest::Kind::Get;
    request.url = address + u'?' + parameters;
  } else {
    request.kind = isProtectedLoginAddress(address) ? ScriptRequest::Kind::ProtectedPost : ScriptRequest::Kind::Post;
    request.url = address;
    request.body = parameters.toUtf8();
  }
  widgets::wipe(parameters);
  return request;
}

ScriptRequest buildScriptRequest(const store::TRegSiteCollItem& site) {
  return buildScriptRequest(site, texts::M(50), texts::M(51));
}

}  // namespace web
