#include "core/script/textfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <functional>
#include <unistd.h>

namespace {

QString failure(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const TextFileError& e) {
        return e.message();
    }
    return QStringLiteral("no error");
}

bool permissionsAreChecked()
{
    return ::geteuid() != 0;
}

} // namespace

class TestScriptTextFile : public QObject {
    Q_OBJECT
private slots:
    void writesAndReadsBytes();
    void missingFileAndFolder();
    void folderInsteadOfFile();
    void readOnlyFileIsKept();
    void readOnlyFolderKeepsItsFile();
    void onlyRegularFilesOfAtMost64MB();
};

void TestScriptTextFile::writesAndReadsBytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rooms.cos"));
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes += char(i);
    WriteTextFile(path, QByteArray(5000, 'x'));
    WriteTextFile(path, bytes);
    QCOMPARE(ReadTextFile(path), bytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("rooms.cos")});
}

void TestScriptTextFile::missingFileAndFolder()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("rooms.cos"));
    const QString inMissingFolder = dir.filePath(QStringLiteral("gone/rooms.cos"));
    QCOMPARE(failure([&] { ReadTextFile(missing); }), "Cannot open file " + missing + ": No such file or directory");
    QCOMPARE(failure([&] { ReadTextFile(inMissingFolder); }),
             "Cannot open file " + inMissingFolder + ": No such file or directory");
    QCOMPARE(failure([&] { WriteTextFile(inMissingFolder, "x"); }),
             "Cannot create file " + inMissingFolder + ": No such file or directory");
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("gone"))));

    WriteTextFile(dir.filePath(QStringLiteral("plain")), "x");
    const QString underFile = dir.filePath(QStringLiteral("plain/rooms.cos"));
    QCOMPARE(failure([&] { WriteTextFile(underFile, "x"); }), "Cannot create file " + underFile + ": Not a directory");
}

void TestScriptTextFile::folderInsteadOfFile()
{
    QTemporaryDir dir;
    QCOMPARE(failure([&] { ReadTextFile(dir.path()); }), "Cannot open file " + dir.path() + ": Is a directory");
    QCOMPARE(failure([&] { WriteTextFile(dir.path(), "x"); }), "Cannot create file " + dir.path() + ": Is a directory");
}

void TestScriptTextFile::readOnlyFileIsKept()
{
    if (!permissionsAreChecked())
        QSKIP("running as root, for whom a read-only file can still be written");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rooms.cos"));
    WriteTextFile(path, "old");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    QCOMPARE(failure([&] { WriteTextFile(path, "new"); }), "Cannot create file " + path + ": Permission denied");
    QCOMPARE(ReadTextFile(path), QByteArray("old"));
    QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    QCOMPARE(failure([&] { ReadTextFile(path); }), "Cannot open file " + path + ": Permission denied");
}

void TestScriptTextFile::readOnlyFolderKeepsItsFile()
{
    if (!permissionsAreChecked())
        QSKIP("running as root, for whom a read-only folder can still be written");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rooms.cos"));
    WriteTextFile(path, "old");
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const QString message = failure([&] { WriteTextFile(path, "new"); });
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(message, "Cannot create file " + path + ": Permission denied");
    QCOMPARE(ReadTextFile(path), QByteArray("old"));
}

void TestScriptTextFile::onlyRegularFilesOfAtMost64MB()
{
    QTemporaryDir dir;
    QCOMPARE(failure([] { ReadTextFile(QStringLiteral("/dev/zero")); }), QStringLiteral("/dev/zero is not a regular file"));
    QCOMPARE(failure([] { WriteTextFile(QStringLiteral("/dev/null"), "x"); }),
             QStringLiteral("/dev/null is not a regular file"));

    // A file one byte over is refused by its size, without reading it (it is sparse).
    const QString large = dir.filePath(QStringLiteral("large.cos"));
    QFile file(large);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(MaxScriptBytes + 1));
    file.close();
    QCOMPARE(failure([&] { ReadTextFile(large); }),
             large + " is 67108865 bytes, more than the 64 MB (67108864 bytes) that a room script may have");
    QVERIFY(QFile::resize(large, MaxScriptBytes));
    QCOMPARE(ReadTextFile(large).size(), MaxScriptBytes);
}

QTEST_APPLESS_MAIN(TestScriptTextFile)
#include "tst_scripttextfile.moc"
