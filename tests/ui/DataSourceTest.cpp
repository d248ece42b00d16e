// The data source: attaching and detaching a dataset from its controls, and suspended
// updates reaching the controls as one change on resume.

#include <QSignalSpy>
#include <QtTest>

#include "UiFixture.h"
#include "ui/DataGrid.h"
#include "ui/LookupComboBox.h"

using namespace uitest;

namespace {

class Source : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        for (const char* f : {"student", "m1", "m2"}) grid.addColumn(f);
        grid.resize(400, 200);
        grid.show();
    }
    ui::DataGrid grid;
};

TEST_F(Source, AttachingAndDetachingTheDatasetRefillsAndEmptiesTheControls) {
    QSignalSpy changed(&markSource, &ui::DataSource::datasetChanged);
    grid.setDataSource(&markSource);
    EXPECT_EQ(grid.model()->rowCount(), 0);  // not open yet
    marks.open();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(grid.model()->rowCount(), 4);
    EXPECT_EQ(grid.model()->index(1, 0).data().toString(), "Петрова Анна");

    markSource.setDataset(nullptr);
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(grid.dataset(), nullptr);
    marks.next();  // no longer heard
    EXPECT_EQ(changed.count(), 2);
    markSource.setDataset(&marks);
    EXPECT_EQ(grid.model()->rowCount(), 4);
    EXPECT_EQ(grid.currentIndex().row(), 1);  // where the dataset is

    // Several sources of one dataset: dropping one leaves the other's controls alone.
    ui::DataSource other(&marks);
    ui::LookupComboBox combo;
    combo.setListSource(&other);
    combo.setKeyField("id_mark");
    combo.setListField("student");
    markSource.setDataset(nullptr);
    marks.last();
    EXPECT_EQ(combo.count(), 4);
    EXPECT_EQ(grid.model()->rowCount(), 0);
}

TEST_F(Source, SuspendedUpdatesReachTheGridOnceOnResume) {
    marks.open();
    grid.setDataSource(&markSource);
    QSignalSpy resets(grid.model(), &QAbstractItemModel::modelReset);
    QSignalSpy cells(grid.model(), &QAbstractItemModel::dataChanged);
    QSignalSpy moved(&markSource, &ui::DataSource::scrolled);

    marks.disableControls();
    marks.disableControls();  // nested, as a step inside a step does
    while (!marks.eof()) {
        marks.edit();
        marks.field("m1").setValue(db::Value(marks.field("m1").asInteger() + 1));
        marks.post();
        marks.next();
    }
    marks.enableControls();
    EXPECT_EQ(resets.count() + cells.count() + moved.count(), 0);
    marks.enableControls();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(cells.count(), 0);
    EXPECT_EQ(moved.count(), 0);
    EXPECT_EQ(grid.currentIndex().row(), 3);
    EXPECT_EQ(grid.model()->index(0, 1).data().toString(), "11");
    EXPECT_EQ(grid.model()->index(3, 1).data().toString(), "36");

    // Nothing held back: resuming is silent.
    marks.disableControls();
    marks.enableControls();
    EXPECT_EQ(resets.count(), 1);
}

}  // namespace
