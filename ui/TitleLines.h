#pragma once

#include <QFontMetrics>
#include <QStringList>

namespace ui {

class Hyphenator;

// The lines a column title is shown in at a width: the title's own line breaks kept,
// words wrapped at blanks, and a word wider than the width broken at a syllable boundary
// with a hyphen ("Пояс-нительная"). Where the patterns offer no place that fits (or there
// is no dictionary) the word is broken where it must be, without a hyphen.
QStringList titleLines(const QString& title, const QFontMetrics& metrics, int width,
                       const Hyphenator& hyphenator);

}  // namespace ui
