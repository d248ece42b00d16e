#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>
#include <functional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QTimer;
class QToolButton;

namespace data {
class TDM_ZOL_3;
}
namespace db {
class Connection;
}

namespace signin {

// The sign-in window: the teacher's login and password, checked by the server's
// GET_USER, with a forced or suggested password change and the version check.
class TForm8 : public QDialog {
    Q_OBJECT

  public:
    // mainWindow gets its caption from the sign-in; programFolder holds Data/QOR,
    // tempQOR and "QOR 28.bat" (the program's own folder when empty).
    TForm8(data::TDM_ZOL_3& dm, QWidget* mainWindow, const QString& programFolder = {},
           QWidget* parent = nullptr);
    ~TForm8() override;

    // Signs the teacher in on the connection; newPassword is "NULL" or the new password.
    bool SignIn(db::Connection& connection, const QString& newPassword);

    // The design caption of the main window.
    static QString mainWindowCaption() { return QStringLiteral("QOR 28 "); }

    QLineEdit* Login_Edit;
    QLineEdit* Password_Edit;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton3;
    QLabel* RzLabel1;
    QLabel* Label1;
    QProgressBar* ProgressBar;
    QLabel* Image1;
    QLabel* Image2;

    unsigned char SignInAttempts = 0;
    bool ChangeAreaOpen = false;

    // What a too new server version does after its message has been shown: wait 5
    // seconds and end the program. Tests put a function of their own here.
    std::function<void()> stopProgram;

    // Called each time a sign-in window is shown (the screenshot program fills it in).
    static std::function<void(TForm8&)>& shownHook();

    // The workstation's own IPv4 address as the address watcher last saw it.
    QString localAddress() const { return localAddress_; }

  public slots:
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void IdIPWatch1StatusChanged();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    void showStatus(const QString& first, const QString& second = {});
    void setMainCaption();

    data::TDM_ZOL_3& dm_;
    QWidget* mainWindow_;
    QString programFolder_;
    QTimer* IdIPWatch1;
    QString localAddress_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

}  // namespace signin
