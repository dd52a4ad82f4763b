#pragma once

// The one way a file is saved: all of the new file, or the old one kept and the reason told.

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;
class QSaveFile;

namespace files {

// Writes a file's new content to the device; raises on failure. A write it does not check
// is still found out by saveFile.
using FileWriter = std::function<void(QIODevice& file)>;

// Replaces the file at path with what `write` writes. The content goes to a new file beside
// it, which is flushed to the disk and checked before it takes the old one's place; on any
// failure the old file stays as it was and FileError names the file and the system's
// reason: "Cannot create file PATH: Permission denied" when the new file cannot be begun,
// "Cannot write file PATH: No space left on device" when it cannot be written, and
// "PATH is not a regular file" for a FIFO, socket or device, which is never replaced.
void saveFile(const QString& path, const FileWriter& write);
void saveFile(const QString& path, const QByteArray& bytes);

// The steps of a save, each true when it worked; on failure errno or the file's error
// string says why. Tests give saveFile others that fail on purpose.
class SaveSteps {
public:
    virtual ~SaveSteps() = default;
    virtual bool open(QSaveFile& file);
    virtual bool write(QSaveFile& file, const FileWriter& writer);   // the writer, and its writes checked
    virtual bool flush(QSaveFile& file);                             // to the disk
    virtual bool commit(QSaveFile& file);
};

// Installs other steps (not owned); nullptr puts back the real ones.
void setSaveSteps(SaveSteps* steps);

} // namespace files
