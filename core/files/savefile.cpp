#include "core/files/savefile.h"

#include "core/common/errors.h"
#include "core/files/readfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

SaveSteps realSteps;
SaveSteps* currentSteps = &realSteps;

[[noreturn]] void cannotCreate(const QString& path, int error)
{
    throw FileError::cannotCreate(path, systemReason(error));
}

// QSaveFile does not tell why it cannot begin, so the usual reasons are looked for first,
// each with the errno of its own check: the folder must exist and take new files, and a
// file already there must be a regular file that may be written.
void checkReplaceable(const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0)
        cannotCreate(path, errno);
    if (!S_ISDIR(info.st_mode))
        cannotCreate(path, ENOTDIR);
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        cannotCreate(path, errno);

    const QByteArray file = QFile::encodeName(path);
    if (::stat(file.constData(), &info) != 0) {
        if (errno != ENOENT)
            cannotCreate(path, errno);
        return;
    }
    if (S_ISDIR(info.st_mode))
        cannotCreate(path, EISDIR);
    if (!S_ISREG(info.st_mode))
        throw FileError::notRegular(path);
    if (::faccessat(AT_FDCWD, file.constData(), W_OK, AT_EACCESS) != 0)
        cannotCreate(path, errno);
}

// Why the last step failed: the file's own words when it has an error, else errno.
QString reasonOf(const QSaveFile& file)
{
    const int error = errno;
    if (file.error() != QFileDevice::NoError && !file.errorString().isEmpty())
        return file.errorString();
    return systemReason(error != 0 ? error : EIO);
}

} // namespace

bool SaveSteps::open(QSaveFile& file)
{
    return file.open(QIODevice::WriteOnly);
}

bool SaveSteps::write(QSaveFile& file, const FileWriter& writer)
{
    writer(file);
    return file.error() == QFileDevice::NoError;
}

bool SaveSteps::flush(QSaveFile& file)
{
    // Qt 6.4's commit() replaces the old file even when its own flush fails, so what is
    // still buffered goes out here, where a failure is seen; then to the disk, where some
    // file systems tell of a full disk only now. A file system that cannot sync is fine.
    if (!file.flush())
        return false;
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != EROFS)
        return false;
    errno = 0;
    return true;
}

bool SaveSteps::commit(QSaveFile& file)
{
    return file.commit();
}

void setSaveSteps(SaveSteps* steps)
{
    currentSteps = steps ? steps : &realSteps;
}

void saveFile(const QString& path, const FileWriter& write)
{
    checkReplaceable(path);
    QSaveFile file(path);   // the new file goes when it is not committed
    errno = 0;
    if (!currentSteps->open(file))
        throw FileError::cannotCreate(path, reasonOf(file));
    errno = 0;
    if (!currentSteps->write(file, write))
        throw FileError::cannotWrite(path, reasonOf(file));
    errno = 0;
    if (!currentSteps->flush(file))
        throw FileError::cannotWrite(path, reasonOf(file));
    errno = 0;
    if (!currentSteps->commit(file))
        throw FileError::cannotWrite(path, reasonOf(file));
}

void saveFile(const QString& path, const QByteArray& bytes)
{
    saveFile(path, [&bytes](QIODevice& file) { file.write(bytes); });
}

} // namespace files
