#include "app/statusbar.h"

#include <QEvent>
#include <QGlyphRun>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QTextLayout>

// The mouse's field changes at every move: it paints its text itself and asks the status
// bar for more room only when a text is longer than any before, where a label would lay
// the bar out again at every change. Its words are laid out once and kept, for the text
// changes at every move but its words repeat, and laying them out costs many times
// drawing them.
class TPointerField : public QWidget {
public:
    explicit TPointerField(QWidget* parent)
        : QWidget(parent)
    {
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
        if (event->type() == QEvent::FontChange)
            words.clear();
        QWidget::changeEvent(event);
    }

    void paintEvent(QPaintEvent*) override
    {
        // A copy: looking other words up may move the kept ones.
        const Word space = wordOf(QStringLiteral(" "));
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        QPointF at(Margin, (height() - space.height) / 2);
        for (const QStringView text : QStringView(shown).tokenize(u' ')) {
            if (!text.isEmpty()) {
                const Word& word = wordOf(text.toString());
                for (const QGlyphRun& run : word.runs)
                    painter.drawGlyphRun(at, run);
                at.rx() += word.advance;
            }
            at.rx() += space.advance;
        }
    }

private:
    struct Word {
        QList<QGlyphRun> runs;
        qreal advance = 0;
        qreal height = 0;
    };

    const Word& wordOf(const QString& text)
    {
        const auto found = words.constFind(text);
        if (found != words.cend())
            return *found;
        if (words.size() >= MostWordsKept)
            words.clear();
        QTextLayout layout(text, font());
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        return *words.insert(text, Word{layout.glyphRuns(), line.horizontalAdvance(), line.height()});
    }

    static constexpr int Margin = 2;
    static constexpr qsizetype MostWordsKept = 4096;
    QString shown;
    qsizetype longest = 0;
    QHash<QString, Word> words;
};

TStatusBar::TStatusBar(QWidget* parent)
    : QStatusBar(parent)
    , line(new QLabel(this))
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
    position = tr("%1, %2 (game %3, %4)").arg(picturePixel.x()).arg(picturePixel.y()).arg(gameX).arg(gameY);
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
