#pragma once

#include <QSaveFile>
#include <QString>
#include <memory>

namespace sheetexport {

// A file written whole or not at all: the bytes go to a temporary file beside the
// target, renamed over it by commit(). Opening or committing fails with ExportError
// carrying the system's reason; a SafeFile dropped without commit() leaves nothing.
class SafeFile {
  public:
    explicit SafeFile(const QString& path);
    QIODevice& device() { return file_; }
    void commit();

  private:
    QString path_;
    QSaveFile file_;
};

// The same for a library that writes a file by its name (libxlsxwriter): a fresh
// temporary file beside the target is reserved, the library writes it, commit() renames
// it over the target. Whatever is not committed is removed.
class TemporaryTarget {
  public:
    explicit TemporaryTarget(const QString& path);
    ~TemporaryTarget();
    TemporaryTarget(const TemporaryTarget&) = delete;
    TemporaryTarget& operator=(const TemporaryTarget&) = delete;

    // The local path to write to.
    const QString& temporaryPath() const { return temporary_; }
    // Fails with the given reason, removing the temporary file.
    [[noreturn]] void fail(const QString& reason);
    void commit();

  private:
    QString path_;
    QString temporary_;
    bool committed_ = false;
};

}  // namespace sheetexport
