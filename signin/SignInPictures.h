#pragma once

#include <QPixmap>
#include <QSize>

namespace signin {

// The sign-in window's two backgrounds, painted by the program itself: the sign-in
// picture (Image1) and the password-change strip below it (Image2).
QPixmap signInPicture(QSize size);
QPixmap changePasswordPicture(QSize size);

}  // namespace signin
