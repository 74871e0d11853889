#pragma once

#include <QByteArray>
#include <QString>

/**
 * Writes `content` as the whole of the file `path`: afterwards the file holds exactly
 * `content`, or, when the write fails, whatever was there before is left untouched.
 * A symbolic link at `path` is replaced by the file, not written through. On failure
 * `error` (when given) receives the reason.
 */
bool writeFileAtomically(const QString &path, const QByteArray &content, QString *error = nullptr);
