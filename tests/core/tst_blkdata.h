#pragma once

// Background files made byte by byte for the tests, and small file and device helpers.

#include "core/background/blkformat.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QList>

namespace blktest {

inline void put16(QByteArray& out, quint16 v)
{
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

// A file from its parts; the 16-bit `pixels` follow the index.
inline QByteArray fileOf(quint8 format, quint16 columns, quint16 rows, quint16 count,
                         const QList<blk::IndexRecord>& index, const QList<quint16>& pixels = {})
{
    QByteArray out;
    out.append(char(format));
    out.append(QByteArray(3, '\0'));
    for (quint16 v : {columns, rows, count})
        put16(out, v);
    for (const blk::IndexRecord& r : index)
        for (quint16 v : {r.offsetLow, r.offsetHigh, r.width, r.height})
            put16(out, v);
    for (quint16 p : pixels)
        put16(out, p);
    return out;
}

inline blk::IndexRecord recordOf(quint32 offset, quint16 width, quint16 height)
{
    return {quint16(offset & 0xFFFF), quint16(offset >> 16), width, height};
}

// columns x rows blocks of w x h pixels back to back, every pixel `pixel`, with offsets
// that say so.
inline QByteArray uniformFile(quint8 format, int columns, int rows, int w, int h, quint16 pixel)
{
    QList<blk::IndexRecord> index;
    const int count = columns * rows;
    for (int k = 0; k < count; ++k)
        index.append(recordOf(quint32(10 + 8 * count - 4 + 2 * w * h * k), quint16(w), quint16(h)));
    return fileOf(format, quint16(columns), quint16(rows), quint16(columns * rows), index,
                  QList<quint16>(columns * rows * w * h, pixel));
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A device that takes `room` bytes, then fails every write.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(qint64 room)
        : room(room)
    {
        open(QIODevice::WriteOnly);
        setErrorString(QStringLiteral("No space left on device"));
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        if (written + size > room)
            return -1;
        written += size;
        return size;
    }

private:
    qint64 room;
    qint64 written = 0;
};

} // namespace blktest
