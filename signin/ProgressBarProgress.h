#pragma once

#include "data/SignInProgress.h"

class QProgressBar;

namespace signin {

// The sign-in window's progress bar as the login context's loading sees it: each step
// moves the bar on by one and lets the window repaint before the next query runs.
class ProgressBarProgress : public data::SignInProgress {
  public:
    explicit ProgressBarProgress(QProgressBar& bar) : bar_(bar) {}
    void show() override;
    void advance() override;
    void turnRed() override;

  private:
    QProgressBar& bar_;
};

}  // namespace signin
