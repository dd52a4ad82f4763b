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
    void systemErrors_data();
    void systemErrors();
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
    const QString inMissingFolder = dir.filePath(QStringLiteral("gone/rooms.cos"));
    QCOMPARE(failure([&] { ReadTextFile(dir.filePath(QStringLiteral("rooms.cos"))); }), QStringLiteral("File not found"));
    QCOMPARE(failure([&] { ReadTextFile(inMissingFolder); }), QStringLiteral("Invalid filename"));
    QCOMPARE(failure([&] { WriteTextFile(inMissingFolder, "x"); }), QStringLiteral("Invalid filename"));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("gone"))));

    WriteTextFile(dir.filePath(QStringLiteral("plain")), "x");
    QCOMPARE(failure([&] { WriteTextFile(dir.filePath(QStringLiteral("plain/rooms.cos")), "x"); }),
             QStringLiteral("Invalid filename"));
}

void TestScriptTextFile::folderInsteadOfFile()
{
    QTemporaryDir dir;
    QCOMPARE(failure([&] { ReadTextFile(dir.path()); }), QStringLiteral("File access denied"));
    QCOMPARE(failure([&] { WriteTextFile(dir.path(), "x"); }), QStringLiteral("File access denied"));
}

void TestScriptTextFile::readOnlyFileIsKept()
{
    if (!permissionsAreChecked())
        QSKIP("running as root, for whom a read-only file can still be written");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rooms.cos"));
    WriteTextFile(path, "old");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    QCOMPARE(failure([&] { WriteTextFile(path, "new"); }), QStringLiteral("File access denied"));
    QCOMPARE(ReadTextFile(path), QByteArray("old"));
    QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    QCOMPARE(failure([&] { ReadTextFile(path); }), QStringLiteral("File access denied"));
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
    QCOMPARE(message, QStringLiteral("File access denied"));
    QCOMPARE(ReadTextFile(path), QByteArray("old"));
}

void TestScriptTextFile::systemErrors_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("message");
    QTest::newRow("too many files of the program") << EMFILE << "Too many open files";
    QTest::newRow("access") << EACCES << "File access denied";
    QTest::newRow("name too long") << ENAMETOOLONG << "Invalid filename";
    QTest::newRow("disk full") << ENOSPC << QStringLiteral("I/O error %1").arg(ENOSPC);
}

void TestScriptTextFile::systemErrors()
{
    QFETCH(int, error);
    QFETCH(QString, message);
    QCOMPARE(TextFileError::fromSystemError(error, QDir::tempPath() + QStringLiteral("/rooms.cos")).message(), message);
}

QTEST_APPLESS_MAIN(TestScriptTextFile)
#include "tst_scripttextfile.moc"
