#pragma once

#include <QByteArray>
#include <QString>

namespace signin {

// The technical server login and where the database is, from the bootstrap file
// Data/QOR beside the program: 84 bytes, each value stored one code lower.
struct BootstrapFile {
    QString login;
    QString password;
    QString dataSource;
    QString catalog;

    static constexpr int kSize = 84;

    // Reads the file at the path; an error (Russian text) when it is missing, cannot be
    // read or is shorter than 84 bytes.
    static BootstrapFile read(const QString& path);
    // Decodes the first 84 bytes of a file's content.
    static BootstrapFile decode(const QByteArray& bytes);
    // The 84 bytes that read back as these values (values longer than 20 bytes are cut).
    static QByteArray encode(const BootstrapFile& values);
    // Where the program looks for it: Data/QOR in the program's folder.
    static QString pathIn(const QString& programFolder);
};

}  // namespace signin
