// The file layer under every reader and writer: a save writes the whole new file or keeps
// the old one and names the reason (a fault at each of its steps, and a real full disk);
// only regular files are read; a picture or background is refused before decoding when
// it claims more memory than the budget.
#include "core/background/bitmapgrid.h"
#include "core/background/blkfile.h"
#include "core/background/blkformat.h"
#include "core/common/errors.h"
#include "core/common/memorybudget.h"
#include "core/files/readfile.h"
#include "core/files/savefile.h"
#include "core/script/textfile.h"
#include "core/tst_blkdata.h"
#include "hostilefiles.h"

#include <QSaveFile>
#include <QtTest>

#include <sys/resource.h>

namespace {

using blktest::readAll;
using blktest::writeAll;

QString failure(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const PlsdError& e) {
        return e.message();
    }
    return QStringLiteral("no error");
}

TBlockList twoBlocks()
{
    TBlockList blocks;
    for (int k = 0; k < 2; ++k) {
        QImage bitmap(128, 128, QImage::Format_RGB888);
        bitmap.fill(QColor(k * 200, 40, 90));
        auto block = std::make_unique<TGraphicBlock>();
        block->SetBitmap(bitmap);
        blocks.push_back(std::move(block));
    }
    return blocks;
}

// Each writer of the program, as the editor and the tool call it, and how large its output is.
using Save = std::function<void(const QString& path)>;
struct Writer {
    const char* name;
    const char* extension;
    Save save;
};

// "room.cos" for "room script, ..." and so on: writers of one kind share a file.
QString fileNameOf(const Writer& writer)
{
    return QString::fromLatin1(writer.name).section(' ', 0, 0).remove(',') + '.' + QLatin1String(writer.extension);
}

QList<Writer> writers()
{
    static const TBlockList blocks = twoBlocks();
    const auto picture = [](const char* format) {
        return [format](const QString& path) {
            files::saveFile(path, [&](QIODevice& file) {
                bitmapgrid::writeBlocksAsPicture(file, blocks, 2, 1, format, path);
            });
        };
    };
    return {
        {"room script, small", "cos", [](const QString& path) { WriteTextFile(path, "brmi 1 2\r\n"); }},
        {"room script, large", "cos", [](const QString& path) { WriteTextFile(path, QByteArray(400 * 1024, 'x')); }},
        {"background", "blk",
         [](const QString& path) {
             files::saveFile(path, [&](QIODevice& file) { blk::writeBackground(file, blocks, 2, 1, path); });
         }},
        {"picture, PNG (small)", "png", picture("png")},
        {"picture, Windows bitmap", "bmp", picture("bmp")},
    };
}

// Save steps that fail one step on purpose, as the system would, with errno set.
class FailingStep : public files::SaveSteps {
public:
    FailingStep(const QString& step, int error)
        : step(step)
        , error(error)
    {
        files::setSaveSteps(this);
    }
    ~FailingStep() override { files::setSaveSteps(nullptr); }

    bool open(QSaveFile& file) override { return step == QLatin1String("open") ? fail() : SaveSteps::open(file); }
    bool write(QSaveFile& file, const files::FileWriter& writer) override
    {
        const bool written = SaveSteps::write(file, writer);
        return step == QLatin1String("write") ? fail() : written;
    }
    bool flush(QSaveFile& file) override { return step == QLatin1String("flush") ? fail() : SaveSteps::flush(file); }
    bool commit(QSaveFile& file) override { return step == QLatin1String("commit") ? fail() : SaveSteps::commit(file); }

private:
    bool fail()
    {
        errno = error;
        return false;
    }
    QString step;
    int error;
};

long maxResidentMegabytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

class TestFileAccess : public QObject {
    Q_OBJECT
private slots:
    void faultAtEachSaveStep_data();
    void faultAtEachSaveStep();
    void fullDisk();
    void onlyRegularFilesAreRead();
    void claimsBeyondTheBudget();
    void sizesAsTheUserWritesThem();
};

void TestFileAccess::faultAtEachSaveStep_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("message");   // %1: the path
    QTest::newRow("open") << "open" << EACCES << "Cannot create file %1: Permission denied";
    QTest::newRow("write") << "write" << ENOSPC << "Cannot write file %1: No space left on device";
    QTest::newRow("flush") << "flush" << EDQUOT << "Cannot write file %1: Disk quota exceeded";
    QTest::newRow("commit") << "commit" << EIO << "Cannot write file %1: Input/output error";
}

void TestFileAccess::faultAtEachSaveStep()
{
    QFETCH(QString, step);
    QFETCH(int, error);
    QFETCH(QString, message);
    for (const Writer& writer : writers()) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.") + QLatin1String(writer.extension));
        QVERIFY(writeAll(path, "old"));
        {
            const FailingStep fault(step, error);
            QCOMPARE(failure([&] { writer.save(path); }), message.arg(path));
        }
        QVERIFY2(readAll(path) == "old", writer.name);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(path).fileName()});
        // Without the fault the same save goes through.
        writer.save(path);
        QVERIFY2(readAll(path).size() > 3, writer.name);
    }
}

// On a real full file system every writer keeps the old file and says why: small output
// fails at the flush, which Qt's commit alone lets by, large output at a write.
void TestFileAccess::fullDisk()
{
    hostile::SmallDisk disk;
    if (!disk.mounted)
        QSKIP(qPrintable(disk.why));
    QList<QString> paths;
    for (const Writer& writer : writers()) {
        const QString path = disk.path(fileNameOf(writer));
        if (!paths.contains(path)) {
            QVERIFY(writeAll(path, "old"));
            paths.append(path);
        }
    }
    const QStringList names = disk.names();
    QVERIFY(disk.fill());
    for (const Writer& writer : writers()) {
        const QString path = disk.path(fileNameOf(writer));
        QCOMPARE(failure([&] { writer.save(path); }),
                 QStringLiteral("Cannot write file %1: No space left on device").arg(path));
        QVERIFY2(readAll(path) == "old", writer.name);
        QCOMPARE(disk.names(), names);
    }
}

void TestFileAccess::onlyRegularFilesAreRead()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    const QString socket = dir.filePath(QStringLiteral("socket"));
    QVERIFY(hostile::makeFifo(fifo));
    const int socketFd = hostile::makeSocket(socket);
    QVERIFY(socketFd >= 0);
    const QList<std::pair<const char*, std::function<void(const QString&)>>> readers = {
        {"room script", [](const QString& path) { ReadTextFile(path); }},
        {"background", [](const QString& path) {
             QFile file;
             files::openForReading(file, path);
             blk::readBlocks(file, blk::readLayout(file, path), path);
         }},
        {"picture", [](const QString& path) { bitmapgrid::readPicture(path); }},
    };
    const QString missing = dir.filePath(QStringLiteral("missing"));
    for (const auto& [name, read] : readers) {
        const auto message = [&read](const QString& path) { return failure([&] { read(path); }); };
        QCOMPARE(hostile::guardedFifoRead(fifo, [&] { return message(fifo); }), fifo + " is not a regular file");
        QCOMPARE(message(socket), socket + " is not a regular file");
        QCOMPARE(message(QStringLiteral("/dev/zero")), QStringLiteral("/dev/zero is not a regular file"));
        QCOMPARE(message(dir.path()), "Cannot open file " + dir.path() + ": Is a directory");
        QCOMPARE(message(missing), "Cannot open file " + missing + ": No such file or directory");
        if (QTest::currentTestFailed())
            qWarning("reading a %s", name);
    }
    ::close(socketFd);
}

void TestFileAccess::claimsBeyondTheBudget()
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("bomb.png"));
    QVERIFY(writeAll(png, hostile::pngClaiming(30000, 30000)));
    const QByteArray tinyBlocks = hostile::backgroundOfTinyBlocks();
    QCOMPARE(tinyBlocks.size(), 655360);
    const QString blkPath = dir.filePath(QStringLiteral("bomb.blk"));
    QVERIFY(writeAll(blkPath, tinyBlocks));

    // The picture as read and its 235 x 235 blocks; the blocks' own pixels and the picture of
    // their cells.
    QCOMPARE(failure([&] { bitmapgrid::readPicture(png); }),
             png + " claims 30000 x 30000 pixels, 5.9 GB; the limit is 1 GB");
    QCOMPARE(failure([&] { blk::decodeBackground(tinyBlocks); }),
             QStringLiteral("The file claims 32640 x 32896 pixels, 3.0 GB; the limit is 1 GB"));
    QCOMPARE(failure([&] {
                 QFile file;
                 files::openForReading(file, blkPath);
                 blk::readBlocks(file, blk::readLayout(file, blkPath), blkPath);
             }),
             blkPath + " claims 32640 x 32896 pixels, 3.0 GB; the limit is 1 GB");
    QVERIFY2(maxResidentMegabytes() < 1024 + 200, qPrintable(QString::number(maxResidentMegabytes())));

    // The limit is the budget's: a smaller one refuses a smaller picture.
    const QString small = dir.filePath(QStringLiteral("small.png"));
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(small));
    QCOMPARE(bitmapgrid::readPicture(small).size(), QSize(300, 200));
    memorybudget::setLimit(qint64(16) << 20);
    QCOMPARE(bitmapgrid::readPicture(small).size(), QSize(300, 200));
    QCOMPARE(failure([&] { blk::decodeBackground(blktest::uniformFile(1, 20, 20, 128, 128, 0)); }),
             QStringLiteral("The file claims 2560 x 2560 pixels, 38 MB; the limit is 16 MB"));
    memorybudget::setLimit(memorybudget::DefaultLimit);
    QCOMPARE(blk::decodeBackground(blktest::uniformFile(1, 20, 20, 128, 128, 0)).size(), size_t(400));
}

void TestFileAccess::sizesAsTheUserWritesThem()
{
    using memorybudget::parseSize;
    QCOMPARE(memorybudget::sizeText(qint64(1) << 30), QStringLiteral("1 GB"));
    QCOMPARE(memorybudget::sizeText(qint64(3600000000)), QStringLiteral("3.4 GB"));
    QCOMPARE(memorybudget::sizeText(qint64(200) << 20), QStringLiteral("200 MB"));
    QCOMPARE(memorybudget::sizeText(1500), QStringLiteral("1.5 KB"));
    QCOMPARE(memorybudget::sizeText(100), QStringLiteral("100 bytes"));
    QCOMPARE(parseSize(QStringLiteral("1500")), std::optional<qint64>(qint64(1500) << 20));
    QCOMPARE(parseSize(QStringLiteral("512M")), std::optional<qint64>(qint64(512) << 20));
    QCOMPARE(parseSize(QStringLiteral("2gb")), std::optional<qint64>(qint64(2) << 30));
    for (const char* bad : {"", "G", "15M", "-1G", "1.5G", "1T", "9999999999"})
        QVERIFY2(!parseSize(QLatin1String(bad)), bad);
}

QTEST_GUILESS_MAIN(TestFileAccess)
#include "tst_fileaccess.moc"
