#include "lockmere/web/cdp/Frame.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>

#include "lockmere/web/cdp/AutomationError.h"
#include "lockmere/web/cdp/Browser.h"
#include "lockmere/web/cdp/JsonText.h"
#include "lockmere/web/cdp/PageTarget.h"

namespace cdp {
namespace {

// The frame elements of a document in document order (null when there are none).
constexpr std::string_view kFrameElements =
    "function() { const a = Array.from(document.querySelectorAll('frame, iframe')); return a.length ? a : null; }";
constexpr const char* kFrameGroup = "lockmere-frames";

std::string exceptionText(const QJsonObject& details) {
  const QString description = details.value("exception").toObject().value("description").toString();
  return (description.isEmpty() ? details.value("text").toString() : description).toStdString();
}

}  // namespace

Frame::Frame(std::shared_ptr<PageTarget> page, std::string sessionId, std::string frameId)
    : page_(std::move(page)), sessionId_(std::move(sessionId)), frameId_(std::move(frameId)) {}

bool Frame::isTop() const { return frameId_ == page_->targetId(); }

QJsonObject Frame::callFunction(std::string_view function, const SecretText& args, World world, bool byValue,
                                std::string_view objectGroup, const std::string& objectId) const {
  if (page_->isClosed()) throw AutomationError("the browser window has closed");
  Browser& browser = page_->browser();
  for (int attempt = 0;; ++attempt) {
    const int context = objectId.empty() ? browser.contextId(sessionId_, frameId_, world) : 0;
    JsonWriter w;
    w.beginObject().key("functionDeclaration").value(function);
    if (objectId.empty())
      w.key("executionContextId").value(context);
    else
      w.key("objectId").value(objectId);
    w.key("arguments").raw(args).key("returnByValue").value(byValue).key("objectGroup").value(objectGroup).endObject();
    try {
      QJsonObject r = browser.call("Runtime.callFunctionOn", w.take(), sessionId_);
      if (r.contains("exceptionDetails"))
        throw AutomationError("script error: " + exceptionText(r.value("exceptionDetails").toObject()));
      return r.value("result").toObject();
    } catch (const AutomationError& e) {
      // A context that went with its document: the next one is asked for once.
      if (attempt == 0 && objectId.empty() &&
          std::string_view(e.what()).find("Cannot find context") != std::string_view::npos) {
        browser.dropContext(sessionId_, context);
        continue;
      }
      throw;
    }
  }
}

QJsonValue Frame::call(std::string_view function, SecretText args, World world) const {
  return callFunction(function, args, world, true, "lockmere", {}).value("value");
}

std::string Frame::callForObject(std::string_view function, SecretText args, World world,
                                 std::string_view objectGroup) const {
  return callFunction(function, args, world, false, objectGroup, {}).value("objectId").toString().toStdString();
}

QJsonValue Frame::callOn(const std::string& objectId, std::string_view function, SecretText args) const {
  return callFunction(function, args, World::Ours, true, "lockmere", objectId).value("value");
}

std::vector<Frame> Frame::childFrames() const {
  std::vector<Frame> out;
  const std::string array = callForObject(kFrameElements, "[]", World::Ours, kFrameGroup);
  if (array.empty()) return out;
  Browser& browser = page_->browser();
  struct Release {
    Browser& b;
    const std::string& session;
    ~Release() {
      try {
        b.post("Runtime.releaseObjectGroup", QJsonObject{{"objectGroup", kFrameGroup}}, session);
      } catch (const AutomationError&) {
      }
    }
  } release{browser, sessionId_};
  const QJsonObject props =
      browser.call("Runtime.getProperties",
                   QJsonObject{{"objectId", QString::fromStdString(array)}, {"ownProperties", true}}, sessionId_);
  std::vector<std::pair<int, std::string>> elements;
  for (const auto& p : props.value("result").toArray()) {
    const QJsonObject prop = p.toObject();
    bool isIndex = false;
    const int index = prop.value("name").toString().toInt(&isIndex);
    const QString object = prop.value("value").toObject().value("objectId").toString();
    if (isIndex && !object.isEmpty()) elements.emplace_back(index, object.toStdString());
  }
  std::sort(elements.begin(), elements.end());
  for (const auto& [index, object] : elements) {
    const QJsonObject node =
        browser.call("DOM.describeNode", QJsonObject{{"objectId", QString::fromStdString(object)}}, sessionId_)
            .value("node")
            .toObject();
    const std::string frameId = node.value("frameId").toString().toStdString();
    if (frameId.empty()) continue;
    out.emplace_back(page_, browser.sessionForFrame(frameId, sessionId_), frameId);
  }
  return out;
}

}  // namespace cdp
