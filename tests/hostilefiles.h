#pragma once

// Files that hostile input and a full disk are made of, for the tests of every reader and
// writer: a small full file system, a FIFO read under a guard, a socket, and pictures and
// backgrounds that claim far more memory than they hold.

#include <QByteArray>
#include <cstring>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtEndian>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace hostile {

// A tmpfs of a few hundred KB mounted on a folder of its own while it lives (root only).
// fill() takes its last byte.
class SmallDisk {
public:
    explicit SmallDisk(int kilobytes = 256)
    {
        if (::geteuid() != 0) {
            why = QStringLiteral("not running as root, so no file system can be mounted for a full disk");
            return;
        }
        const QByteArray where = QFile::encodeName(folder.path());
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        if (::mount("tmpfs", where.constData(), "tmpfs", 0, options.constData()) != 0) {
            why = QStringLiteral("cannot mount a tmpfs here (%1), so no full disk").arg(QString::fromLocal8Bit(strerror(errno)));
            return;
        }
        mounted = true;
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(QFile::encodeName(folder.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    QString path(const QString& name) const { return folder.filePath(name); }
    // Writes a filler file until the disk says it is full; true when it did.
    bool fill() const
    {
        const int fd = ::open(QFile::encodeName(path(QStringLiteral("filler"))).constData(), O_WRONLY | O_CREAT, 0600);
        if (fd < 0)
            return false;
        const QByteArray chunk(4096, 'f');
        bool full = false;
        for (;;) {
            if (::write(fd, chunk.constData(), size_t(chunk.size())) < 0) {
                full = errno == ENOSPC;
                break;
            }
        }
        // What is left is less than a page: a byte at a time.
        while (full && ::write(fd, "f", 1) == 1) {
        }
        ::close(fd);
        return full;
    }
    // The names in it, the filler left out.
    QStringList names() const
    {
        QStringList list = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        list.removeAll(QStringLiteral("filler"));
        return list;
    }

    bool mounted = false;
    QString why;

private:
    QTemporaryDir folder;
};

// Runs `read`, which is given a FIFO, and gives its result. When it has not ended after
// 10 s (it waits for a writer, or reads without end) the FIFO is opened for writing and
// closed, which ends either wait, and the result says it hung: a test never blocks on it.
inline QString guardedFifoRead(const QString& fifo, const std::function<QString()>& read)
{
    auto result = std::async(std::launch::async, read);
    if (result.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
        return result.get();
    const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0)
        ::close(writer);
    result.wait();
    return QStringLiteral("hung on the FIFO");
}

// While it lives, a FIFO that someone waits on for more than 10 s is opened for writing
// and closed, which ends the wait: for reads on the test's own thread.
class FifoWatchdog {
public:
    explicit FifoWatchdog(const QString& fifo)
        : name(QFile::encodeName(fifo))
        , watcher([this] {
            std::unique_lock<std::mutex> lock(mutex);
            if (!ended.wait_for(lock, std::chrono::seconds(10), [this] { return done; })) {
                fired = true;
                const int writer = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
                if (writer >= 0)
                    ::close(writer);
            }
        })
    {
    }
    ~FifoWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        ended.notify_all();
        watcher.join();
    }
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;

    // True once it had to end a wait (read it after the read).
    bool hadToEndAWait()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return fired;
    }

private:
    QByteArray name;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool fired = false;
    std::thread watcher;
};

inline bool makeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A listening Unix socket at path, closed with the returned descriptor.
inline int makeSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || size_t(name.size()) >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline quint32 crc32Of(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray pngChunk(const char* type, const QByteArray& data)
{
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    const QByteArray body = QByteArray(type, 4) + data;
    chunk += body;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32Of(body), crc.data());
    return chunk + crc;
}

// A PNG whose header claims width x height grey pixels, with a few bytes of picture data:
// the size a reader learns first, and what a decoder would allocate.
inline QByteArray pngClaiming(quint32 width, quint32 height)
{
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    header[8] = 8;   // 8 bits, grey, deflate, no filter, not interlaced
    const QByteArray compressed = qCompress(QByteArray(1024, '\0')).mid(4);   // a zlib stream, without Qt's length
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", compressed) +
           pngChunk("IEND", {});
}

// A background of 255 x 257 cells, 65,535 blocks of 1 x 1 pixel back to back: 655,360
// bytes whose picture is 32640 x 32896 pixels.
inline QByteArray backgroundOfTinyBlocks()
{
    constexpr int Columns = 255, Rows = 257, Count = Columns * Rows;
    QByteArray out("\x01\x00\x00\x00", 4);
    auto put16 = [&out](quint16 v) {
        out.append(char(v & 0xFF));
        out.append(char(v >> 8));
    };
    put16(Columns);
    put16(Rows);
    put16(quint16(Count));
    for (int k = 0; k < Count; ++k) {
        const quint32 offset = 6 + 8 * Count + 2 * k;
        put16(quint16(offset & 0xFFFF));
        put16(quint16(offset >> 16));
        put16(1);
        put16(1);
    }
    return out + QByteArray(2 * Count, '\0');
}

} // namespace hostile
