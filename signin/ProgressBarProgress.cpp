#include "signin/ProgressBarProgress.h"

#include <QCoreApplication>
#include <QPalette>
#include <QProgressBar>
#include <algorithm>

namespace signin {

void ProgressBarProgress::show() {
    bar_.setVisible(true);
}

void ProgressBarProgress::advance() {
    // A bar never moved reads one below its minimum.
    bar_.setValue(std::max(bar_.value(), bar_.minimum()) + 1);
    QCoreApplication::processEvents();
}

void ProgressBarProgress::turnRed() {
    // The style sheet paints the chunk whatever the style; the palette says the same to
    // anything that asks (the style sheet must come first, it resets the palette).
    bar_.setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: rgb(255, 0, 0); }"));
    QPalette palette = bar_.palette();
    palette.setColor(QPalette::Highlight, QColor(255, 0, 0));
    bar_.setPalette(palette);
    QCoreApplication::processEvents();
}

}  // namespace signin
