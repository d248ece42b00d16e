#pragma once

#include <QDir>
#include <QTemporaryDir>

#include "tests/support/QStringPrinter.h"

namespace testsupport {

// A folder of its own for one test, removed afterwards.
class TempFolder {
  public:
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return QDir(dir_.path()).filePath(name); }

  private:
    QTemporaryDir dir_;
};

}  // namespace testsupport
