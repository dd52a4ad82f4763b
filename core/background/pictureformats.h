#pragma once

// The picture formats offered besides the background file, from what Qt's image plugins
// read and write on this machine.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pictureformats {

// The common picture extensions that Qt reads (or writes) here, in the dialogs' order.
QStringList readableExtensions();
QStringList writableExtensions();

// "Pictures (*.png *.bmp ...)": a file dialog's name filter for these extensions.
QString nameFilter(const QStringList& extensions);

// The format a picture is written in: the file name's extension in lower case, a Windows
// bitmap ("bmp") when the name has none. Raises BitmapError
// "Unknown picture file extension (.%s)" when Qt does not write that format.
QByteArray writeFormat(const QString& path);

} // namespace pictureformats
