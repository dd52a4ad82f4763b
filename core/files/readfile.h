#pragma once

// Opening files for reading: only regular files, never waiting on a FIFO or reading a
// device without end, and every failure with the system's reason.

#include <QIODevice>
#include <QString>

class QFile;

namespace files {

// The system's text for an errno value: "No such file or directory", "Permission denied".
QString systemReason(int error);

// Opens `file` on the file at path. A FIFO, socket or device raises FileError "PATH is not a
// regular file" before anything is read (a FIFO is not waited on); a file that cannot be
// opened raises "Cannot open file PATH: REASON", a folder "Cannot open file PATH: Is a
// directory".
void openForReading(QFile& file, const QString& path, QIODevice::OpenMode mode = QIODevice::ReadOnly);

// Raises what openForReading raises, without keeping the file open.
void checkReadable(const QString& path);

// The whole file, opened as above. One of more than `limit` bytes raises FileError with
// tooLarge's text ("%1" the path, "%2" its size in bytes); a failed read "Cannot read file
// PATH: REASON".
QByteArray readWholeFile(const QString& path, qint64 limit, const QString& tooLarge);

} // namespace files
