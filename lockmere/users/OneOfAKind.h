#pragma once

#include <QPointer>

namespace users {

// At most one window of a kind at a time: a new one closes the existing one
// (which stops its verification at once; a window freed on closing goes with
// it) before it takes its place.
//
//   class TCLoginForm : public QDialog, public OneOfAKind<TCLoginForm> { ... };
//   TCLoginForm::TCLoginForm(...) { takePlace(this); ... }
template <class Window>
class OneOfAKind {
 public:
  // The window of this kind that exists now, or null.
  static Window* current() { return current_.data(); }

 protected:
  static void takePlace(Window* window) {
    if (current_ && current_.data() != window) current_->close();
    current_ = window;
  }

 private:
  static inline QPointer<Window> current_;
};

}  // namespace users
