#pragma once

#include "core/common/errors.h"

#include <QByteArray>
#include <QString>

// Failures of the script files, with the messages the user meets:
// "File not found", "Invalid filename", "Too many open files", "File access denied"
// and "I/O error %d" (the system's error number) for anything else.
class TextFileError : public FileError {
public:
    using FileError::FileError;

    // The failure of an operation on path that set errno to error. A missing file and a
    // missing folder both give ENOENT; they are told apart by looking at the folder.
    static TextFileError fromSystemError(int error, const QString& path);
};

// The whole content of the file at path.
QByteArray ReadTextFile(const QString& path);

// Replaces the file at path with bytes. The file is only replaced when everything was
// written; on failure the file that was there stays as it was.
void WriteTextFile(const QString& path, const QByteArray& bytes);
