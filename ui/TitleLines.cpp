#include "ui/TitleLines.h"

#include <QRegularExpression>
#include <algorithm>

#include "ui/Hyphenator.h"

namespace ui {

namespace {

// Places a word may break before: syllables of its runs of letters (with a hyphen), and
// after a slash or a hyphen of its own (without one).
struct Break {
    int at;
    bool hyphen;
};

std::vector<Break> breaksOf(const QString& word, const Hyphenator& hyphenator) {
    std::vector<Break> breaks;
    int i = 0;
    while (i < word.size()) {
        if (!word[i].isLetter()) {
            if ((word[i] == u'/' || word[i] == u'-') && i + 1 < word.size())
                breaks.push_back({i + 1, false});
            ++i;
            continue;
        }
        int end = i;
        while (end < word.size() && word[end].isLetter()) ++end;
        for (int b : hyphenator.breaks(word.mid(i, end - i))) breaks.push_back({i + b, true});
        i = end;
    }
    std::sort(breaks.begin(), breaks.end(),
              [](const Break& a, const Break& b) { return a.at < b.at; });
    return breaks;
}

// Cuts a word too wide for a line into lines; the last piece is returned to be continued.
QString breakWord(QString word, const QFontMetrics& fm, int width, const Hyphenator& hyphenator,
                  QStringList& lines) {
    while (fm.horizontalAdvance(word) > width && word.size() > 1) {
        int cut = 0;
        bool hyphen = false;
        for (const Break& b : breaksOf(word, hyphenator)) {
            const QString head = word.left(b.at) + (b.hyphen ? QStringLiteral("-") : QString());
            if (fm.horizontalAdvance(head) <= width) {
                cut = b.at;
                hyphen = b.hyphen;
            }
        }
        if (cut == 0) {
            // no syllable boundary fits: as many characters as fit, at least one
            cut = 1;
            while (cut + 1 < word.size() && fm.horizontalAdvance(word.left(cut + 1)) <= width)
                ++cut;
        }
        lines << word.left(cut) + (hyphen ? QStringLiteral("-") : QString());
        word = word.mid(cut);
    }
    return word;
}

}  // namespace

QStringList titleLines(const QString& title, const QFontMetrics& fm, int width,
                       const Hyphenator& hyphenator) {
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    QStringList lines;
    for (const QString& paragraph : title.split(u'\n')) {
        QString line;
        for (const QString& word : paragraph.split(blanks, Qt::SkipEmptyParts)) {
            const QString joined = line.isEmpty() ? word : line + u' ' + word;
            if (fm.horizontalAdvance(joined) <= width) {
                line = joined;
                continue;
            }
            if (!line.isEmpty()) lines << line;
            line = breakWord(word, fm, width, hyphenator, lines);
        }
        lines << line;
    }
    return lines;
}

}  // namespace ui
