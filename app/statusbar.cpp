#include "app/statusbar.h"

#include "app/framepacer.h"

#include <QEvent>
#include <QGlyphRun>
#include <QHash>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTextLayout>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

// The mouse's field changes at every move: it paints its text itself and asks the status
// bar for more room only when a text is longer than any before, where a label would lay
// the bar out again at every change. Its words are drawn once each, onto its background,
// and kept as pictures cut to their ink, for the text changes at every move but its words
// repeat, and drawing a word's glyphs costs several times copying the picture. A change
// repaints from the first word that changed, at most once a frame; the words are placed
// when the field paints, once for any number of changes. The field fills its own
// background, so that the status bar need not paint beneath it.
class TPointerField : public QWidget {
public:
    explicit TPointerField(QWidget* parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    QString text() const { return shown; }

    void setText(const QString& text)
    {
        if (text == shown)
            return;
        shown = text;
        if (shown.size() > longest) {
            longest = shown.size();
            // Room for a wider character or two in a text as long.
            const int wanted = fontMetrics().horizontalAdvance(shown) + 2 * fontMetrics().averageCharWidth() + 2 * Margin;
            if (wanted > minimumWidth())
                setMinimumWidth(wanted);
        }
        changedFrom = std::min(changedFrom, unchangedWidth());
        pacer.changed();
    }

    QSize sizeHint() const override { return {minimumWidth(), fontMetrics().height()}; }

protected:
    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
            forgetWords();
        QWidget::changeEvent(event);
    }

    void resizeEvent(QResizeEvent* event) override
    {
        if (event->size().height() != event->oldSize().height())
            forgetWords();   // the pictures are as high as the field
        QWidget::resizeEvent(event);
    }

    void paintEvent(QPaintEvent* event) override
    {
        if (placedText != shown)
            placeWords();
        QPainter painter(this);
        const QRect exposed = event->rect();
        painter.fillRect(exposed, palette().brush(QPalette::Window));
        for (const Placed& word : placed) {
            if (word.at.x() + word.picture.width() > exposed.left() && !word.picture.isNull())
                painter.drawImage(word.at, word.picture);
        }
    }

private:
    struct Word {
        QImage picture;   // the glyphs' ink over nothing
        QPoint inkAt;     // where the picture goes from the pixel the word starts in
        qreal advance = 0;
    };
    // A word of the placed text where the field draws it.
    struct Placed {
        qsizetype begin = 0, end = 0;   // its characters in placedText
        int start = 0;                  // where in its pixel it starts, in 64ths of a pixel
        qreal advance = 0;
        qreal right = 0;                // where its advance ends
        QPoint inkAt;                   // Word::inkAt
        QPoint at;                      // where its picture goes
        QImage picture;
    };

    // Repaints what changed since the field was last shown.
    void showChange()
    {
        if (changedFrom < width())
            update(QRect(changedFrom, 0, width() - changedFrom, height()));
        changedFrom = std::numeric_limits<int>::max();
    }

    // Where the field as it shows now and the shown text first differ: after the last
    // placed word that the change leaves as it is, less what a glyph of the next word may
    // reach back over.
    int unchangedWidth() const
    {
        qsizetype same = 0;
        const qsizetype most = std::min(placedText.size(), shown.size());
        while (same < most && placedText[same] == shown[same])
            ++same;
        qreal x = 0;
        for (const Placed& word : placed) {
            if (word.end >= same)   // the character after the word changed, or the word grew
                break;
            x = word.right;
        }
        return std::max(0, int(std::floor(x)) - Pad);
    }

    // Places the words of the shown text, taking those that start alike from the last placing.
    void placeWords()
    {
        std::vector<Placed> now;
        now.reserve(placed.size() + 4);
        const qreal spaceAdvance = wordOf(QStringLiteral(" "), 0).advance;
        qreal x = Margin;
        qsizetype begin = 0;
        for (const QStringView text : QStringView(shown).tokenize(u' ')) {
            if (!text.isEmpty()) {
                const int pixel = int(std::floor(x));
                const int start = int(std::lround((x - pixel) * 64));
                const size_t i = now.size();
                Placed word;
                if (i < placed.size() && placed[i].start == start
                    && QStringView(placedText).sliced(placed[i].begin, placed[i].end - placed[i].begin) == text) {
                    word = placed[i];
                } else {
                    const Word& drawn = wordOf(text.toString(), x - pixel);
                    word.start = start;
                    word.advance = drawn.advance;
                    word.inkAt = drawn.inkAt;
                    word.picture = drawn.picture;
                }
                word.begin = begin;
                word.end = begin + text.size();
                word.right = x + word.advance;
                word.at = QPoint(pixel, 0) + word.inkAt;
                now.push_back(std::move(word));
                x += now.back().advance;
            }
            x += spaceAdvance;
            begin += text.size() + 1;
        }
        placed = std::move(now);
        placedText = shown;
    }

    void forgetWords()
    {
        words.clear();
        placed.clear();
        placedText.clear();
        update();
    }

    // The word drawn as the field would draw it at this part of a pixel, on the field's
    // background; then that background taken out, so that a word does not cover what a
    // glyph of its neighbour reaches over, and the picture cut to the ink.
    const Word& wordOf(const QString& text, qreal start)
    {
        // Qt places glyphs to a 64th of a pixel.
        const std::pair<QString, int> key(text, int(std::lround(start * 64)));
        const auto found = words.constFind(key);
        if (found != words.cend())
            return *found;
        if (words.size() >= MostWordsKept)
            words.clear();
        QTextLayout layout(text, font());
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        Word word{{}, {}, line.horizontalAdvance()};
        const QColor background = palette().color(QPalette::Window);
        word.picture = QImage(int(std::ceil(start + word.advance)) + 2 * Pad, std::max(1, height()), QImage::Format_RGB32);
        word.picture.fill(background);
        {
            QPainter painter(&word.picture);
            painter.setPen(palette().color(QPalette::WindowText));
            const QPointF at(Pad + start, (height() - line.height()) / 2);
            for (const QGlyphRun& run : layout.glyphRuns())
                painter.drawGlyphRun(at, run);
        }
        word.picture = word.picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QRgb clear = background.rgb();
        for (int y = 0; y < word.picture.height(); ++y) {
            auto* pixel = reinterpret_cast<QRgb*>(word.picture.scanLine(y));
            for (int x = 0; x < word.picture.width(); ++x) {
                if (pixel[x] == clear)
                    pixel[x] = 0;
            }
        }
        word.picture = cutToInk(word.picture, word.inkAt);
        word.inkAt -= QPoint(Pad, 0);
        return *words.insert(key, std::move(word));
    }

    // The part of a picture that is not clear, and where it lies in the picture; a null
    // picture when all of it is.
    static QImage cutToInk(const QImage& picture, QPoint& at)
    {
        QRect ink;
        for (int y = 0; y < picture.height(); ++y) {
            const auto* pixel = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                if (pixel[x] != 0)
                    ink |= QRect(x, y, 1, 1);
            }
        }
        at = ink.topLeft();
        return ink.isEmpty() ? QImage() : picture.copy(ink);
    }

    static constexpr int Margin = 2;
    static constexpr int Pad = 4;   // pixels that a glyph may reach beyond its word
    static constexpr qsizetype MostWordsKept = 4096;
    QString shown;
    qsizetype longest = 0;
    QHash<std::pair<QString, int>, Word> words;   // by text and where in a pixel it starts
    QString placedText;                           // the text the field shows
    std::vector<Placed> placed;                   // its words
    int changedFrom = std::numeric_limits<int>::max();   // where the changes not yet shown begin
    // The map's repaint need not wait for the field's.
    FramePacer pacer{[this] { showChange(); }};
};

TStatusBar::TStatusBar(QWidget* parent)
    : QStatusBar(parent)
    , line(new QLabel(this))
    , pointerFormat(tr("%1, %2 (game %3, %4)"))
{
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(false);
    setFixedHeight(19);
    line->setObjectName(QStringLiteral("StatusBarText"));
    addWidget(line, 1);
    pointer = new TPointerField(this);
    pointer->setObjectName(QStringLiteral("MousePosition"));
    addPermanentWidget(pointer);
}

void TStatusBar::setText(const QString& text)
{
    line->setText(text);
    if (line->isVisible())
        line->repaint();
}

QString TStatusBar::text() const
{
    return line->text();
}

void TStatusBar::setPointer(QPoint picturePixel, qint64 gameX, qint64 gameY)
{
    // One pass over the text for the four numbers; the mouse moves it at every event.
    position = pointerFormat.arg(QString::number(picturePixel.x()), QString::number(picturePixel.y()),
                                 QString::number(gameX), QString::number(gameY));
    showPointerField();
}

void TStatusBar::clearPointer()
{
    position.clear();
    showPointerField();
}

void TStatusBar::setDragValues(const QString& values)
{
    dragValues = values;
    showPointerField();
}

QString TStatusBar::pointerText() const
{
    return pointer->text();
}

void TStatusBar::showPointerField()
{
    const QString gap = dragValues.isEmpty() || position.isEmpty() ? QString() : QStringLiteral("   ");
    pointer->setText(dragValues + gap + position);
}
