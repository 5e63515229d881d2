#include "lockmere/web/cdp/PageTarget.h"

#include <openssl/evp.h>
#include <QJsonArray>
#include <QJsonObject>

#include "lockmere/web/cdp/AutomationError.h"
#include "lockmere/web/cdp/Browser.h"
#include "lockmere/web/cdp/Frame.h"
#include "lockmere/web/cdp/JsonText.h"

namespace cdp {

PageTarget::PageTarget(Browser& browser, std::string targetId, std::string sessionId, platform::WindowHandle handle)
    : browser_(browser), targetId_(std::move(targetId)), sessionId_(std::move(sessionId)), handle_(handle) {}

Frame PageTarget::mainFrame() { return Frame(shared_from_this(), sessionId_, targetId_); }

void PageTarget::navigate(const std::string& url) {
  const QJsonObject r = browser_.call("Page.navigate", QJsonObject{{"url", QString::fromStdString(url)}}, sessionId_);
  if (const QString error = r.value("errorText").toString(); !error.isEmpty())
    throw AutomationError("cannot open " + url + ": " + error.toStdString());
}

namespace {

// A Fetch pattern that matches exactly this address ("*" and "?" are wildcards).
QString exactPattern(const std::string& url) {
  QString out;
  for (const QChar c : QString::fromStdString(url)) {
    if (c == '*' || c == '?' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

SecretText base64(const std::string& bytes) {
  SecretText out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  out.resize(static_cast<std::size_t>(n));
  return out;
}

}  // namespace

void PageTarget::navigatePost(const std::string& url, const std::string& body, const std::string& contentType) {
  // The request the navigation makes is held, turned into a POST with the body,
  // and let go.
  browser_.call("Fetch.enable",
                QJsonObject{{"patterns",
                             QJsonArray{QJsonObject{{"urlPattern", exactPattern(url)}, {"requestStage", "Request"}}}}},
                sessionId_);
  struct Disable {
    PageTarget& p;
    ~Disable() {
      try {
        p.browser_.post("Fetch.disable", QJsonObject{}, p.sessionId_);
      } catch (const AutomationError&) {
      }
    }
  } disable{*this};
  browser_.post("Page.navigate", QJsonObject{{"url", QString::fromStdString(url)}}, sessionId_);
  const auto paused = browser_.waitForEvent(sessionId_, "Fetch.requestPaused", Browser::kCallTimeout);
  if (!paused) throw AutomationError("cannot open " + url + ": the request did not start");
  const QJsonObject request = paused->value("request").toObject();
  JsonWriter w;
  w.beginObject()
      .key("requestId")
      .value(paused->value("requestId").toString().toStdString())
      .key("method")
      .value("POST")
      .key("postData")
      .value(std::string_view(base64(body)))
      .key("headers")
      .beginArray();
  // Headers given here replace the request's own: keep them, with the body's type.
  const QJsonObject headers = request.value("headers").toObject();
  for (auto it = headers.begin(); it != headers.end(); ++it) {
    if (it.key().compare("Content-Type", Qt::CaseInsensitive) == 0) continue;
    w.beginObject().key("name").value(it.key().toStdString()).key("value").value(it.value().toString().toStdString());
    w.endObject();
  }
  w.beginObject().key("name").value("Content-Type").key("value").value(contentType).endObject();
  w.endArray().endObject();
  browser_.call("Fetch.continueRequest", w.take(), sessionId_);
}

void PageTarget::bringToFront() {
  browser_.call("Page.bringToFront", QJsonObject{}, sessionId_);
  browser_.markFront(*this);
}

void PageTarget::pressKey(Key key) {
  if (!painted_) browser_.waitUntil([this] { return painted_ || closed_; }, std::chrono::milliseconds(1000));
  QJsonObject down;
  if (key == Key::End) {
    down = {{"type", "rawKeyDown"},
            {"key", "End"},
            {"code", "End"},
            {"windowsVirtualKeyCode", 35},
            {"nativeVirtualKeyCode", 35}};
  } else {
    down = {{"type", "keyDown"},         {"key", "Enter"},
            {"code", "Enter"},           {"text", "\r"},
            {"unmodifiedText", "\r"},    {"windowsVirtualKeyCode", 13},
            {"nativeVirtualKeyCode", 13}};
  }
  QJsonObject up = down;
  up.insert("type", "keyUp");
  up.remove("text");
  up.remove("unmodifiedText");
  // The page handles its commands in order: the reply to the key's release comes
  // after the press has been handled too.
  browser_.post("Input.dispatchKeyEvent", down, sessionId_);
  browser_.call("Input.dispatchKeyEvent", up, sessionId_);
}

WindowBounds PageTarget::bounds() {
  const QJsonObject r =
      browser_.call("Browser.getWindowForTarget", QJsonObject{{"targetId", QString::fromStdString(targetId_)}});
  const QJsonObject b = r.value("bounds").toObject();
  return {b.value("left").toInt(), b.value("top").toInt(), b.value("width").toInt(), b.value("height").toInt()};
}

PageInfo PageTarget::currentInfo() {
  const QJsonObject info =
      browser_.call("Target.getTargetInfo", QJsonObject{{"targetId", QString::fromStdString(targetId_)}})
          .value("targetInfo")
          .toObject();
  return {info.value("url").toString().toStdString(), info.value("title").toString().toStdString()};
}

void PageTarget::close() {
  browser_.call("Target.closeTarget", QJsonObject{{"targetId", QString::fromStdString(targetId_)}});
}

void PageTarget::answerDialog(bool accept) {
  browser_.call("Page.handleJavaScriptDialog", QJsonObject{{"accept", accept}}, sessionId_);
  dialogOpen_ = false;
}

}  // namespace cdp
