#include "tests/sheet/SheetFixture.h"

#include <QAbstractItemView>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "Contract.h"
#include "Demo.h"
#include "data/LoginContext.h"
#include "server/Engine.h"
#include "signin/TForm8.h"
#include "ui/Application.h"
#include "ui/DataGrid.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"
#include "ui/LookupListModel.h"

namespace sheettest {

namespace demo = server::qor::demo;

void SignedIn::SetUp() {
    // The window leaves its address history in the current folder when it goes.
    previousFolder = QDir::currentPath();
    QDir::setCurrent(folder.path());
    server::qor::install();
    database = folder.file(QStringLiteral("QOR.db"));
    server::qor::createDemo(database.toStdString());
    createForm();
    if (HasFatalFailure()) return;

    year = server::qor::currentAcademicYear() - 2000;
}

void SignedIn::createForm() {
    // A window created again signs in on the same data module, which reads the ids of
    // grades and assessment kinds once: the login context keeps them, as a repeated
    // sign-in of the program does.
    if (!form) data::loginContext() = {};
    form.reset();
    ui::Application::setShowMainForm(false);
    signin::TForm8::shownHook() = [name = signInLogin](signin::TForm8& f) {
        QTimer::singleShot(0, &f, [&f, name] {
            f.Login_Edit->setText(name);
            f.Password_Edit->setText(QString::fromLatin1(demo::password));
            f.SpeedButton2->click();
        });
    };
    form = std::make_unique<sheet::TForm2>(dm, folder.path());
    signin::TForm8::shownHook() = {};
    ASSERT_TRUE(ui::Application::showMainForm()) << log.texts().join('|').toStdString();
    ASSERT_NO_MESSAGE(log);
}

void SignedIn::TearDown() {
    form.reset();
    data::loginContext() = {};
    QDir::setCurrent(previousFolder);
}

void SignedIn::execute(const std::string& sql) {
    auto engine = server::Engine::open(database.toStdString(), demo::bootLogin, demo::bootPassword);
    engine->execute(sql);
}

namespace {
void clickRow(ui::LookupComboBox* list, int row) {
    ASSERT_TRUE(list->isEnabled()) << list->objectName().toStdString();
    ASSERT_GE(row, 0) << list->objectName().toStdString();
    list->showPopup();
    QAbstractItemView* view = list->view();
    const QRect r = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
}
}  // namespace

void SignedIn::pickKey(ui::LookupComboBox* list, const db::Value& key) {
    clickRow(list, static_cast<ui::LookupListModel*>(list->model())->rowOfKey(key));
}

void SignedIn::pickText(ui::LookupComboBox* list, const QString& text) {
    clickRow(list, list->findText(text));
}

void SignedIn::pickText(ui::LookupListBox* list, const QString& text) {
    ASSERT_TRUE(list->isEnabled());
    const int row = static_cast<int>(entries(list).indexOf(text));
    ASSERT_GE(row, 0) << text.toStdString();
    const QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

QStringList SignedIn::entries(const ui::LookupComboBox* list) {
    QStringList e;
    for (int i = 0; i < list->count(); ++i) e << list->itemText(i);
    return e;
}

QStringList SignedIn::entries(const ui::LookupListBox* list) {
    QStringList e;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        e << list->model()->index(i, 0).data().toString();
    return e;
}

ui::DataGridColumn* SignedIn::column(const char* field) const {
    ui::DataGridColumn* c = form->KXDBGridEh1->columnByField(QString::fromUtf8(field));
    if (!c) throw std::runtime_error(std::string("the grid has no column for the field ") + field);
    return c;
}

void SignedIn::chooseUpToDiscipline(std::int64_t semester, const QString& discipline) {
    pickKey(form->DBLookupComboBox1, year);
    pickKey(form->DBLookupComboBox10, semester);
    pickText(form->DBLookupComboBox11, discipline);
}

void SignedIn::showDemoSheet() {
    form->setWindowState(Qt::WindowNoState);
    form->resize(1280, 800);
    form->show();
    chooseUpToDiscipline(10, "Базы данных {3}");
    pickText(form->DBLookupComboBox9, "ИС-24-1");
    pickText(form->DBLookupComboBox3, "Ведомость");
}

}  // namespace sheettest
