#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/WindowMessages.h"

namespace cdp {

class Browser;
class Frame;

// Keys pressed in a page.
enum class Key { End, Enter };

// What the browser says of a page now.
struct PageInfo {
  std::string url;    // the top document's address
  std::string title;  // its title; its address when it has none
};

// Where a browser window is on the screen.
struct WindowBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// One browser window of the program's browser: a page target (a tab or a window
// of its own). While the page lives it has a handle on the message bus, so that
// window messages can name it. Calls on a closed page throw AutomationError.
class PageTarget : public std::enable_shared_from_this<PageTarget> {
 public:
  PageTarget(Browser& browser, std::string targetId, std::string sessionId, platform::WindowHandle handle);
  PageTarget(const PageTarget&) = delete;
  PageTarget& operator=(const PageTarget&) = delete;

  Browser& browser() const { return browser_; }
  platform::WindowHandle handle() const { return handle_; }
  const std::string& targetId() const { return targetId_; }
  const std::string& sessionId() const { return sessionId_; }
  bool isClosed() const { return closed_; }
  // A dialog of the page (alert, confirm, prompt) is open; while it is, the page's
  // scripts wait and calls into the page fail at once.
  bool dialogOpen() const { return dialogOpen_; }
  // The text of the dialog opened last.
  const std::string& dialogMessage() const { return dialogMessage_; }

  // The top document's address and the page's title as last reported.
  const std::string& url() const { return url_; }
  const std::string& title() const { return title_; }
  // Load events of the top document so far.
  int loadCount() const { return loadCount_; }

  // The document window of the top document.
  Frame mainFrame();

  // Starts loading an address; does not wait for the page to load.
  void navigate(const std::string& url);
  // Loads an address with a POST request carrying the body (form-encoded unless
  // said otherwise), as a form would; returns once the request has been sent.
  void navigatePost(const std::string& url, const std::string& body,
                    const std::string& contentType = "application/x-www-form-urlencoded");
  // Shows the page in front (the tab selected, its window raised).
  void bringToFront();
  // A key press (down and up) delivered to this page's focused element. It goes
  // to this page only, never to whatever program has the keyboard focus. A page
  // that has not painted since its document arrived drops input, so the press
  // waits for its first paint (a second at most).
  void pressKey(Key key);
  WindowBounds bounds();
  PageInfo currentInfo();
  void close();
  // Closes the open dialog as its OK or Cancel button would.
  void answerDialog(bool accept);

 private:
  friend class Browser;

  Browser& browser_;
  std::string targetId_;
  std::string sessionId_;
  platform::WindowHandle handle_;
  bool closed_ = false;
  bool dialogOpen_ = false;
  bool painted_ = false;
  std::string dialogMessage_;
  std::string url_;
  std::string title_;
  int loadCount_ = 0;
  std::uint64_t frontSerial_ = 0;
};

}  // namespace cdp
