// File > Open and File > Save of background files through the main window.
#include "testsupport.h"

#include "core/common/errors.h"
#include "app/statusbar.h"
#include "core/background/blkformat.h"
#include "bench/syntheticgrid.h"
#include "core/tst_blkdata.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

using namespace blktest;

void writeFile(const QString& path, const QByteArray& bytes)
{
    QVERIFY(writeAll(path, bytes));
}

quint16 pixelAt(const QByteArray& file, qint64 offset)
{
    return qFromLittleEndian<quint16>(file.constData() + offset);
}

// Records the status bar's line each time it is painted.
class StatusLines : public QObject {
public:
    explicit StatusLines(TfrmMainForm* form)
        : label(form->StatusBar->findChild<QLabel*>(QStringLiteral("StatusBarText")))
    {
        label->installEventFilter(this);
    }
    QStringList lines;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && (lines.isEmpty() || lines.constLast() != label->text()))
            lines.append(label->text());
        return false;
    }

private:
    QLabel* label;
};


} // namespace

class TestBlkFile : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir.isValid()); }
    void saveOpenSaveRoundTrip();
    void offsetsThatDisagreeWithTheLayout();
    void rgb555FileOpensAndSavesAs565();
    void progressTexts();
    void otherPanelChildrenSurviveReloads();
    void failedSavesWriteNothing();

private:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

void TestBlkFile::saveOpenSaveRoundTrip()
{
    Editor first;
    TestDialogs host;
    ErrorCapture errors;
    synthetic::installGrid(*first.main, 3, 2);
    (*first.main->Blocks)[4]->SetOffset(0xDEADBEEF);   // the save writes where block 4 is, and keeps that
    host.answer(path("first.blk"));
    first.main->Save1->trigger();
    QVERIFY(errors.messages.isEmpty());
    QCOMPARE(first.tool->MetaroomFilename, path("first.blk"));
    QCOMPARE(first.main->StatusBar->text(), QStringLiteral("Image saved"));
    const QByteArray saved = readAll(path("first.blk"));
    QCOMPARE(saved.size(), 10 + 8 * 6 + 6 * 128 * 128 * 2);
    QCOMPARE(saved.left(4), QByteArray("\x01\x00\x00\x00", 4));
    QCOMPARE(qFromLittleEndian<quint32>(saved.constData() + 10 + 8 * 4), blk::importedBlockOffset(4, 6));
    QCOMPARE((*first.main->Blocks)[4]->Offset(), blk::importedBlockOffset(4, 6));

    Editor second;
    host.answer(path("first.blk"));
    second.main->Open1->trigger();
    QVERIFY(errors.messages.isEmpty());
    QCOMPARE(second.tool->MetaroomFilename, path("first.blk"));
    QCOMPARE(second.main->StatusBar->text(), QStringLiteral("Image loaded"));
    QCOMPARE(second.main->BlockColumns, 3);
    QCOMPARE(second.main->BlockRows, 2);
    QCOMPARE(second.main->Blocks->size(), size_t(6));
    QCOMPARE(second.main->Panel->size(), QSize(384, 256));
    QList<QPoint> places;
    for (const TImage* picture : second.main->Panel->blockItems())
        places.append(picture->pos().toPoint());
    QCOMPARE(places, QList<QPoint>({{0, 0}, {0, 128}, {128, 0}, {128, 128}, {256, 0}, {256, 128}}));
    for (size_t k = 0; k < 6; ++k) {
        const TGraphicBlock& a = *(*first.main->Blocks)[k];
        const TGraphicBlock& b = *(*second.main->Blocks)[k];
        QCOMPARE(b.OffsetLow, a.OffsetLow);
        QCOMPARE(b.OffsetHigh, a.OffsetHigh);
        QCOMPARE(b.Width, quint16(128));
        QCOMPARE(b.Height, quint16(128));
        QCOMPARE(b.Bitmap.format(), QImage::Format_RGB888);
    }
    // Same 16-bit pixels and offsets that were right: the reopened grid saves to the same bytes.
    second.main->SaveBackground(path("second.blk"));
    QCOMPARE(readAll(path("second.blk")), saved);
    QCOMPARE(pixelAt(saved, 10 + 8 * 6 + 2 * (128 * 5 + 7)),
             blk::rgbTo565(uchar(7 * 2), uchar(5 * 2), uchar(7 ^ 5)));

    // A file whose bytes 1 to 3 are not 0 is read too.
    QByteArray odd = saved;
    odd[1] = odd[2] = odd[3] = char(0xFF);
    writeFile(path("odd.blk"), odd);
    second.main->LoadBackground(path("odd.blk"));
    second.main->SaveBackground(path("third.blk"));
    QCOMPARE(readAll(path("third.blk")), saved);
}

// A 2 x 1 grid of 2 x 1 blocks whose index says block 1's pixels (red) come first and
// block 0's (green) after them, with 6 bytes to spare. The game reads the blocks back to
// back whatever the offsets say, so block 0 shows green, and the status line says why.
void TestBlkFile::offsetsThatDisagreeWithTheLayout()
{
    Editor e;
    const quint16 red = 0xF800, green = 0x07E0;
    const QString disagree =
        QStringLiteral("Image loaded: the file's block offsets disagree with its layout; shown as the game shows it");
    const QByteArray swapped =
        fileOf(1, 2, 1, 2, {recordOf(26, 2, 1), recordOf(22, 2, 1)}, {green, green, red, red, 0, 0, 0});
    writeFile(path("swapped.blk"), swapped);
    e.main->LoadBackground(path("swapped.blk"));
    QCOMPARE(e.main->StatusBar->text(), disagree);
    QCOMPARE((*e.main->Blocks)[0]->Bitmap.pixelColor(1, 0), QColor(0, 252, 0));
    QCOMPARE((*e.main->Blocks)[1]->Bitmap.pixelColor(0, 0), QColor(248, 0, 0));

    // The save keeps the picture and writes true offsets; the grid takes them.
    const QByteArray inOrder = fileOf(1, 2, 1, 2, {recordOf(22, 2, 1), recordOf(26, 2, 1)}, {green, green, red, red});
    e.main->SaveBackground(path("in-order.blk"));
    QCOMPARE(readAll(path("in-order.blk")), inOrder);
    QCOMPARE((*e.main->Blocks)[0]->Offset(), 22u);
    QCOMPARE((*e.main->Blocks)[1]->Offset(), 26u);
    e.main->LoadBackground(path("in-order.blk"));
    QCOMPARE(e.main->StatusBar->text(), QStringLiteral("Image loaded"));
    QCOMPARE((*e.main->Blocks)[0]->Bitmap.pixelColor(0, 0), QColor(0, 252, 0));

    // Offsets that leave the file (block 1 from 32 to 36, 2 bytes past its end) are read
    // back to back just the same.
    writeFile(path("outside.blk"), fileOf(1, 2, 1, 2, {recordOf(22, 2, 1), recordOf(28, 2, 1)}, {green, green, red, red}));
    e.main->LoadBackground(path("outside.blk"));
    QCOMPARE(e.main->StatusBar->text(), disagree);
    QCOMPARE((*e.main->Blocks)[1]->Bitmap.pixelColor(1, 0), QColor(248, 0, 0));
    QCOMPARE((*e.main->Blocks)[1]->Offset(), 28u);   // kept until a save
    e.main->SaveBackground(path("outside-saved.blk"));
    QCOMPARE(readAll(path("outside-saved.blk")), inOrder);
}

void TestBlkFile::rgb555FileOpensAndSavesAs565()
{
    Editor e;
    QByteArray file = uniformFile(0, 1, 1, 2, 2, 0);
    const qint64 pixels = 10 + 8;
    const QList<quint16> values{0x7C00, 0x03E0, 0x001F, 0xFFFF};   // red, green, blue, white with bit 15 set
    for (int i = 0; i < 4; ++i)
        qToLittleEndian<quint16>(values[i], file.data() + pixels + 2 * i);
    writeFile(path("old.blk"), file);
    e.main->LoadBackground(path("old.blk"));
    const QImage& bitmap = (*e.main->Blocks)[0]->Bitmap;
    QCOMPARE(bitmap.pixelColor(0, 0), QColor(248, 0, 0));
    QCOMPARE(bitmap.pixelColor(1, 0), QColor(0, 248, 0));
    QCOMPARE(bitmap.pixelColor(0, 1), QColor(0, 0, 248));
    QCOMPARE(bitmap.pixelColor(1, 1), QColor(248, 248, 248));

    e.main->SaveBackground(path("new.blk"));
    const QByteArray saved = readAll(path("new.blk"));
    QCOMPARE(saved[0], char(1));
    QCOMPARE(pixelAt(saved, pixels), quint16(0xF800));
    QCOMPARE(pixelAt(saved, pixels + 2), quint16(0x07C0));
    QCOMPARE(pixelAt(saved, pixels + 4), quint16(0x001F));
    QCOMPARE(pixelAt(saved, pixels + 6), quint16(0xFFDF));
}

void TestBlkFile::progressTexts()
{
    Editor e;
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    StatusLines status(e.main);
    writeFile(path("eight.blk"), uniformFile(1, 4, 2, 128, 128, 0x1234));
    e.main->LoadBackground(path("eight.blk"));
    e.main->SaveBackground(path("saved.blk"));
    QStringList expected;
    for (int p : {12, 25, 38, 50, 62, 75, 88, 100})
        expected.append(QStringLiteral("Loading image: %1% complete").arg(p));
    expected.append(QStringLiteral("Image loaded"));
    for (int p : {12, 25, 38, 50, 62, 75, 88, 100})
        expected.append(QStringLiteral("Saveing image: %1% complete").arg(p));
    expected.append(QStringLiteral("Image saved"));
    QCOMPARE(status.lines, expected);
}

void TestBlkFile::otherPanelChildrenSurviveReloads()
{
    // Rooms made before a load stay above every picture loaded after them, in their order.
    Editor e;
    e.main->AddRoom();
    e.main->AddRoom();
    const QList<TRoom*> rooms = e.main->Rooms;
    writeFile(path("a.blk"), uniformFile(1, 2, 2, 128, 128, 0));
    writeFile(path("b.blk"), uniformFile(1, 3, 1, 64, 64, 0));
    for (const char* name : {"a.blk", "b.blk", "a.blk"}) {
        e.main->LoadBackground(path(name));
        QCOMPARE(e.main->Panel->blockItems().size(), qsizetype(e.main->Blocks->size()));
        QVERIFY(roomsAbovePicture(*e.main->Panel));
        QCOMPARE(e.main->Rooms, rooms);
        QCOMPARE(e.main->Panel->items(Qt::DescendingOrder).first(), rooms[1]);   // the selected one on top
    }
}

void TestBlkFile::failedSavesWriteNothing()
{
    Editor e;
    TestDialogs host;
    ErrorCapture errors;
    e.tool->MetaroomFilename = QStringLiteral("before.blk");

    // No picture yet: nothing is written.
    host.answer(path("none.blk"));
    e.main->Save1->trigger();
    QCOMPARE(errors.messages.value(0).left(27), QStringLiteral("There is no picture to save"));
    QVERIFY(!QFile::exists(path("none.blk")));

    // A grid the file cannot hold leaves an existing file as it was. (Bad paths: tst_hostile.)
    synthetic::installGrid(*e.main, 1, 1);
    writeFile(path("kept.blk"), QByteArray("old"));
    e.main->StatusBar->setText(QStringLiteral("before"));
    e.main->Document->setGrid({e.main->Document->grid().blocks, 2, 1});   // a grid the blocks do not fill
    host.answer(path("kept.blk"));
    e.main->Save1->trigger();
    QCOMPARE(errors.messages.value(1), QStringLiteral("The picture's 1 blocks do not fill its grid of 2 columns x 1 rows"));
    QCOMPARE(readAll(path("kept.blk")), QByteArray("old"));
    QCOMPARE(e.main->StatusBar->text(), QStringLiteral("before"));
    QCOMPARE(e.tool->MetaroomFilename, QStringLiteral("before.blk"));
    QCOMPARE(errors.messages.size(), 2);
}

PLSD_TEST_MAIN(TestBlkFile)
#include "tst_blkfile.moc"
