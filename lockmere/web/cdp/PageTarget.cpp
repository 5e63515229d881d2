#include "lockmere/web/cdp/PageTarget.h"

#include <QJsonObject>

#include "lockmere/web/cdp/AutomationError.h"
#include "lockmere/web/cdp/Browser.h"
#include "lockmere/web/cdp/Frame.h"

namespace cdp {

PageTarget::PageTarget(Browser& browser, std::string targetId, std::string sessionId, platform::WindowHandle handle)
    : browser_(browser), targetId_(std::move(targetId)), sessionId_(std::move(sessionId)), handle_(handle) {}

Frame PageTarget::mainFrame() { return Frame(shared_from_this(), sessionId_, targetId_); }

void PageTarget::navigate(const std::string& url) {
  const QJsonObject r = browser_.call("Page.navigate", QJsonObject{{"url", QString::fromStdString(url)}}, sessionId_);
  if (const QString error = r.value("errorText").toString(); !error.isEmpty())
    throw AutomationError("cannot open " + url + ": " + error.toStdString());
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
