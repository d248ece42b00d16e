// The main window at its minimum size: every control of the selection area and of the
// sheet-form row stays whole and apart from the others, also with the widest captions
// ("Кафедра:" under "Поток:") on show. A picture of it is saved for a person to look at.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTest>

#include "tests/sheet/SheetFixture.h"
#include "ui/LookupComboBox.h"

namespace sheettest {
namespace {

using MinimumSize = SignedIn;

QString nameOf(const QWidget* w) {
    if (const auto* l = qobject_cast<const QLabel*>(w)) return '"' + l->text() + '"';
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                     : w->objectName();
}

// The visible controls of the strip, each in the strip's coordinates.
void expectWholeAndApart(QWidget* strip, const char* state) {
    QList<QWidget*> controls;
    for (QWidget* w : strip->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible()) controls << w;
    ASSERT_GT(controls.size(), 3) << state;
    for (qsizetype i = 0; i < controls.size(); ++i) {
        QWidget* a = controls[i];
        EXPECT_TRUE(strip->rect().contains(a->geometry()))
            << state << ": " << nameOf(a).toStdString() << " runs out of "
            << strip->objectName().toStdString();
        if (auto* label = qobject_cast<QLabel*>(a)) {
            EXPECT_GE(label->width(), label->sizeHint().width())
                << state << ": " << nameOf(a).toStdString() << " is cut";
        }
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(a->geometry().intersects(controls[j]->geometry()))
                << state << ": " << nameOf(a).toStdString() << " overlaps "
                << nameOf(controls[j]).toStdString();
        }
    }
}

void expectLaidOutAtMinimum(sheet::TForm2& form, const char* state) {
    form.resize(form.minimumSize());
    QCoreApplication::processEvents();
    ASSERT_EQ(form.size(), form.minimumSize()) << state;
    expectWholeAndApart(form.findChild<QWidget*>(QStringLiteral("SelectionArea")), state);
    expectWholeAndApart(form.findChild<QWidget*>(QStringLiteral("SheetFormRow")), state);
}

TEST_F(MinimumSize, EveryControlStaysWholeAndApart) {
    EXPECT_GE(form->minimumWidth(), 803);
    EXPECT_GE(form->minimumHeight(), 326);
    form->setWindowState(Qt::WindowNoState);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    expectLaidOutAtMinimum(*form, "at start");

    chooseUpToDiscipline(10, "Базы данных {3}");
    pickText(form->DBLookupComboBox9, "ИС-24-1");
    expectLaidOutAtMinimum(*form, "a group");

    chooseUpToDiscipline(11, "Компьютерные сети {5}");
    pickText(form->DBLookupComboBox9, "Поток 101");
    pickText(form->DBLookupComboBox2, "Кафедра информационных систем");
    pickText(form->DBLookupComboBox3, "Ведомость");
    ASSERT_FALSE(form->Label5->isHidden());
    ASSERT_EQ(form->Label3->text(), "107");
    expectLaidOutAtMinimum(*form, "a stream of two departments");

    const QImage image = form->grab().toImage();
    QDir().mkpath(QStringLiteral(QOR28_SCREENSHOT_DIR));
    EXPECT_TRUE(image.save(
        QDir(QStringLiteral(QOR28_SCREENSHOT_DIR)).filePath("main-window-minimum-size.png"),
        "PNG"));
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
}

}  // namespace
}  // namespace sheettest
