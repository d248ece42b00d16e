// The selection lists of the main window for a stream: the department choice of a
// stream taught by two departments, and a stream without a grading rule, which opens
// the structure editor.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QTimer>

#include "data/LoginContext.h"
#include "structure/TForm_7.h"
#include "tests/sheet/SheetFixture.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"

namespace sheettest {
namespace {

// Closes the structure editor as soon as it shows and notes what it saw.
struct CloseEditor {
    int shown = 0;
    QString caption;
    bool modal = false;
    QSize size;
    CloseEditor() {
        structure::TForm_7::shownHook() = [this](structure::TForm_7& f) {
            ++shown;
            caption = f.windowTitle();
            modal = f.isModal();
            size = f.size();
            QTimer::singleShot(0, &f, [&f] { f.close(); });
        };
    }
    ~CloseEditor() { structure::TForm_7::shownHook() = {}; }
};

class Stream : public SignedIn {
  protected:
    void SetUp() override {
        SignedIn::SetUp();
        // The stream's second plan row (department 2) names another rule than the
        // first: the sheet takes the rule of the earliest row.
        execute("UPDATE RRNKkrdt SET id_ebe_var = 110 WHERE id_rrnkKrdt = 2");
    }
};

TEST_F(Stream, AStreamOfTwoDepartmentsAsksForTheDepartment) {
    CloseEditor editor;
    chooseUpToDiscipline(11, "Компьютерные сети {5}");
    EXPECT_EQ(form->Choice.SemesterKind, "1");
    EXPECT_EQ(form->Label10->text(), "Поток:");
    EXPECT_EQ(form->DBLookupListBox2->text(), "Экзамен");
    ASSERT_EQ(entries(form->DBLookupComboBox9), QStringList{"Поток 101"});

    pickText(form->DBLookupComboBox9, "Поток 101");
    EXPECT_EQ(form->Choice.IsStream, 1);
    EXPECT_FALSE(form->Label5->isHidden());
    EXPECT_EQ(form->Label5->text(), "Кафедра:");
    EXPECT_FALSE(form->DBLookupComboBox2->isHidden());
    EXPECT_TRUE(form->DBLookupComboBox2->isEnabled());
    EXPECT_TRUE(form->DBLookupComboBox2->view()->isVisible());  // dropped down
    EXPECT_EQ(form->DBLookupComboBox2->hint(), "2 Кафедры и больше");
    EXPECT_EQ(entries(form->DBLookupComboBox2).size(), 2);
    EXPECT_TRUE(form->Choice.RuleIdText.empty());
    EXPECT_EQ(form->Choice.RuleId, -1);
    EXPECT_FALSE(form->DBLookupComboBox3->isEnabled());
    EXPECT_FALSE(form->ComboBox1->isEnabled());

    pickKey(form->DBLookupComboBox2, std::int64_t{2});
    EXPECT_EQ(form->DBLookupComboBox2->text(),
              "Кафедра вычислительной техники и программного обеспечения");
    EXPECT_EQ(form->DBLookupComboBox2->hint(), "Только 1 кафедра");
    EXPECT_FALSE(form->DBLookupComboBox2->isHidden());
    EXPECT_FALSE(form->Label5->isHidden());
    EXPECT_EQ(form->Choice.RuleIdText, "107");
    EXPECT_EQ(form->Choice.RuleId, 107);
    EXPECT_EQ(form->Label3->text(), "107");
    EXPECT_EQ(editor.shown, 0);

    // a stream's sheet forms: the teacher and the assessment row count, not the faculty
    const data::LoginContext& login = data::loginContext();
    db::Dataset& forms = dm.ADOQ_f_est2;
    EXPECT_EQ(forms.param("@forPotok").value(), db::Value(std::int64_t{1}));
    EXPECT_EQ(forms.param("@subgroup").value(), db::Value(std::int64_t{101}));
    EXPECT_EQ(forms.param("@id_faculty").value(), db::Value(std::int64_t{-1}));
    EXPECT_EQ(forms.param("@id_speciality").value(), db::Value(std::int64_t{-1}));
    EXPECT_EQ(forms.param("@id_teacher").value(), db::Value(std::int64_t{login.TeacherId}));
    EXPECT_EQ(forms.param("@kredits").value(), db::Value(std::int64_t{5}));
    EXPECT_EQ(forms.param("@id_examination").value(), db::Value(std::int64_t{1}));
    EXPECT_TRUE(form->DBLookupComboBox3->isEnabled());
    EXPECT_FALSE(entries(form->DBLookupComboBox3).isEmpty());
    EXPECT_TRUE(form->ComboBox1->isEnabled());

    // a new assessment choice hides the department list again
    pickText(form->DBLookupListBox2, "Экзамен");
    EXPECT_TRUE(form->DBLookupComboBox2->isHidden());
    EXPECT_TRUE(form->Label5->isHidden());
    EXPECT_TRUE(form->DBLookupComboBox2->hint().isEmpty());
    EXPECT_NO_MESSAGE(log);
}

TEST_F(Stream, AStreamWithoutARuleOpensTheStructureEditor) {
    CloseEditor editor;
    chooseUpToDiscipline(11, "Философия {3}");
    ASSERT_EQ(entries(form->DBLookupComboBox9), QStringList{"Поток 102"});
    pickText(form->DBLookupComboBox9, "Поток 102");
    EXPECT_EQ(editor.shown, 1);
    EXPECT_EQ(editor.caption, "Формирование структуры ведомости");
    EXPECT_TRUE(editor.modal);
    EXPECT_EQ(editor.size, QSize(832, 518));
    EXPECT_TRUE(form->Choice.EditorOpenedForMissingRule);
    EXPECT_TRUE(form->Choice.RuleIdText.empty());
    EXPECT_EQ(form->Choice.RuleId, -1);
    EXPECT_EQ(form->Label3->text(), "_");
    EXPECT_TRUE(form->DBLookupComboBox2->isHidden());  // one department
    EXPECT_EQ(form->DBLookupComboBox2->hint(), "Только 1 кафедра");
    // the editor's close emptied the sheet-form list; the list is refreshed but stays
    // disabled until the stream is chosen again
    EXPECT_FALSE(form->DBLookupComboBox3->isEnabled());
    EXPECT_TRUE(db::isNull(form->DBLookupComboBox3->keyValue()));
    EXPECT_TRUE(dm.ADOQ_f_est2.active());
    EXPECT_EQ(dm.ADOQ_f_est2.param("@id_ebe_var").value(), db::Value(std::int64_t{-1}));
    EXPECT_TRUE(form->ComboBox1->isEnabled());

    pickText(form->DBLookupComboBox9, "Поток 102");
    EXPECT_EQ(editor.shown, 2);
    EXPECT_FALSE(form->DBLookupComboBox3->isEnabled());
    EXPECT_NO_MESSAGE(log);
}

// Opened otherwise than for a missing rule, the editor's close runs the group step again.
TEST_F(Stream, TheEditorClosedWithTheFlagClearRunsTheGroupStepAgain) {
    CloseEditor editor;
    chooseUpToDiscipline(10, "Базы данных {3}");
    pickText(form->DBLookupComboBox9, "ИС-24-1");
    form->DBLookupComboBox3->setEnabled(false);
    form->Choice.RuleId = 0;
    ASSERT_FALSE(form->Choice.EditorOpenedForMissingRule);
    structure::TForm_7 dialog(dm, *form, form.get());
    dialog.exec();
    EXPECT_EQ(editor.shown, 1);
    EXPECT_TRUE(form->DBLookupComboBox3->isEnabled());
    EXPECT_EQ(form->Choice.RuleId, 101);
    EXPECT_FALSE(entries(form->DBLookupComboBox3).isEmpty());
}

}  // namespace
}  // namespace sheettest
