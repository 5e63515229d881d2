#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lockmere/web/cdp/JsonText.h"

namespace cdp {

class PageTarget;

// Where a function runs: in a world of our own, which shares the page's document
// but none of its scripts (the page cannot see or replace what we call), or in the
// page's own world (to change what belongs to the page's scripts).
enum class World { Ours, Page };

// A document window: the top document of a page or one of its frames, same-site
// (in the page's process) or cross-site (a target of its own). DOM reads and
// writes are functions of ours called in it, with their arguments passed as data.
class Frame {
 public:
  Frame(std::shared_ptr<PageTarget> page, std::string sessionId, std::string frameId);

  const std::shared_ptr<PageTarget>& page() const { return page_; }
  const std::string& sessionId() const { return sessionId_; }
  const std::string& frameId() const { return frameId_; }
  bool isTop() const;

  // Calls a function declaration ("function(a, b) { ... }") with the arguments
  // (the JSON text of a CallArgs array) and returns its result by value. An
  // exception in the page, a closed page or a browser that does not answer
  // throws AutomationError.
  QJsonValue call(std::string_view function, SecretText args = "[]", World world = World::Ours) const;
  // As call(), but the result is kept in the page (in the object group) and its
  // object id returned (empty for null or undefined).
  std::string callForObject(std::string_view function, SecretText args = "[]", World world = World::Ours,
                            std::string_view objectGroup = "lockmere") const;
  // As call(), with `this` the object kept in the page under objectId.
  QJsonValue callOn(const std::string& objectId, std::string_view function, SecretText args = "[]") const;

  // The frames of this document window's document, in document order.
  std::vector<Frame> childFrames() const;

 private:
  QJsonObject callFunction(std::string_view function, const SecretText& args, World world, bool byValue,
                           std::string_view objectGroup, const std::string& objectId) const;

  std::shared_ptr<PageTarget> page_;
  std::string sessionId_;
  std::string frameId_;
};

}  // namespace cdp
