#include "export/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "export/SheetTable.h"

namespace sheetexport {

SafeFile::SafeFile(const QString& path) : path_(path), file_(path) {
    if (!file_.open(QIODevice::WriteOnly))
        throw ExportError(cannotWriteMessage(path_, file_.errorString()));
}

void SafeFile::commit() {
    if (!file_.commit()) throw ExportError(cannotWriteMessage(path_, file_.errorString()));
}

TemporaryTarget::TemporaryTarget(const QString& path) : path_(path) {
    const QFileInfo target(path);
    QTemporaryFile reserved(
        target.absoluteDir().filePath(target.fileName() + QStringLiteral(".XXXXXX.tmp")));
    reserved.setAutoRemove(false);
    if (!reserved.open()) throw ExportError(cannotWriteMessage(path_, reserved.errorString()));
    temporary_ = reserved.fileName();
}

TemporaryTarget::~TemporaryTarget() {
    if (!committed_) QFile::remove(temporary_);
}

void TemporaryTarget::fail(const QString& reason) {
    QFile::remove(temporary_);
    committed_ = true;  // nothing left to remove
    throw ExportError(cannotWriteMessage(path_, reason));
}

void TemporaryTarget::commit() {
    // rename() replaces an existing target in one step, which QFile::rename does not.
    if (std::rename(QFile::encodeName(temporary_).constData(),
                    QFile::encodeName(path_).constData()) != 0) {
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    committed_ = true;
}

}  // namespace sheetexport
