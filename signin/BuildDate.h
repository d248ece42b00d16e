#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace signin {

// When this program was built. A Windows build reads the time stamp of the resource
// directory in its own file; elsewhere it is the time stamped in at compile time.
QDateTime BuildDate();

// The resource directory's time stamp (an MS-DOS packed date and time) of a PE file;
// nothing when the file is no PE file or has no .rsrc section.
std::optional<QDateTime> resourceTimeStamp(const QString& path);

// The date and time the way the captions show them: the locale's short date and its
// long time without the zone (05.04.2016 10:20:30).
QString captionDate(const QDateTime& when);

}  // namespace signin
