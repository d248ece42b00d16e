#pragma once

#include <QString>
#include <functional>

namespace sheet {
class TForm2;
}

namespace app {

// The start-up of the program: application title, data module, the main window (which
// signs the teacher in as it is created), the message loop. afterStart runs when the
// main window is shown (the screenshot program uses it); programFolder is where the
// bootstrap file lies (the program's folder when empty).
int runProgram(int argc, char** argv, const QString& programFolder = {},
               const std::function<void(sheet::TForm2&)>& afterStart = {});

}  // namespace app
