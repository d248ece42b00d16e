// The main window's print and export commands on the demo's Базы данных, ИС-24-1 sheet:
// when they may be used, the files they write where the teacher said, the name and folder
// they offer, what they say when a file cannot be written or no printer is there, and the
// print preview they open. The file dialog and the preview are replaced by the tests'
// own choosers, since the system's dialogs cannot be driven offscreen.
#include <unistd.h>

#include <QAbstractItemModel>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QToolButton>

#include "sheet/SheetExportCommands.h"
#include "tests/export/ExportSupport.h"
#include "tests/sheet/SheetFixture.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"

namespace sheettest {
namespace {

using sheet::SheetExportCommands;

class WindowExport : public SignedIn {
  protected:
    void SetUp() override {
        // The settings of this test only, never the user's.
        for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, settingsFolder.path());
        SheetExportCommands::fileChooser() = [this](QWidget*, const QString& caption,
                                                    const QString& proposed, const QString&) {
            asked << caption;
            proposedPaths << proposed;
            return answer;
        };
        SheetExportCommands::printerCheck() = [this] { return printerThere; };
        SignedIn::SetUp();
        if (HasFatalFailure()) return;
        commands = form->ExportCommands;
        ASSERT_TRUE(commands);
    }

    void TearDown() override {
        SignedIn::TearDown();
        SheetExportCommands::fileChooser() = {};
        SheetExportCommands::printerCheck() = {};
        SheetExportCommands::previewRunner() = {};
    }

    void loadSheet() {
        chooseUpToDiscipline(10, "Базы данных {3}");
        pickText(form->DBLookupComboBox9, "ИС-24-1");
        pickText(form->DBLookupComboBox3, "Ведомость");
        QCoreApplication::processEvents();
        ASSERT_TRUE(dm.ADO_SP_Sort.active());
        ASSERT_GT(form->KXDBGridEh1->model()->rowCount(), 20);
    }

    bool commandsEnabled() const {
        QCoreApplication::processEvents();  // the choice is followed after the cascade
        const bool all =
            commands->PrintButton->isEnabled() && commands->ExportButton->isEnabled() &&
            commands->SavePdfAction->isEnabled() && commands->ExportXlsxAction->isEnabled() &&
            commands->ExportCsvAction->isEnabled();
        const bool none =
            !commands->PrintButton->isEnabled() && !commands->ExportButton->isEnabled() &&
            !commands->SavePdfAction->isEnabled() && !commands->ExportXlsxAction->isEnabled() &&
            !commands->ExportCsvAction->isEnabled();
        EXPECT_TRUE(all || none) << "the commands disagree";
        return all;
    }

    // The grid's visible columns in its order, and what it shows in a cell.
    std::vector<int> shownColumns() const {
        std::vector<int> shown;
        for (int c = 0; c < form->KXDBGridEh1->columnCount(); ++c)
            if (form->KXDBGridEh1->column(c)->visible()) shown.push_back(c);
        return shown;
    }
    QString shownText(int row, int column) const {
        const QAbstractItemModel* m = form->KXDBGridEh1->model();
        return m->data(m->index(row, column)).toString();
    }
    QString student(int row) const {
        ui::DataGrid* grid = form->KXDBGridEh1;
        return shownText(row, grid->indexOfColumn(grid->columnByField(QStringLiteral("student"))));
    }

    QString lastFolderSetting() const {
        QSettings settings{QString::fromLatin1(SheetExportCommands::kSettingsOrganisation),
                           QString::fromLatin1(SheetExportCommands::kSettingsProgram)};
        return settings.value(QLatin1String(SheetExportCommands::kLastFolderKey)).toString();
    }

    QString today() const { return QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")); }

    testsupport::TempFolder settingsFolder;
    SheetExportCommands* commands = nullptr;
    QString answer;  // what the file chooser answers
    QStringList asked, proposedPaths;
    bool printerThere = true;
};

TEST_F(WindowExport, TheCommandsAreEnabledExactlyWhileASheetIsLoaded) {
    EXPECT_EQ(commands->PrintButton->toolTip(), QStringLiteral("Печать ведомости"));
    QStringList menu;
    for (const QAction* a : commands->ExportButton->menu()->actions()) menu << a->text();
    EXPECT_EQ(menu, (QStringList{QStringLiteral("Сохранить в PDF…"),
                                 QStringLiteral("Экспорт в Excel (XLSX)…"),
                                 QStringLiteral("Экспорт в CSV…")}));

    EXPECT_FALSE(commandsEnabled()) << "no sheet after sign-in";
    // Reached anyway (a shortcut, a script): said so, nothing asked.
    answer = folder.file(QStringLiteral("none.pdf"));
    commands->savePdf();
    commands->print();
    EXPECT_EQ(log.texts(), QStringList(2, QString::fromUtf8(sheetexport::kNothingLoaded)));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(QFile::exists(answer));
    log.messages.clear();

    chooseUpToDiscipline(10, "Базы данных {3}");
    pickText(form->DBLookupComboBox9, "ИС-24-1");
    EXPECT_FALSE(commandsEnabled()) << "a group, no sheet form yet";
    pickText(form->DBLookupComboBox3, "Ведомость");
    EXPECT_TRUE(commandsEnabled()) << "the sheet is loaded";

    // Each step back in the choice closes the sheet, and the commands with it.
    pickText(form->DBLookupComboBox11, "Базы данных {3}");
    EXPECT_FALSE(commandsEnabled()) << "the discipline chosen again";
    loadSheet();
    EXPECT_TRUE(commandsEnabled());
    pickText(form->DBLookupComboBox9, "ИС-24-1");
    EXPECT_FALSE(commandsEnabled()) << "the group chosen again";
    pickText(form->DBLookupComboBox3, "Ведомость");
    EXPECT_TRUE(commandsEnabled());
    pickKey(form->DBLookupComboBox1, year);
    EXPECT_FALSE(commandsEnabled()) << "the year chosen again";
    loadSheet();
    dm.ADO_SP_Sort.close();
    EXPECT_FALSE(commandsEnabled()) << "the mark sheet closed";
    EXPECT_NO_MESSAGE(log);
}

// Each command of the menu writes the file the teacher named, and another program reads
// the sheet back as the grid shows it: the heading, every student, every visible mark,
// total and grade.
TEST_F(WindowExport, EachFileCommandWritesTheChosenFileAsTheGridShowsIt) {
    loadSheet();
    const std::vector<int> shown = shownColumns();
    const int rows = form->KXDBGridEh1->model()->rowCount();
    QStringList titles;
    for (int c : shown) titles << form->KXDBGridEh1->column(c)->title();
    ASSERT_TRUE(titles.contains(QStringLiteral("Оценка")));
    ASSERT_TRUE(
        titles.contains(form->KXDBGridEh1->columnByField(QStringLiteral("ball1"))->title()));
    const QStringList heading = {
        QStringLiteral("Факультет: Факультет информационных технологий"),
        QStringLiteral("Учебный год: ") + form->DBLookupComboBox1->text(),
        QStringLiteral("Семестр: Осенний семестр"),
        QStringLiteral("Дисциплина: Базы данных (3 кредит.)"),
        QStringLiteral("Форма контроля: ") + form->DBLookupListBox2->text(),
        QStringLiteral("Группа / поток: ИС-24-1"),
        QStringLiteral("Кафедра: Кафедра информационных систем"),
        QStringLiteral("Форма ведомости: Ведомость"),
        QStringLiteral("Преподаватель: Иванова Анна Сергеевна"),
    };

    // XLSX: the heading lines, then the titles, the maxima and the rows.
    answer = folder.file(QStringLiteral("ведомость.xlsx"));
    commands->ExportXlsxAction->trigger();
    ASSERT_NO_MESSAGE(log);
    const QJsonObject book = exporttest::readBack(QStringLiteral("xlsx"), answer);
    EXPECT_EQ(book["sheets"].toArray().first().toString(), QStringLiteral("ИС-24-1"));
    const QJsonArray sheetRows = book["rows"].toArray();
    QStringList bookHeading;
    qsizetype top = 1;
    for (; top < sheetRows.size() && sheetRows[top].toArray()[0].toString() != titles[0]; ++top)
        if (!sheetRows[top].toArray()[0].toString().isEmpty())
            bookHeading << sheetRows[top].toArray()[0].toString();
    EXPECT_EQ(bookHeading, heading);
    ASSERT_LT(top + 2 + rows, sheetRows.size());

    // CSV: the titles, the maxima and the rows, Cyrillic intact.
    answer = folder.file(QStringLiteral("ведомость.csv"));
    commands->ExportCsvAction->trigger();
    ASSERT_NO_MESSAGE(log);
    const QJsonArray lines = exporttest::readBack(QStringLiteral("csv"), answer)["rows"].toArray();
    ASSERT_EQ(lines.size(), rows + 2);

    for (qsizetype i = 0; i < titles.size(); ++i) {
        EXPECT_EQ(sheetRows[top].toArray()[i].toString(), titles[i]);
        EXPECT_EQ(lines[0].toArray()[i].toString(), titles[i]);
    }
    for (int r = 0; r < rows; ++r) {
        const QJsonArray x = sheetRows[top + 2 + r].toArray();
        const QJsonArray c = lines[2 + r].toArray();
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const QString expected = shownText(r, shown[i]);
            const QJsonValue v = x[static_cast<qsizetype>(i)];
            EXPECT_EQ(v.isDouble() ? QString::number(v.toDouble()) : v.toString(), expected)
                << "xlsx row " << r << " " << titles[static_cast<qsizetype>(i)].toStdString();
            EXPECT_EQ(c[static_cast<qsizetype>(i)].toString(), expected)
                << "csv row " << r << " " << titles[static_cast<qsizetype>(i)].toStdString();
        }
    }

    // PDF: the heading, every student, the date and the page number.
    answer = folder.file(QStringLiteral("ведомость.pdf"));
    commands->SavePdfAction->trigger();
    ASSERT_NO_MESSAGE(log);
    const QString text = exporttest::pdfText(answer).simplified();
    for (const QString& line : heading) {
        const QString value = line.section(QStringLiteral(": "), 1);
        EXPECT_TRUE(text.contains(value)) << value.toStdString();
    }
    for (int r = 0; r < rows; ++r) EXPECT_TRUE(text.contains(student(r))) << r;
    EXPECT_TRUE(text.contains(today()));
    EXPECT_TRUE(text.contains(QStringLiteral("стр. 1 из 1")));

    EXPECT_EQ(asked, (QStringList{QStringLiteral("Экспорт ведомости в Excel"),
                                  QStringLiteral("Экспорт ведомости в CSV"),
                                  QStringLiteral("Сохранить ведомость в PDF")}));
    EXPECT_EQ(exporttest::folderEntries(folder.path()).filter(QStringLiteral("ведомость")).size(),
              3)
        << "no temporary file left";
}

// A stream's sheet: the heading names the stream and the department picked for it, and
// the faculty of its students.
TEST_F(WindowExport, AStreamsHeadingNamesTheStreamAndThePickedDepartment) {
    chooseUpToDiscipline(11, "Компьютерные сети {5}");
    pickText(form->DBLookupComboBox9, "Поток 101");
    pickText(form->DBLookupComboBox2, "Кафедра информационных систем");
    pickText(form->DBLookupComboBox3, "Ведомость");
    ASSERT_TRUE(commandsEnabled());
    answer = folder.file(QStringLiteral("поток.xlsx"));
    commands->ExportXlsxAction->trigger();
    ASSERT_NO_MESSAGE(log);
    const QJsonObject book = exporttest::readBack(QStringLiteral("xlsx"), answer);
    EXPECT_EQ(book["sheets"].toArray().first().toString(), QStringLiteral("Поток 101"));
    QStringList lines;
    for (const QJsonValue row : book["rows"].toArray()) lines << row.toArray()[0].toString();
    for (const QString& line : {QStringLiteral("Факультет: Факультет информационных технологий"),
                                QStringLiteral("Семестр: Осенний семестр"),
                                QStringLiteral("Дисциплина: Компьютерные сети (5 кредит.)"),
                                QStringLiteral("Группа / поток: Поток 101"),
                                QStringLiteral("Кафедра: Кафедра информационных систем")})
        EXPECT_TRUE(lines.contains(line)) << line.toStdString();
}

// A name of the sheet is offered in the documents folder first, then in the folder the
// last file went to; a name typed without its extension gets it; a cancelled choice writes
// nothing.
TEST_F(WindowExport, TheDefaultNameIsOfferedAndTheLastFolderRemembered) {
    loadSheet();
    const QString name = QStringLiteral("Базы данных ИС-24-1 Ведомость ") + today();
    EXPECT_EQ(lastFolderSetting(), QString());

    answer.clear();  // cancelled
    commands->SavePdfAction->trigger();
    ASSERT_EQ(proposedPaths.size(), 1);
    EXPECT_EQ(QFileInfo(proposedPaths[0]).fileName(), name + QStringLiteral(".pdf"));
    EXPECT_TRUE(QFileInfo(proposedPaths[0]).dir().exists());
    EXPECT_EQ(lastFolderSetting(), QString()) << "nothing saved, nothing remembered";

    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("отчёты")));
    const QString chosen = folder.file(QStringLiteral("отчёты"));
    answer = chosen + QStringLiteral("/мой файл");
    commands->ExportCsvAction->trigger();
    ASSERT_NO_MESSAGE(log);
    EXPECT_TRUE(QFile::exists(chosen + QStringLiteral("/мой файл.csv")));
    EXPECT_EQ(exporttest::folderEntries(chosen), QStringList{QStringLiteral("мой файл.csv")});
    EXPECT_EQ(lastFolderSetting(), chosen);

    answer.clear();
    commands->ExportXlsxAction->trigger();
    ASSERT_EQ(proposedPaths.size(), 3);
    EXPECT_EQ(proposedPaths[1], QFileInfo(proposedPaths[0]).absolutePath() + QStringLiteral("/") +
                                    name + QStringLiteral(".csv"));
    EXPECT_EQ(proposedPaths[2], chosen + QStringLiteral("/") + name + QStringLiteral(".xlsx"));
    // a file that is there already is replaced only when the teacher says so
    const QString existing = chosen + QStringLiteral("/мой файл.csv");
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("старое");
    file.close();
    const QString question =
        QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(existing);
    answer = existing;
    for (const auto button : {QMessageBox::No, QMessageBox::Yes}) {
        QList<ui::Message> shown;
        ui::MessageService::setResponder([&](const ui::Message& m) {
            shown << m;
            return button;
        });
        commands->ExportCsvAction->trigger();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, question);
        EXPECT_EQ(shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(QFileInfo(existing).size() == 12, button == QMessageBox::No);
    }
    ui::MessageService::setResponder([this](const ui::Message& m) {  // the fixture's log again
        log.messages << m;
        return QMessageBox::Ok;
    });
    // kept in this test's own settings file
    QSettings settings{QString::fromLatin1(SheetExportCommands::kSettingsOrganisation),
                       QString::fromLatin1(SheetExportCommands::kSettingsProgram)};
    EXPECT_TRUE(settings.fileName().startsWith(settingsFolder.path()))
        << settings.fileName().toStdString();
    EXPECT_NO_MESSAGE(log);
}

// A folder the file cannot go to: one message with the file and the system's reason,
// nothing left there, and the folder not offered next time.
TEST_F(WindowExport, AFolderThatCannotBeWrittenIsReportedAndNothingIsLeft) {
    loadSheet();
    QFile plain(folder.file(QStringLiteral("заметки")));  // a plain file, not a folder
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    QStringList targets = {folder.file(QStringLiteral("заметки/ведомость"))};
    // Root writes into any folder; a folder without write permission holds only for others.
    const QString locked = folder.file(QStringLiteral("закрыто"));
    if (::geteuid() != 0) {
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("закрыто")));
        ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        targets << locked + QStringLiteral("/ведомость");
    }
    const QStringList before = exporttest::folderEntries(folder.path());
    for (const QString& target : targets) {
        for (QAction* command :
             {commands->SavePdfAction, commands->ExportXlsxAction, commands->ExportCsvAction}) {
            SCOPED_TRACE(command->text().toStdString() + " " + target.toStdString());
            log.messages.clear();
            answer = target;
            command->trigger();
            ASSERT_EQ(log.messages.size(), 1);
            const QString prefix = QStringLiteral("Не удалось записать файл «%1.").arg(target);
            EXPECT_TRUE(log.messages[0].text.startsWith(prefix))
                << log.messages[0].text.toStdString();
            EXPECT_GT(log.messages[0].text.size(), prefix.size() + 10) << "no reason given";
            EXPECT_EQ(log.messages[0].icon, QMessageBox::Critical);
            EXPECT_EQ(exporttest::folderEntries(folder.path()), before);
            if (QFileInfo(locked).isDir()) {
                EXPECT_TRUE(exporttest::folderEntries(locked).isEmpty());
            }
        }
    }
    EXPECT_EQ(lastFolderSetting(), QString());
    if (QFileInfo(locked).isDir())
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The print button: without a printer it says so and opens nothing; with one it opens
// the preview of the sheet, and printing from there puts the sheet on the printer (here
// a PDF file, so that it can be read back).
TEST_F(WindowExport, ThePrintButtonPreviewsTheSheetAndPrintsFromThePreview) {
    loadSheet();
    int previews = 0;
    SheetExportCommands::previewRunner() = [&](QPrintPreviewDialog&) { ++previews; };
    printerThere = false;
    QTest::mouseClick(commands->PrintButton, Qt::LeftButton);
    EXPECT_EQ(previews, 0);
    ASSERT_EQ(log.texts(), QStringList{QString::fromUtf8(sheetexport::kNoPrinter)});
    log.messages.clear();

    printerThere = true;
    const QString printed = folder.file(QStringLiteral("на принтере.pdf"));
    int pages = 0;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    SheetExportCommands::previewRunner() = [&](QPrintPreviewDialog& preview) {
        ++previews;
        preview.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
        auto* widget = preview.findChild<QPrintPreviewWidget*>();
        ASSERT_TRUE(widget);
        widget->updatePreview();  // painted now, not on a later event
        QTest::qWait(100);
        pages = widget->pageCount();
        orientation = preview.printer()->pageLayout().orientation();
        QDir().mkpath(QStringLiteral(QOR28_SCREENSHOT_DIR));
        EXPECT_TRUE(preview.grab().save(
            QStringLiteral(QOR28_SCREENSHOT_DIR "/main-window-print-preview.png")));
        // what the preview's print button does once a printer is chosen
        preview.printer()->setOutputFormat(QPrinter::PdfFormat);
        preview.printer()->setOutputFileName(printed);
        widget->print();
        preview.accept();
    };
    QTest::mouseClick(commands->PrintButton, Qt::LeftButton);
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(orientation, QPageLayout::Landscape);
    EXPECT_NO_MESSAGE(log);
    const QString text = exporttest::pdfText(printed).simplified();
    const int rows = form->KXDBGridEh1->model()->rowCount();
    for (int r = 0; r < rows; ++r) EXPECT_TRUE(text.contains(student(r))) << r;
    EXPECT_TRUE(text.contains(QStringLiteral("Иванова Анна Сергеевна")));
    EXPECT_TRUE(text.contains(QStringLiteral("стр. 1 из 1")));
}

// The window with its new buttons beside the report button, and the export menu, saved
// as pictures for a person to look at.
TEST_F(WindowExport, TheWindowWithTheButtonsIsSavedAsAPicture) {
    form->setWindowState(Qt::WindowNoState);
    form->resize(1280, 800);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    loadSheet();
    QCoreApplication::processEvents();
    QDir().mkpath(QStringLiteral(QOR28_SCREENSHOT_DIR));
    EXPECT_TRUE(form->grab().save(QStringLiteral(QOR28_SCREENSHOT_DIR "/main-window-export.png")));
    // the buttons lie in a row under the report button, whole
    const QRect report = form->SpeedButton4->geometry();
    const QRect print = commands->PrintButton->geometry();
    const QRect exportButton = commands->ExportButton->geometry();
    EXPECT_EQ(print.left(), report.left());
    EXPECT_GT(print.top(), report.bottom());
    EXPECT_EQ(exportButton.top(), print.top());
    EXPECT_GT(exportButton.left(), print.right());
    EXPECT_GE(print.width(), commands->PrintButton->sizeHint().width());
    EXPECT_GE(exportButton.width(), commands->ExportButton->sizeHint().width());

    commands->ExportMenu->popup(
        commands->ExportButton->mapToGlobal(QPoint(0, commands->ExportButton->height())));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(commands->ExportMenu));
    EXPECT_TRUE(commands->ExportMenu->grab().save(
        QStringLiteral(QOR28_SCREENSHOT_DIR "/main-window-export-menu.png")));
    commands->ExportMenu->close();
    EXPECT_NO_MESSAGE(log);
}

}  // namespace
}  // namespace sheettest
