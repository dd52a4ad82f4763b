#pragma once

#include <QImage>
#include <QWidget>

// The picture control of one block on Panel: shows its image unscaled from the top-left,
// clipped to its cell. Told apart from rooms by its class name, "TImage".
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);
    void setPicture(const QImage& image);   // shares the image, does not copy its pixels
    const QImage& picture() const { return image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image;
};
