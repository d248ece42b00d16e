// qor28-screenshot FILE LOGIN PASSWORD: runs the program, signs in with the login and
// password as a person would type them, opens the teacher's first graded group sheet,
// saves a PNG of the main window and ends. For machines without a display (run it on a
// virtual one).
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <functional>

#include "app/Startup.h"
#include "data/AssessmentClass.h"
#include "data/LoginContext.h"
#include "sheet/TForm2.h"
#include "signin/TForm8.h"
#include "ui/DataGrid.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"
#include "ui/LookupListModel.h"
#include "ui/MessageService.h"

namespace {

// Chooses the entries of the selection lists one after the other, as the teacher
// would, newest year first, until a group sheet of a graded form of assessment shows
// its rows. True when one does.
class FirstGradedSheet {
  public:
    explicit FirstGradedSheet(sheet::TForm2& form) : form_(form) {}

    bool open() {
        ui::LookupComboBox* years = form_.DBLookupComboBox1;
        for (int row = entries(years) - 1; row >= 0; --row)
            if (choose(years, row, [&] { form_.DBLookupComboBox1Click(); }) && semesters())
                return true;
        return false;
    }

  private:
    static ui::LookupListModel* model(QAbstractItemView* list) {
        return static_cast<ui::LookupListModel*>(list->model());
    }
    static ui::LookupListModel* model(ui::LookupComboBox* list) {
        return static_cast<ui::LookupListModel*>(list->model());
    }
    template <class List>
    static int entries(List* list) {
        return list->isEnabled() ? model(list)->rowCount() : 0;
    }
    // Sets the entry and runs the list's handler; false when the handler failed.
    template <class List, class Handler>
    static bool choose(List* list, int row, Handler handler) {
        list->setKeyValue(model(list)->keyAt(row));
        try {
            handler();
            return true;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "qor28-screenshot: %s\n", e.what());
            return false;
        }
    }

    // Tries the list's entries in order (those the filter lets through) until one leads
    // to a loaded sheet.
    template <class List, class Handler, class Next>
    static bool anyEntry(List* list, Handler handler, Next next,
                         const std::function<bool(const db::Value&)>& filter = {}) {
        for (int row = 0; row < entries(list); ++row) {
            if (filter && !filter(model(list)->keyAt(row))) continue;
            if (choose(list, row, handler) && next()) return true;
        }
        return false;
    }

    bool semesters() {
        return anyEntry(
            form_.DBLookupComboBox10, [&] { form_.DBLookupComboBox10Click(); },
            [&] { return form_.Choice.SemesterKind == "0" && disciplines(); });
    }
    bool disciplines() {
        return anyEntry(
            form_.DBLookupComboBox11, [&] { form_.DBLookupComboBox11Click(); },
            [&] { return assessments(); });
    }
    bool assessments() {
        const data::GradingIds ids = data::gradingIdsOf(data::loginContext());
        return anyEntry(
            form_.DBLookupListBox2, [&] { form_.DBLookupListBox2Click(); },
            [&] { return groups(); },
            [&](const db::Value& kind) {
                return !db::isNull(kind) && data::assessmentClassOf(db::toInteger(kind), ids) ==
                                                data::AssessmentClass::Graded;
            });
    }
    bool groups() {
        return anyEntry(
            form_.DBLookupComboBox9, [&] { form_.DBLookupComboBox9Click(); },
            [&] { return sheetForm(); });
    }
    bool sheetForm() {
        ui::LookupComboBox* list = form_.DBLookupComboBox3;
        if (entries(list) == 0) return false;
        // The ordinary sheet form comes first in the list.
        if (!choose(list, 0, [&] { form_.DBLookupComboBox3Click(); })) return false;
        const db::Dataset* rows = form_.KXDBGridEh1->dataset();
        return rows && !rows->isEmpty();
    }

    sheet::TForm2& form_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: qor28-screenshot FILE LOGIN PASSWORD\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const QString login = QString::fromLocal8Bit(argv[2]);
    const QString password = QString::fromLocal8Bit(argv[3]);
    // Nobody is there to press a message box's button: report it and go on.
    ui::MessageService::setResponder([](const ui::Message& m) {
        std::fprintf(stderr, "qor28-screenshot: %s: %s\n", qPrintable(m.caption),
                     qPrintable(m.text));
        return QMessageBox::Ok;
    });
    signin::TForm8::shownHook() = [&](signin::TForm8& form) {
        QTimer::singleShot(300, &form, [&form, &login, &password] {
            form.Login_Edit->setText(login);
            form.Password_Edit->setText(password);
            form.SpeedButton2->click();
            if (form.isVisible()) {
                std::fprintf(stderr, "qor28-screenshot: the sign-in was refused: %s\n",
                             qPrintable(form.RzLabel1->text()));
                form.SpeedButton1->click();
            }
        });
    };
    bool saved = false;
    const int rc = app::runProgram(argc, argv, {}, [&](sheet::TForm2& form) {
        // The main window opens maximized; a virtual screen is small, so the picture is
        // taken at the size of a common workstation screen instead.
        form.setWindowState(Qt::WindowNoState);
        form.resize(1280, 800);
        if (!FirstGradedSheet(form).open())
            std::fprintf(stderr, "qor28-screenshot: no graded group sheet to open\n");
        QTimer::singleShot(500, &form, [&form, &file, &saved] {
            saved = form.grab().save(file, "PNG");
            QCoreApplication::quit();
        });
    });
    if (!saved) {
        std::fprintf(stderr, "qor28-screenshot: no screenshot was written\n");
        return rc == 0 ? 1 : rc;
    }
    std::printf("%s\n", qPrintable(file));
    return rc;
}
