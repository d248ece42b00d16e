#include "export/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

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
#ifdef Q_OS_UNIX
    // QTemporaryFile makes its file for the owner alone, and the library writing into it
    // keeps that: a workbook no one else could open, beside a PDF and a CSV that anyone
    // may read. The file is made as any new file is (0666 less the umask), exclusively,
    // so that nothing planted under the name is written through.
    int error = EEXIST;
    for (int attempt = 0; attempt < 64 && error == EEXIST; ++attempt) {
        const QString name = target.absoluteDir().filePath(
            QStringLiteral("%1.%2.tmp")
                .arg(target.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        const int fd = ::open(QFile::encodeName(name).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            temporary_ = name;
            return;
        }
        error = errno;
    }
    committed_ = true;  // nothing to remove
    throw ExportError(cannotWriteMessage(path_, QString::fromLocal8Bit(std::strerror(error))));
#else
    QTemporaryFile reserved(
        target.absoluteDir().filePath(target.fileName() + QStringLiteral(".XXXXXX.tmp")));
    reserved.setAutoRemove(false);
    if (!reserved.open()) throw ExportError(cannotWriteMessage(path_, reserved.errorString()));
    temporary_ = reserved.fileName();
#endif
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
    // A file replaced keeps who may read it, as QSaveFile does for the other writers.
    if (QFileInfo::exists(path_)) QFile::setPermissions(temporary_, QFile::permissions(path_));
    // rename() replaces an existing target in one step, which QFile::rename does not.
    if (std::rename(QFile::encodeName(temporary_).constData(),
                    QFile::encodeName(path_).constData()) != 0) {
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    committed_ = true;
}

}  // namespace sheetexport
