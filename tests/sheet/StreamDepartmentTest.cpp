// The department list of a stream taught by two departments, driven as a teacher does:
// one pick of a department chooses it and offers its sheet forms, also when a sheet of
// the other department is open, and a new pick of the stream asks for the department
// again whatever was left in the department list.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QTest>

#include "tests/sheet/SheetFixture.h"
#include "ui/DataGrid.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"

namespace sheettest {
namespace {

using StreamDepartment = SignedIn;

const QString kInformationSystems = QStringLiteral("Кафедра информационных систем");
const QString kComputing =
    QStringLiteral("Кафедра вычислительной техники и программного обеспечения");

TEST_F(StreamDepartment, OnePickOfTheOtherDepartmentOnALoadedSheetChoosesIt) {
    chooseUpToDiscipline(11, "Компьютерные сети {5}");
    pickText(form->DBLookupComboBox9, "Поток 101");
    pickText(form->DBLookupComboBox2, kComputing);
    pickText(form->DBLookupComboBox3, "Ведомость");
    db::Dataset& sheet = dm.ADO_SP_Sort;
    ASSERT_TRUE(sheet.active());
    ASSERT_EQ(sheet.param("@id_kafedra").value(), db::Value(std::int64_t{2}));

    pickText(form->DBLookupComboBox2, kInformationSystems);
    ui::LookupComboBox* departments = form->DBLookupComboBox2;
    EXPECT_FALSE(departments->view()->isVisible()) << "the list opened again";
    EXPECT_EQ(departments->text(), kInformationSystems);
    EXPECT_EQ(departments->keyValue(), db::Value(std::int64_t{1}));
    EXPECT_FALSE(departments->isHidden());
    EXPECT_EQ(form->Choice.RuleId, 107);
    // the new department's sheet forms are on offer at once
    EXPECT_TRUE(form->DBLookupComboBox3->isEnabled());
    EXPECT_TRUE(entries(form->DBLookupComboBox3).contains("Ведомость"));
    EXPECT_TRUE(form->ComboBox1->isEnabled());

    pickText(form->DBLookupComboBox3, "Ведомость");
    EXPECT_TRUE(sheet.active());
    EXPECT_EQ(sheet.param("@id_kafedra").value(), db::Value(std::int64_t{1}));
    EXPECT_GT(sheet.recordCount(), 0);
    EXPECT_EQ(form->KXDBGridEh1->dataSource(), form->DS_SP_Sort);
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
}

TEST_F(StreamDepartment, PickingTheStreamAgainAsksForTheDepartmentAgain) {
    chooseUpToDiscipline(11, "Компьютерные сети {5}");
    pickText(form->DBLookupComboBox9, "Поток 101");
    ui::LookupComboBox* departments = form->DBLookupComboBox2;
    ASSERT_TRUE(departments->view()->isVisible());
    // the teacher closes the offered list without a department ...
    QTest::keyClick(departments->view(), Qt::Key_Escape);
    ASSERT_FALSE(departments->view()->isVisible());

    // ... and picks the stream again: the departments are counted anew, not taken for
    // a department pick with no department
    pickText(form->DBLookupComboBox9, "Поток 101");
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    EXPECT_TRUE(departments->view()->isVisible());
    EXPECT_EQ(departments->hint(), "2 Кафедры и больше");
    EXPECT_EQ(entries(departments).size(), 2);
    EXPECT_FALSE(form->DBLookupComboBox3->isEnabled());

    pickText(departments, kComputing);
    EXPECT_FALSE(departments->view()->isVisible());
    EXPECT_EQ(form->Choice.RuleId, 107);
    EXPECT_TRUE(form->DBLookupComboBox3->isEnabled());
}

}  // namespace
}  // namespace sheettest
