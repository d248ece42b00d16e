#include <gtest/gtest.h>

#include <QPalette>
#include <QProgressBar>

#include "signin/ProgressBarProgress.h"

namespace {

// The sign-in window's bar as the loading moves it: hidden and never moved at first, one
// step per advance, red on request, and a second attempt after a failure goes on from
// where the first one stopped.
TEST(ProgressBarProgress, MovesTheBarOneStepAtATimeAndGoesOnAfterAFailedAttempt) {
    QProgressBar bar;
    bar.setRange(0, 14);
    bar.setVisible(false);
    ASSERT_EQ(bar.value(), -1);  // a bar never moved reads one below its minimum
    {
        signin::ProgressBarProgress first(bar);
        first.show();
        EXPECT_FALSE(bar.isHidden());
        for (int i = 0; i < 8; ++i) first.advance();
        EXPECT_EQ(bar.value(), 8);
        EXPECT_NE(bar.palette().color(QPalette::Highlight), QColor(255, 0, 0));
        first.turnRed();
        EXPECT_EQ(bar.palette().color(QPalette::Highlight), QColor(255, 0, 0));
    }
    signin::ProgressBarProgress second(bar);
    second.show();
    second.advance();
    EXPECT_EQ(bar.value(), 9);
}

}  // namespace
