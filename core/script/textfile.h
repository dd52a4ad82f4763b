#pragma once

#include "core/common/errors.h"

#include <QByteArray>
#include <QString>

// Failures of the script files: "Cannot open file PATH: REASON", "Cannot write file PATH:
// REASON" and the others of FileError, with the system's reason.
class TextFileError : public FileError {
public:
    using FileError::FileError;
};

// The most a room script may hold; far more than the game takes.
constexpr qint64 MaxScriptBytes = qint64(64) << 20;

// The whole content of the file at path. Only a regular file is read, and one of more
// than MaxScriptBytes is refused with its size.
QByteArray ReadTextFile(const QString& path);

// Replaces the file at path with bytes. The file is only replaced when everything was
// written; on failure the file that was there stays as it was.
void WriteTextFile(const QString& path, const QByteArray& bytes);
