#pragma once

// What the tool takes a file for, by its name's extension.

#include <QFileInfo>
#include <QString>

enum class FileKind { Background, Script, Picture };

inline FileKind fileKind(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("blk"))
        return FileKind::Background;
    if (suffix == QStringLiteral("cos"))
        return FileKind::Script;
    return FileKind::Picture;
}

// A failure's message about a file, with the file's name in front when the message does
// not name it already.
inline QString aboutFile(const QString& path, const QString& message)
{
    return message.contains(path) ? message : path + QStringLiteral(": ") + message;
}
