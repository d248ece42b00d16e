#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <initializer_list>

class QLabel;
class QLineEdit;

namespace signin {

// The new-password boxes take only Latin letters, digits and the underscore and drop
// every other character. A teacher who typed "abc-def!" would otherwise have set
// "abcdef" without knowing it, so a dropped character is told in the status text at
// once. The notice stays while a box holds what was typed with a character dropped,
// that is until the teacher empties that box to type the password again (the sign-in
// button empties both on a mismatch); then the status text shown before comes back.
class PasswordCharacterNotice : public QObject {
    Q_OBJECT
  public:
    PasswordCharacterNotice(QLabel* status, std::initializer_list<QLineEdit*> boxes,
                            QObject* parent = nullptr);

    static QString text() {
        return QStringLiteral(
            "В пароле допустимы только латинские буквы, цифры и знак подчёркивания.");
    }

  private:
    void dropped(QLineEdit* box);
    void changed(QLineEdit* box, const QString& content);

    QLabel* status_;
    QSet<QLineEdit*> shortened_;  // boxes holding less than was typed into them
    QString before_;              // the status text the notice replaced
};

}  // namespace signin
