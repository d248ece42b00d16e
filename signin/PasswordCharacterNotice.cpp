#include "signin/PasswordCharacterNotice.h"

#include <QLabel>
#include <QLineEdit>

namespace signin {

PasswordCharacterNotice::PasswordCharacterNotice(QLabel* status,
                                                 std::initializer_list<QLineEdit*> boxes,
                                                 QObject* parent)
    : QObject(parent), status_(status) {
    for (QLineEdit* box : boxes) {
        // The box's validator refuses the character and the box says so.
        connect(box, &QLineEdit::inputRejected, this, [this, box] { dropped(box); });
        connect(box, &QLineEdit::textChanged, this,
                [this, box](const QString& content) { changed(box, content); });
    }
}

void PasswordCharacterNotice::dropped(QLineEdit* box) {
    shortened_.insert(box);
    if (status_->text() == text()) return;
    before_ = status_->text();
    status_->setText(text());
}

void PasswordCharacterNotice::changed(QLineEdit* box, const QString& content) {
    if (!content.isEmpty() || !shortened_.remove(box) || !shortened_.isEmpty()) return;
    // A status set since (a sign-in message) stays.
    if (status_->text() == text()) status_->setText(before_);
    before_.clear();
}

}  // namespace signin
