#pragma once

namespace data {

// What loading the login context tells the sign-in window as it goes. The window shows
// it as it likes and keeps its own messages turning, so the loading never touches a
// widget or the event loop itself.
class SignInProgress {
  public:
    virtual ~SignInProgress() = default;
    // Loading has started: the progress becomes visible.
    virtual void show() = 0;
    // One more of the loading's 14 steps is done; shown at once.
    virtual void advance() = 0;
    // The last lookups are being read: the progress turns red, shown at once.
    virtual void turnRed() = 0;
};

}  // namespace data
