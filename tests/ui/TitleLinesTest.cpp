// Column titles broken into lines: at blanks, at syllables with a hyphen, and without
// the dictionary where a word must be broken.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

#include "ui/Hyphenator.h"
#include "ui/TitleLines.h"

namespace {

TEST(TitleLines, WrapAtBlanksThenSyllablesAndWithoutADictionaryWhereTheyMust) {
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics fm(font);
    const int narrow = fm.horizontalAdvance(QStringLiteral("допус-"));
    ui::Hyphenator::setDictionaryPath(ui::Hyphenator::defaultDictionaryPath());
    ASSERT_TRUE(ui::Hyphenator::russian().available());
    EXPECT_EQ(ui::titleLines("Рейтинг допуска", fm, narrow, ui::Hyphenator::russian()),
              (QStringList{"Рей-", "тинг", "допус-", "ка"}));
    EXPECT_EQ(ui::titleLines("Дата сдачи", fm, 1000, ui::Hyphenator::russian()),
              QStringList{"Дата сдачи"});
    EXPECT_EQ(ui::titleLines("Сумма\nбаллов", fm, 1000, ui::Hyphenator::russian()),
              (QStringList{"Сумма", "баллов"}));

    // no dictionary: the word is broken where it must be, with no hyphen, and nothing lost
    ui::Hyphenator::setDictionaryPath(QStringLiteral("/nonexistent/hyph_ru_RU.dic"));
    EXPECT_FALSE(ui::Hyphenator::russian().available());
    const QStringList lines =
        ui::titleLines("Рейтинг допуска", fm, narrow, ui::Hyphenator::russian());
    EXPECT_EQ(lines.join(QString()), "Рейтингдопуска");
    for (const QString& line : lines)
        EXPECT_LE(fm.horizontalAdvance(line), narrow) << line.toStdString();
    ui::Hyphenator::setDictionaryPath(ui::Hyphenator::defaultDictionaryPath());
}

}  // namespace
