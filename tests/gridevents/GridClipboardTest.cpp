// Copying, cutting and pasting whole rows through the rows' clipboard format: the exact
// bytes, the rows refused because their text cannot travel, and a paste into the same
// grid with its hidden columns, unconvertible cells and a row that cannot be saved.

#include <QByteArray>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QStringEncoder>

#include "GridEventsFixture.h"

using namespace gridtest;
using gridevents::TKXDBGridEvents;

namespace {

QByteArray bytes(std::initializer_list<int> list) {
    QByteArray out;
    for (int b : list) out += static_cast<char>(b);
    return out;
}

// "Сидоров Олег" and "Иванов Иван" in code page 1251.
const QByteArray kSidorov =
    bytes({0xD1, 0xE8, 0xE4, 0xEE, 0xF0, 0xEE, 0xE2, 0x20, 0xCE, 0xEB, 0xE5, 0xE3});
const QByteArray kIvanov =
    bytes({0xC8, 0xE2, 0xE0, 0xED, 0xEE, 0xE2, 0x20, 0xC8, 0xE2, 0xE0, 0xED});

class GridClipboardTest : public GridEventsTest {
  protected:
    void SetUp() override {
        GridEventsTest::SetUp();
        events.setEditActions(gridevents::geaCopyEh | gridevents::geaCutEh |
                              gridevents::geaPasteEh);
        grid.setOption(ui::DataGrid::ConfirmDelete, false);
    }
};

// Two rows of three visible columns (the hidden one takes no cell; the group column is a
// lookup and travels as its key), in the order they were selected.
TEST_F(GridClipboardTest, CopyWritesTheRowsExactly) {
    select({3, 0});
    marks.setRecNo(2);
    press(&grid, Qt::Key_C, Qt::ControlModifier);
    QByteArray expected = kSidorov +
                          "\x01"
                          "20\x01"
                          "40\x01\x02" +
                          kIvanov +
                          "\x01"
                          "10\x01"
                          "10\x01\x02";
    EXPECT_EQ(TKXDBGridEvents::readClipboard(), expected);
    EXPECT_EQ(codes, std::vector<quint16>{0});
    EXPECT_EQ(marks.recNo(), 2);  // back where it was
    EXPECT_EQ(marks.recordCount(), 5);
    // an empty value travels as an empty cell
    select({4});
    events.CopyRows(false);
    EXPECT_EQ(TKXDBGridEvents::readClipboard(),
              bytes({0xA8, 0xEB, 0xEA, 0xE8, 0xED, 0xE0, 0x20, 0xCC, 0xE0, 0xF0, 0xE8, 0xFF}) +
                  "\x01"
                  "30\x01\x01\x02");
}

// A text the format cannot carry is refused with a message; the clipboard keeps what it
// had and a cut deletes nothing.
TEST_F(GridClipboardTest, RowsThatCannotTravelAreRefused) {
    struct Case {
        const char* name;
        const char* value;
        QString message;
    };
    std::vector<Case> cases = {
        {"byte 1", "Иванов\x01",
         "Строки не скопированы: значение в столбце «Студент» содержит "
         "служебный знак (код 1 или 2), который нельзя перенести через "
         "буфер обмена."},
        {"byte 2", "\x02",
         "Строки не скопированы: значение в столбце «Студент» содержит "
         "служебный знак (код 1 или 2), который нельзя перенести через "
         "буфер обмена."},
        {"a letter code page 1251 lacks", "Әлия",
         "Строки не скопированы: значение «Әлия» в столбце «Студент» содержит знаки, которых "
         "нет в кодировке Windows-1251."},
    };
    for (const Case& c : cases) {
        for (bool cut : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (cut ? ", cut" : ", copy"));
            resetRows();
            marks.setRecNo(3);
            marks.edit();
            marks.field("name").setValue(db::Value(std::string(c.value)));
            marks.post();
            TKXDBGridEvents::writeClipboard("before");
            select({0, 2});
            testsupport::MessageLog log;
            codes.clear();
            events.CopyRows(cut);
            EXPECT_EQ(log.texts(), QStringList{c.message});
            EXPECT_EQ(TKXDBGridEvents::readClipboard(), "before");
            EXPECT_EQ(marks.recordCount(), 5);
            EXPECT_EQ(count("SELECT COUNT(*) FROM mark"), 5);
            EXPECT_TRUE(codes.empty());
        }
    }
}

// Copied rows pasted into the same grid become new rows: each visible column's field from
// its cell, everything else as a new row has it; the pasted rows are painted as such
// until the next paste.
TEST_F(GridClipboardTest, PasteIntoTheSameGridAddsTheRows) {
    select({3, 0});
    events.CopyRows(false);
    grid.clearRowSelection();
    marks.setRecNo(5);
    codes.clear();
    press(&grid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(codes, std::vector<quint16>{0});
    ASSERT_EQ(marks.recordCount(), 7);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(count("SELECT COUNT(*) FROM mark WHERE name = 'Сидоров Олег' AND id_gr = 20 AND "
                    "m1 = 40 AND id_student IS NULL AND note IS NULL"),
              1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mark WHERE name = 'Иванов Иван' AND id_gr = 10 AND "
                    "m1 = 10 AND id_student IS NULL AND note IS NULL"),
              1);
    QStringList pasted;
    for (int row = 0; row < marks.recordCount(); ++row)
        if (!db::isNull(at(row, "name")) && at(row, "id_student") == db::Value())
            pasted << QString::fromStdString(text(row, "id_mark"));
    EXPECT_EQ(pasted.size(), 2);
    for (const QString& id : pasted)
        EXPECT_TRUE(events.PastedList.contains(id)) << id.toStdString();
    EXPECT_EQ(events.PastedList.size(), 2) << events.PastedList.items().join(',').toStdString();
    const QColor pastedColour = events.KXDBAttributes().AfterPasteAttr.Color();
    int painted = 0;
    for (int row = 0; row < marks.recordCount(); ++row)
        painted += background(row, 0, {}) == pastedColour;
    EXPECT_EQ(painted, 2);

    // the second paste forgets the first one's rows
    select({1});
    events.CopyRows(false);
    events.PasteRows();
    EXPECT_EQ(marks.recordCount(), 8);
    EXPECT_EQ(events.PastedList.size(), 1);
    for (const QString& id : pasted) EXPECT_FALSE(events.PastedList.contains(id));

    // nothing of ours on the clipboard: 6, and the pasted rows stay marked
    TKXDBGridEvents::writeClipboard({});
    QGuiApplication::clipboard()->setText("plain text");
    codes.clear();
    events.PasteRows();
    EXPECT_EQ(codes, std::vector<quint16>{6});
    EXPECT_EQ(events.PastedList.size(), 1);
    EXPECT_EQ(marks.recordCount(), 8);
}

// A cell the field will not take leaves the field as it was and is named in one message;
// a row that cannot be saved is cancelled, reported and not marked as pasted; a short
// row fills the first columns only; the rows after go on.
TEST_F(GridClipboardTest, PasteKeepsGoingPastBadCellsAndRows) {
    marks.beforePost = [](db::Dataset& ds) {
        if (ds.field("name").asString() == "Плохой") throw db::Error("Строка не сохранена.");
    };
    auto cp = [](const char* s) -> QByteArray {
        QStringEncoder encode("windows-1251");
        return encode(QString::fromUtf8(s));
    };
    QByteArray content = cp("Новиков") +
                         "\x01"
                         "30\x01"
                         "abc\x01\x02" +
                         cp("Плохой") +
                         "\x01"
                         "10\x01"
                         "5\x01\x02" +
                         cp("Кратко") + "\x01\x02" + cp("Орлова") +
                         "\x01"
                         "20\x01"
                         "7\x01\x02";
    content += '\0';  // the end of a block as some programs leave it
    TKXDBGridEvents::writeClipboard(content);
    testsupport::MessageLog log;
    events.PasteRows();
    EXPECT_EQ(codes, std::vector<quint16>{0});
    EXPECT_EQ(count("SELECT COUNT(*) FROM mark"), 8);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mark WHERE name = 'Новиков' AND id_gr = 30 AND m1 IS "
                    "NULL"),
              1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mark WHERE name = 'Кратко' AND id_gr IS NULL AND m1 "
                    "IS NULL"),
              1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mark WHERE name = 'Орлова' AND id_gr = 20 AND m1 = 7"),
              1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mark WHERE name = 'Плохой'"), 0);
    EXPECT_EQ(errors, QStringList{"Строка не сохранена."});
    ASSERT_EQ(log.messages.size(), 1);
    EXPECT_TRUE(log.messages[0].text.startsWith(
        "Не все значения вставлены, поля сохранили прежние значения:\n«abc» в столбце «Модуль 1»"))
        << log.messages[0].text.toStdString();
    EXPECT_EQ(events.PastedList.size(), 3);
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
    EXPECT_EQ(marks.recordCount(), 8);
}

}  // namespace

namespace {

// A picture of the grid with duplicate, pasted and selected rows in their colours, kept
// with the screenshots; each kind of row is checked by the colour it was painted with.
TEST_F(GridClipboardTest, PictureOfTheRowsInTheirColours) {
    events.KXDBAttributes().SelAttr.setColor(QColor(192, 192, 192));
    events.KXDBAttributes().SelAttr.setFont(QFont(), Qt::black);
    events.KXDBAttributes().AfterPasteAttr.setColor(QColor(255, 255, 225));
    marks.close();
    events.setActive(true);
    select({3});
    events.CopyRows(false);
    marks.setRecNo(5);
    events.PasteRows();
    select({3});
    marks.setRecNo(1);
    grid.resize(520, 240);
    QCoreApplication::processEvents();
    QImage picture = grid.grab().toImage();
    QDir().mkpath(QOR28_SCREENSHOT_DIR);
    ASSERT_TRUE(picture.save(QDir(QOR28_SCREENSHOT_DIR).filePath("grid-events.png")));
    auto colourOfRow = [&](int row) {
        QRect cell = grid.visualRect(grid.model()->index(row, 3));
        QPoint at = grid.viewport()->mapTo(&grid, cell.topLeft() + QPoint(1, 1));
        return picture.pixelColor(at);
    };
    EXPECT_EQ(colourOfRow(1), QColor(0, 128, 0));      // duplicate
    EXPECT_EQ(colourOfRow(2), QColor(0, 128, 0));      // same joined key
    EXPECT_EQ(colourOfRow(3), QColor(192, 192, 192));  // selected
    EXPECT_EQ(colourOfRow(4), QColor(255, 255, 225));  // pasted
}

}  // namespace
