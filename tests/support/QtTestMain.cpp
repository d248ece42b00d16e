// The main of the Qt test programs: the program's own application object (so the
// general error display is in place), offscreen, Russian dates, then the tests.
#include <gtest/gtest.h>

#include <QLocale>

#include "ui/Application.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    ui::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
