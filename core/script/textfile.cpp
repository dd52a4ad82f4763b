#include "core/script/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString folderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

[[noreturn]] void fail(int error, const QString& path)
{
    throw TextFileError::fromSystemError(error, path);
}

// errno after a failed call, or EIO when the call left none.
int lastError()
{
    return errno != 0 ? errno : EIO;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : fd(fd)
    {
    }
    ~FileDescriptor() { ::close(fd); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    const int fd;
};

// QSaveFile does not tell why it failed, so the usual reasons are looked for first,
// each with the errno of its own check: the folder must exist and take new files, and a
// file already there must be a writable file.
void checkReplaceable(const QString& path)
{
    const QByteArray folder = QFile::encodeName(folderOf(path));
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0)
        fail(errno, path);
    if (!S_ISDIR(info.st_mode))
        fail(ENOTDIR, path);
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        fail(errno, path);

    const QByteArray file = QFile::encodeName(path);
    if (::stat(file.constData(), &info) != 0) {
        if (errno != ENOENT)
            fail(errno, path);
        return;
    }
    if (S_ISDIR(info.st_mode))
        fail(EISDIR, path);
    if (::faccessat(AT_FDCWD, file.constData(), W_OK, AT_EACCESS) != 0)
        fail(errno, path);
}

} // namespace

TextFileError TextFileError::fromSystemError(int error, const QString& path)
{
    switch (error) {
    case ENOENT:
        if (!QFileInfo(folderOf(path)).isDir())
            return TextFileError(QStringLiteral("Invalid filename"));
        return TextFileError(QStringLiteral("File not found"));
    case ENOTDIR:
    case ENAMETOOLONG:
        return TextFileError(QStringLiteral("Invalid filename"));
    case EMFILE:
    case ENFILE:
        return TextFileError(QStringLiteral("Too many open files"));
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return TextFileError(QStringLiteral("File access denied"));
    default:
        return TextFileError(QStringLiteral("I/O error %1").arg(error));
    }
}

QByteArray ReadTextFile(const QString& path)
{
    // Plain system calls, so that a failure comes with its own errno.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail(errno, path);
    const FileDescriptor file(fd);

    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(file.fd, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            fail(errno, path);
        }
        if (count == 0)
            return bytes;
        bytes.append(buffer, count);
    }
}

void WriteTextFile(const QString& path, const QByteArray& bytes)
{
    checkReplaceable(path);

    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        fail(lastError(), path);
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int error = lastError();
        file.cancelWriting();
        fail(error, path);
    }
    errno = 0;
    if (!file.commit())
        fail(lastError(), path);
}
