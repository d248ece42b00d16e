// The lookup combo box and list box: key value, NULL clearing, the click (picked) and
// drop-down events, and following their list dataset.

#include <QAbstractItemView>
#include <QSignalSpy>
#include <QtTest>

#include "UiFixture.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"

using namespace uitest;

namespace {

class Lookup : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        groups.open();
        for (auto* c : {static_cast<QWidget*>(&combo), static_cast<QWidget*>(&list)}) {
            c->resize(240, 120);
            c->show();
        }
        combo.setListSource(&groupSource);
        combo.setKeyField("id_gr");
        combo.setListField("name");
        list.setListSource(&groupSource);
        list.setKeyField("id_gr");
        list.setListField("name");
    }
    int current() { return static_cast<int>(groups.field("id_gr").asInteger()); }

    ui::LookupComboBox combo;
    ui::LookupListBox list;
};

TEST_F(Lookup, KeyValueShowsItsRowAndMovesTheListDatasetWithoutAClick) {
    QSignalSpy comboPicked(&combo, &ui::LookupComboBox::picked);
    QSignalSpy listPicked(&list, &ui::LookupListBox::picked);
    EXPECT_EQ(combo.text(), "");  // nothing chosen at first
    EXPECT_EQ(combo.count(), 5);

    combo.setKeyValue(db::Value(30));
    EXPECT_EQ(combo.text(), "ПМ-201");
    EXPECT_EQ(combo.keyValue(), db::Value(30));
    EXPECT_EQ(current(), 30);
    list.setKeyValue(db::Value(20));
    EXPECT_EQ(list.text(), "ИВТ-102");
    EXPECT_EQ(list.currentIndex().row(), 1);
    EXPECT_EQ(current(), 20);
    EXPECT_EQ(comboPicked.count() + listPicked.count(), 0);

    // NULL clears: nothing shown, nothing highlighted, the key reads NULL.
    combo.clearKey();
    list.setKeyValue({});
    EXPECT_EQ(combo.text(), "");
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_TRUE(db::isNull(combo.keyValue()));
    EXPECT_EQ(list.text(), "");
    EXPECT_FALSE(list.currentIndex().isValid());

    // A key no row holds shows nothing and leaves the list dataset where it was.
    combo.setKeyValue(db::Value(99));
    EXPECT_EQ(combo.text(), "");
    EXPECT_EQ(current(), 20);
    EXPECT_EQ(comboPicked.count() + listPicked.count(), 0);
}

TEST_F(Lookup, ReopenedListShowsTheKeyAgainAndAClosedOneShowsNothing) {
    combo.setKeyValue(db::Value(40));
    list.setKeyValue(db::Value(40));
    groups.close();
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.text(), "");
    EXPECT_EQ(list.text(), "");
    groups.setSql("SELECT id_gr, name FROM grp WHERE kind = 1 ORDER BY id_gr DESC");
    groups.open();
    EXPECT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.text(), "ПМ-202");
    EXPECT_EQ(list.text(), "ПМ-202");
    EXPECT_EQ(list.currentIndex().row(), 1);

    // A cleared control stays cleared when its list is filled again.
    combo.clearKey();
    list.clearKey();
    groups.close();
    groups.open();
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.text(), "");
    EXPECT_FALSE(list.currentIndex().isValid());

    // Detaching the source empties the controls.
    combo.setListSource(nullptr);
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.text(), "");
}

TEST_F(Lookup, ComboPickedByKeyboardAndFromTheOpenList) {
    QSignalSpy picked(&combo, &ui::LookupComboBox::picked);
    combo.setFocus();
    QTest::keyClick(&combo, Qt::Key_Down);  // nothing chosen: the first entry
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(combo.keyValue(), db::Value(10));
    EXPECT_EQ(current(), 10);
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(picked.count(), 2);
    EXPECT_EQ(combo.keyValue(), db::Value(20));

    // A handler sees the new key and the list dataset already on its row.
    db::Value seenKey;
    int seenRow = 0;
    QObject::connect(&combo, &ui::LookupComboBox::picked, [&] {
        seenKey = combo.keyValue();
        seenRow = current();
    });
    combo.showPopup();
    QAbstractItemView* view = combo.view();
    QRect r = view->visualRect(view->model()->index(4, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(picked.count(), 3);
    EXPECT_EQ(seenKey, db::Value(50));
    EXPECT_EQ(seenRow, 50);
    EXPECT_EQ(combo.text(), "ФИ-301");
}

// A handler that fails (a server error in the next query) is reported with its own
// text; the choice itself stands and the control goes on working.
TEST_F(Lookup, FailingHandlerIsReportedAndTheChoiceStands) {
    QObject::connect(&combo, &ui::LookupComboBox::picked,
                     [] { throw db::Error("Invalid column name 'id_sem_Temp'."); });
    combo.setFocus();
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(errors, QStringList{"Invalid column name 'id_sem_Temp'."});
    EXPECT_EQ(combo.keyValue(), db::Value(10));
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(errors.size(), 2);
    EXPECT_EQ(combo.text(), "ИВТ-102");
}

TEST_F(Lookup, DropDownRunsFirstAndItsKeyFieldChangeIsShown) {
    // The drop-down handler may switch the key field (the semester list does); the
    // shown entry follows the new meaning of the key.
    combo.setKeyField("kind");
    combo.setKeyValue(db::Value(1));
    EXPECT_EQ(combo.text(), "ПМ-201");
    int drops = 0;
    QObject::connect(&combo, &ui::LookupComboBox::dropDown, [&] {
        ++drops;
        combo.setKeyField("id_gr");
    });
    combo.setDropDownRows(20);
    combo.setDropDownWidth(420);
    combo.dropDownList();
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(combo.keyField(), "id_gr");
    EXPECT_EQ(combo.text(), "");  // no group has the id 1
    EXPECT_EQ(combo.dropDownRows(), 20);
    EXPECT_GE(combo.view()->width(), 420);
    combo.hidePopup();
}

TEST_F(Lookup, ListBoxPickedByMouseAgainOnTheSameEntryAndByKeyboard) {
    QSignalSpy picked(&list, &ui::LookupListBox::picked);
    QRect third = list.visualRect(list.model()->index(2, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, third.center());
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(list.keyValue(), db::Value(30));
    EXPECT_EQ(current(), 30);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(picked.count(), 2);
    QTest::keyClick(list.viewport(), Qt::Key_Down);
    EXPECT_EQ(picked.count(), 3);
    EXPECT_EQ(list.keyValue(), db::Value(40));
    EXPECT_EQ(list.text(), "ПМ-202");
    EXPECT_EQ(current(), 40);
}

}  // namespace
