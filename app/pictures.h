#pragma once

#include <QImage>

// Pictures of our own, drawn in code: the splash's sponsor strip and the about box's picture.
QImage drawSponsorPicture();   // 470 x 60
QImage drawAboutPicture();     // 153 x 185
