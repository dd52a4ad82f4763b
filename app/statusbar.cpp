#include "app/statusbar.h"

#include <QEvent>
#include <QGlyphRun>
#include <QHash>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTextLayout>
#include <cmath>
#include <utility>

// The mouse's field changes at every move: it paints its text itself and asks the status
// bar for more room only when a text is longer than any before, where a label would lay
// the bar out again at every change. Its words are drawn once each, onto its background,
// and kept as pictures, for the text changes at every move but its words repeat, and
// drawing a word's glyphs costs several times copying the picture. The field fills its
// own background, so that the status bar need not paint beneath it.
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
        update();
    }

    QSize sizeHint() const override { return {minimumWidth(), fontMetrics().height()}; }

protected:
    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
            words.clear();
        QWidget::changeEvent(event);
    }

    void resizeEvent(QResizeEvent* event) override
    {
        if (event->size().height() != event->oldSize().height())
            words.clear();   // the pictures are as high as the field
        QWidget::resizeEvent(event);
    }

    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().brush(QPalette::Window));
        const qreal spaceAdvance = wordOf(QStringLiteral(" "), 0).advance;
        qreal x = Margin;
        for (const QStringView text : QStringView(shown).tokenize(u' ')) {
            if (!text.isEmpty()) {
                const int left = int(std::floor(x));
                const Word& word = wordOf(text.toString(), x - left);
                painter.drawImage(QPoint(left - Pad, 0), word.picture);
                x += word.advance;
            }
            x += spaceAdvance;
        }
    }

private:
    struct Word {
        QImage picture;   // the glyphs over nothing, Pad pixels out from where the word starts
        qreal advance = 0;
    };

    // The word drawn as the field would draw it at this part of a pixel, on the field's
    // background; then that background taken out, so that a word does not cover what a
    // glyph of its neighbour reaches over.
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
        Word word{{}, line.horizontalAdvance()};
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
        return *words.insert(key, std::move(word));
    }

    static constexpr int Margin = 2;
    static constexpr int Pad = 4;   // pixels that a glyph may reach beyond its word
    static constexpr qsizetype MostWordsKept = 4096;
    QString shown;
    qsizetype longest = 0;
    QHash<std::pair<QString, int>, Word> words;   // by text and where in a pixel it starts
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
