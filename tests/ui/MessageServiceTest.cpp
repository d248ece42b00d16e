#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <stdexcept>

#include "db/Error.h"
#include "tests/support/MessageLog.h"
#include "ui/Application.h"
#include "ui/MessageService.h"

namespace {

// An object whose event handling fails the way a handler of the program can.
class Failing : public QObject {
  public:
    enum class How { Error, Abort, Nothing };
    How how = How::Nothing;
    int handled = 0;

  protected:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        ++handled;
        if (how == How::Error) throw db::Error("Invalid column name 'p99'.");
        if (how == How::Abort) throw db::Abort();
        return true;
    }
};

TEST(MessageService, TheResponderSeesTheBoxAndAnswersIt) {
    QMessageBox::StandardButton answer = QMessageBox::No;
    ui::Message seen;
    ui::MessageService::setResponder([&](const ui::Message& m) {
        seen = m;
        return answer;
    });
    const auto pressed =
        ui::MessageService::show(QStringLiteral("Уведомление"), QStringLiteral("Удалить строки?"),
                                 QMessageBox::Question, QMessageBox::Yes | QMessageBox::No);
    ui::MessageService::setResponder({});
    EXPECT_EQ(pressed, QMessageBox::No);
    EXPECT_EQ(seen.caption, QStringLiteral("Уведомление"));
    EXPECT_EQ(seen.text, QStringLiteral("Удалить строки?"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
}

// The real box, answered by clicking: its buttons read in Russian.
TEST(MessageService, TheBoxShowsItsButtonsInRussian) {
    QStringList captions;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* b : box->buttons()) captions << b->text();
        box->button(QMessageBox::No)->click();
    });
    const auto pressed = ui::MessageService::show(
        QStringLiteral("Уведомление"), QStringLiteral("Вы действительно хотите обнулить баллы?"),
        QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(pressed, QMessageBox::No);
    captions.sort();
    EXPECT_EQ(captions, (QStringList{"Да", "Нет", "Отмена"}));
}

// Qt's own dialogs (file dialog, print preview) speak Russian too.
TEST(MessageService, QtsOwnTextsAreRussianOnceInstalled) {
    ASSERT_TRUE(ui::Application::installRussianQtTexts());
    EXPECT_TRUE(ui::Application::installRussianQtTexts());  // a second call changes nothing
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Save As"), "Сохранить как");
}

TEST(MessageService, APlainNoticeCarriesTheApplicationTitle) {
    ui::Application::setTitle(QStringLiteral("QOR 28 Электронная Ведомость"));
    testsupport::MessageLog log;
    ui::MessageService::showMessage(QStringLiteral("Файл не найден"));
    ASSERT_EQ(log.messages.size(), 1);
    EXPECT_EQ(log.messages[0].caption, QStringLiteral("QOR 28 Электронная Ведомость"));
    EXPECT_EQ(log.messages[0].buttons, QMessageBox::Ok);
}

TEST(GeneralErrorDisplay, AnUnhandledErrorIsShownWithItsOwnTextAndTheProgramGoesOn) {
    testsupport::MessageLog log;
    Failing target;
    target.how = Failing::How::Error;
    QEvent first(QEvent::User);
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&target, &first));
    ASSERT_EQ(log.texts(), QStringList{QStringLiteral("Invalid column name 'p99'.")});
    EXPECT_EQ(log.messages[0].icon, QMessageBox::Critical);

    // Events are still delivered afterwards, also through the event loop.
    target.how = Failing::How::Nothing;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_EQ(target.handled, 2);
    EXPECT_EQ(log.messages.size(), 1);
}

TEST(GeneralErrorDisplay, AbortIsSilent) {
    testsupport::MessageLog log;
    Failing target;
    target.how = Failing::How::Abort;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_EQ(target.handled, 1);
    EXPECT_NO_MESSAGE(log);
}

TEST(GeneralErrorDisplay, AnErrorThatIsNoStandardOneStillGetsAMessage) {
    testsupport::MessageLog log;
    ui::Application::showException(std::make_exception_ptr(42));
    EXPECT_EQ(log.texts(), QStringList{QStringLiteral("Непредвиденная ошибка программы.")});
}

}  // namespace
