#include "sheet/TForm2.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

#include "data/TDM_ZOL_3.h"
#include "signin/TForm8.h"
#include "ui/Application.h"

namespace sheet {

TForm2::TForm2(data::TDM_ZOL_3& dm, const QString& programFolder, QWidget* parent)
    : QMainWindow(parent), dm_(dm) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(signin::TForm8::mainWindowCaption());
    buildControls();

    {
        auto signIn = std::make_unique<signin::TForm8>(dm_, this, programFolder);
        if (signIn->exec() != QDialog::Accepted) ui::Application::terminate();
    }

    dm_.setEditingControls(this);
    resize(1024, 700);
}

TForm2::~TForm2() {
    if (dm_.editingControls() == this) dm_.setEditingControls(nullptr);
}

void TForm2::buildControls() {
    auto* central = new QWidget(this);
    auto* form = new QFormLayout;
    DBLookupComboBox10 = new QComboBox(central);
    DBLookupComboBox10->setObjectName(QStringLiteral("DBLookupComboBox10"));
    DBLookupComboBox11 = new QComboBox(central);
    DBLookupComboBox11->setObjectName(QStringLiteral("DBLookupComboBox11"));
    DBLookupListBox2 = new QListWidget(central);
    DBLookupListBox2->setObjectName(QStringLiteral("DBLookupListBox2"));
    DBLookupListBox2->setMaximumHeight(90);
    DBLookupComboBox9 = new QComboBox(central);
    DBLookupComboBox9->setObjectName(QStringLiteral("DBLookupComboBox9"));
    form->addRow(QStringLiteral("Семестр"), DBLookupComboBox10);
    form->addRow(QStringLiteral("Дисциплина"), DBLookupComboBox11);
    form->addRow(QStringLiteral("Форма контроля"), DBLookupListBox2);
    form->addRow(QStringLiteral("Группа / поток"), DBLookupComboBox9);

    auto* layout = new QVBoxLayout(central);
    layout->addLayout(form);
    layout->addStretch();
    setCentralWidget(central);

    auto* tools = addToolBar(QStringLiteral("Ведомость"));
    tools->setMovable(false);
    SpeedButton2 = new QToolButton(tools);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("Сохранить"));
    SpeedButton2->setEnabled(false);
    tools->addWidget(SpeedButton2);
}

void TForm2::setSaveButtonEnabled(bool on) {
    SpeedButton2->setEnabled(on);
}

void TForm2::setSelectionListsEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{DBLookupComboBox9, DBLookupComboBox10,
                                                      DBLookupComboBox11, DBLookupListBox2}) {
        w->setEnabled(on);
    }
}

}  // namespace sheet
