#pragma once

#include <QString>

class QFile;

/** Opening files that the program reads on the user's behalf. */
namespace RegularFile {

/**
 * Opens `path` for reading only when it is a regular file (a link to one is fine);
 * a FIFO, a device or a folder is refused without blocking on it. On failure returns
 * false with a short description in `error` ("File not found", "Permission denied",
 * "Not a file", ...).
 */
bool openForReading(const QString &path, QFile &file, QString *error);

} // namespace RegularFile
