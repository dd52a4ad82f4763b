#include "core/files/readfile.h"

#include "core/common/errors.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

void refuseIrregular(const struct stat& info, const QString& path)
{
    if (S_ISDIR(info.st_mode))
        throw FileError::cannotOpen(path, systemReason(EISDIR));
    if (!S_ISREG(info.st_mode))
        throw FileError::notRegular(path);
}

} // namespace

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void openForReading(QFile& file, const QString& path, QIODevice::OpenMode mode)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        throw FileError::cannotOpen(path, systemReason(errno));
    refuseIrregular(info, path);

    // Opened without waiting, and looked at again once open: the name may have been given
    // to a FIFO in between, whose open would wait for a writer.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw FileError::cannotOpen(path, systemReason(errno));
    try {
        if (::fstat(fd, &info) != 0)
            throw FileError::cannotOpen(path, systemReason(errno));
        refuseIrregular(info, path);
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
            throw FileError::cannotOpen(path, systemReason(errno));
    } catch (...) {
        ::close(fd);
        throw;
    }
    file.setFileName(path);
    if (!file.open(fd, mode | QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw FileError::cannotOpen(path, file.errorString());
    }
}

void checkReadable(const QString& path)
{
    QFile file;
    openForReading(file, path);
}

QByteArray readWholeFile(const QString& path, qint64 limit, const QString& tooLarge)
{
    QFile file;
    openForReading(file, path, QIODevice::ReadOnly | QIODevice::Unbuffered);
    const auto refuse = [&](qint64 size) { throw FileError(tooLarge.arg(path).arg(size)); };
    if (file.size() > limit)
        refuse(file.size());
    QByteArray bytes;
    bytes.reserve(qsizetype(file.size()));
    char buffer[64 * 1024];
    for (;;) {
        const qint64 count = file.read(buffer, sizeof buffer);
        if (count < 0)
            throw FileError::cannotRead(path, file.errorString());
        if (count == 0)
            return bytes;
        if (bytes.size() + count > limit)   // it grew while being read
            refuse(bytes.size() + count);
        bytes.append(buffer, qsizetype(count));
    }
}

} // namespace files
