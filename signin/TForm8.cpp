#include "signin/TForm8.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSysInfo>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "data/LoginContext.h"
#include "data/TDM_ZOL_3.h"
#include "db/Dataset.h"
#include "signin/AddressWatcher.h"
#include "signin/BootstrapFile.h"
#include "signin/BuildDate.h"
#include "signin/Codec.h"
#include "signin/PasswordCharacterNotice.h"
#include "signin/ProgressBarProgress.h"
#include "signin/SignInPictures.h"
#include "signin/UserCheck.h"
#include "ui/Application.h"
#include "ui/MessageService.h"

namespace signin {

namespace {

constexpr int kWidth = 497;
constexpr int kClosedHeight = 275;
constexpr int kOpenHeight = 416;

QString text(const db::Field& f) {
    return QString::fromStdString(f.asString());
}

// The embedded database beside the program is named by its file name (the bootstrap
// file holds 20 bytes at most); it is found in the program's folder whatever the
// current folder is. A name with no such file stays a server's name.
QString dataSourceIn(const QString& programFolder, const QString& dataSource) {
    if (dataSource.isEmpty() || !QFileInfo(dataSource).isRelative()) return dataSource;
    const QString beside = QDir(programFolder).filePath(dataSource);
    return QFileInfo(beside).isFile() ? QFileInfo(beside).absoluteFilePath() : dataSource;
}

QString errorText(const std::exception& e) {
    return QString::fromUtf8(e.what());
}

}  // namespace

std::function<void(TForm8&)>& TForm8::shownHook() {
    static std::function<void(TForm8&)> hook;
    return hook;
}

TForm8::TForm8(data::TDM_ZOL_3& dm, QWidget* mainWindow, const QString& programFolder,
               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      dm_(dm),
      mainWindow_(mainWindow),
      programFolder_(programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                             : programFolder) {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Аутентификация"));
    stopProgram = [] {
        QThread::sleep(5);
        // At once: nothing of this run has anything to finish, and no destructor of a
        // half-built program should run behind the message loop's back.
        std::fflush(nullptr);
        std::_Exit(0);
    };

    // An update is being unpacked into tempQOR: wait until the updater has finished.
    const QDir folder(programFolder_);
    while (folder.exists(QStringLiteral("tempQOR"))) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    QFile::remove(folder.filePath(QStringLiteral("QOR 28.bat")));

    buildControls();
    Label1->setText(QStringLiteral("V.") + QString::number(ProgramVersion) +
                    QStringLiteral("   [ ") + captionDate(BuildDate()) + QStringLiteral(" ]"));
    SignInAttempts = 0;
    ChangeAreaOpen = false;

    resize(kWidth, 273);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    IdIPWatch1 = new QTimer(this);
    IdIPWatch1->setObjectName(QStringLiteral("IdIPWatch1"));
    localAddress_ = AddressWatcher::currentAddress();
    connect(IdIPWatch1, &QTimer::timeout, this, &TForm8::IdIPWatch1StatusChanged);
    IdIPWatch1->start(1000);
}

TForm8::~TForm8() = default;

void TForm8::buildControls() {
    auto label = [this](const QString& caption, int x, int y, int w, int h) {
        auto* l = new QLabel(caption, this);
        l->setGeometry(x, y, w, h);
        l->setStyleSheet(QStringLiteral("color: #dfe8f5; font-size: 9pt;"));
        return l;
    };
    auto edit = [this](const char* name, int x, int y, int w) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(x, y, w, 26);
        e->installEventFilter(this);
        return e;
    };
    auto button = [this](const char* name, const QString& caption, int x, int y, int w, int h) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(caption);
        b->setGeometry(x, y, w, h);
        b->setCursor(Qt::PointingHandCursor);
        return b;
    };

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, kWidth, kClosedHeight);
    Image1->setPixmap(signInPicture(Image1->size()));
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(0, kClosedHeight, kWidth, kOpenHeight - kClosedHeight);
    Image2->setPixmap(changePasswordPicture(Image2->size()));
    Image1->installEventFilter(this);
    Image2->installEventFilter(this);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 6, 300, 16);
    Label1->setStyleSheet(QStringLiteral("color: #9fb4d3; font-size: 8pt;"));

    label(QStringLiteral("Логин"), 232, 44, 240, 18);
    Login_Edit = edit("Login_Edit", 232, 64, 245);
    label(QStringLiteral("Пароль"), 232, 98, 240, 18);
    Password_Edit = edit("Password_Edit", 232, 118, 245);
    Password_Edit->setEchoMode(QLineEdit::Password);
    // Hidden characters show as '*'.
    setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));

    SpeedButton2 = button("SpeedButton2", QStringLiteral("Войти"), 232, 158, 118, 30);
    SpeedButton1 = button("SpeedButton1", QStringLiteral("Выход"), 359, 158, 118, 30);
    SpeedButton3 = button("SpeedButton3", QStringLiteral("Сменить пароль"), 232, 194, 245, 20);
    SpeedButton2->setStyleSheet(QStringLiteral(
        "QToolButton { color: white; background: #2f7de1; border: none; border-radius: 4px;"
        " font-weight: bold; } QToolButton:hover { background: #4a90ea; }"
        " QToolButton:pressed { background: #2566b8; }"));
    SpeedButton1->setStyleSheet(
        QStringLiteral("QToolButton { color: #dfe8f5; background: rgba(255,255,255,30);"
                       " border: 1px solid rgba(255,255,255,90); border-radius: 4px; }"
                       " QToolButton:hover { background: rgba(255,255,255,55); }"));
    SpeedButton3->setStyleSheet(
        QStringLiteral("QToolButton { color: #9cc7ff; background: transparent; border: none;"
                       " text-decoration: underline; } QToolButton:disabled { color: #6f86a6; }"));

    RzLabel1 = new QLabel(this);
    RzLabel1->setObjectName(QStringLiteral("RzLabel1"));
    RzLabel1->setGeometry(12, 222, kWidth - 24, 42);
    RzLabel1->setAlignment(Qt::AlignCenter);
    RzLabel1->setWordWrap(true);
    RzLabel1->setStyleSheet(QStringLiteral("color: #ffd27a; font-weight: bold; font-size: 9pt;"));
    RzLabel1->installEventFilter(this);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(0, 268, kWidth, 5);
    ProgressBar->setRange(0, 14);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    ProgressBar->setVisible(false);

    label(QStringLiteral("Новый пароль"), 24, 306, 215, 18);
    Edit1 = edit("Edit1", 24, 326, 215);
    label(QStringLiteral("Подтверждение пароля"), 258, 306, 215, 18);
    Edit2 = edit("Edit2", 258, 326, 215);
    // Not less than 6 of: digits, Latin letters, underscore.
    for (QLineEdit* e : {Edit1, Edit2}) {
        e->setEchoMode(QLineEdit::Password);
        e->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9A-Za-z_]*")), e));
        e->setVisible(false);
    }
    new PasswordCharacterNotice(RzLabel1, {Edit1, Edit2}, this);
    label(QStringLiteral("Не менее 6 символов: латинские буквы, цифры и знак _"), 24, 366, 449, 18);

    connect(SpeedButton1, &QToolButton::clicked, this, &TForm8::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm8::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm8::SpeedButton3Click);
    Login_Edit->setFocus();
}

void TForm8::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (auto& hook = shownHook()) hook(*this);
}

bool TForm8::eventFilter(QObject* watched, QEvent* event) {
    const bool edit =
        watched == Login_Edit || watched == Password_Edit || watched == Edit1 || watched == Edit2;
    if (edit && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            SpeedButton2->click();
            return true;
        }
    }
    const bool handle = watched == Image1 || watched == Image2 || watched == RzLabel1;
    if (handle && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            dragging_ = true;
            dragOffset_ = mouse->globalPosition().toPoint() - frameGeometry().topLeft();
            return true;
        }
    }
    if (handle && event->type() == QEvent::MouseMove && dragging_) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() & Qt::LeftButton) {
            move(mouse->globalPosition().toPoint() - dragOffset_);
            return true;
        }
    }
    if (handle && event->type() == QEvent::MouseButtonRelease) dragging_ = false;
    return QDialog::eventFilter(watched, event);
}

void TForm8::showStatus(const QString& first, const QString& second) {
    RzLabel1->setText(second.isEmpty() ? first : first + QLatin1Char('\n') + second);
}

void TForm8::IdIPWatch1StatusChanged() {
    localAddress_ = AddressWatcher::currentAddress();
}

void TForm8::SpeedButton1Click() {
    ui::Application::terminate();
    reject();
}

void TForm8::SpeedButton3Click() {
    ChangeAreaOpen = !ChangeAreaOpen;
    Edit1->setVisible(ChangeAreaOpen);
    Edit2->setVisible(ChangeAreaOpen);
    resize(kWidth, ChangeAreaOpen ? kOpenHeight : kClosedHeight);
}

void TForm8::SpeedButton2Click() {
    ++SignInAttempts;
    QString newPassword = QStringLiteral("NULL");
    if (ChangeAreaOpen) {
        if (Edit1->text() != Edit2->text()) {
            Edit1->clear();
            Edit2->clear();
            showStatus(QStringLiteral("Новый пароль подтвержден не верно!!!"),
                       QStringLiteral("Подтвердите пароль заново."));
            return;
        }
        if (Edit1->text().size() < 6) {
            Edit1->clear();
            Edit2->clear();
            showStatus(QStringLiteral("Пароль должен состоять не менее чем из 6 символов!!!"),
                       QStringLiteral("Введите новый пароль заново."));
            return;
        }
        newPassword = Edit1->text();
    }
    if (!SignIn(dm_.ADO_ZOL, newPassword)) return;
    // Every later statement sends its dates in day-month-year order.
    db::Dataset dateFormat(&dm_.ADO_ZOL);
    dateFormat.setSql("SET DATEFORMAT dmy");
    dateFormat.execSql();
    accept();
}

void TForm8::setMainCaption() {
    const QString caption = mainWindowCaption() + QStringLiteral(" V") +
                            QString::number(ProgramVersion) + QStringLiteral(" [ ") +
                            captionDate(BuildDate()) + QStringLiteral(" ] - ") +
                            QStringLiteral("Электронная Ведомость");
    if (mainWindow_) mainWindow_->setWindowTitle(caption);
    ui::Application::setTitle(caption);
}

bool TForm8::SignIn(db::Connection& connection, const QString& newPassword) {
    BootstrapFile boot;
    try {
        boot = BootstrapFile::read(BootstrapFile::pathIn(programFolder_));
        boot.dataSource = dataSourceIn(programFolder_, boot.dataSource);
    } catch (const std::exception& e) {
        ui::MessageService::showMessage(errorText(e));
        return false;
    }

    connection.close();
    connection.setConnectionString(
        connectionString(boot.login, boot.password, boot.catalog, boot.dataSource).toStdString());
    try {
        connection.open();
    } catch (const std::exception& e) {
        ui::MessageService::showMessage(errorText(e));
        QString status = errorText(e);
        if (!boot.login.isEmpty()) status.remove(boot.login);
        RzLabel1->setText(status);
    }

    setMainCaption();

    const QString check = userCheckText(Login_Edit->text(), Password_Edit->text(), newPassword,
                                        localAddress_, QSysInfo::machineHostName());
    QString serverLogin, serverPassword;
    try {
        auto query = std::make_unique<db::Dataset>(&connection);
        query->setSql(check.toStdString());
        query->open();
        if (query->isEmpty() || query->fieldCount() < 6) {
            throw std::runtime_error("Сервер не вернул ответ на проверку пользователя.");
        }
        if (query->field(5).asInteger() > ProgramVersion) {
            Label1->setStyleSheet(QStringLiteral("color: blue; font-size: 10pt;"));
            Label1->setGeometry(14, Label1->y(), kWidth - 28, 20);
            Label1->setText(QStringLiteral("Пожалуйста, скачайте новую версию с портала QOR !"));
            repaint();
            QCoreApplication::processEvents();
            stopProgram();
            return false;
        }
        const QString refusal = text(query->field(4));
        if (!refusal.isEmpty()) {
            RzLabel1->setText(refusal);
            connection.close();
            return false;
        }
        const std::int64_t passwordState = query->field(3).asInteger();
        const bool forced = passwordState < 0;
        const bool suggested =
            SignInAttempts == 1 && !text(query->field(0)).isEmpty() && passwordState < 20;
        if (forced || suggested) {
            query.reset();
            connection.close();
            showStatus(QStringLiteral("Вы должны поменять пароль"),
                       QStringLiteral(
                           "Это делается для безопастности и сохранения данных от злоумышлеников"));
            SpeedButton3Click();
            if (forced) SpeedButton3->setEnabled(false);
            return false;
        }
        serverLogin = ShiftUp(text(query->field(0)));
        serverPassword = ShiftUp(text(query->field(1)));
        data::loginContext().LoginId = static_cast<std::int32_t>(query->field(2).asInteger());
    } catch (const std::exception& e) {
        ui::MessageService::showMessage(errorText(e));
        RzLabel1->setText(QStringLiteral("Неверно ввели логин или пароль."));
        connection.close();
        return false;
    }

    connection.close();
    connection.setConnectionString(
        connectionString(serverLogin, serverPassword, boot.catalog, boot.dataSource).toStdString());
    try {
        connection.open();
        ui::Application::setShowMainForm(true);
        data::loginContext().LoginName = Login_Edit->text().toStdString();
        ProgressBarProgress progress(*ProgressBar);
        data::LoadLoginContext(dm_, progress);
        return true;
    } catch (const std::exception& e) {
        ui::MessageService::showMessage(errorText(e));
        RzLabel1->clear();
        connection.close();
        return false;
    }
}

}  // namespace signin
