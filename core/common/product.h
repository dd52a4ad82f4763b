#pragma once

#include <QString>

// The product's own names and addresses.
namespace product {

inline const QString hostName = QStringLiteral("palisandre.example.org");
inline const QString webSite = QStringLiteral("https://palisandre.example.org/");
inline const QString helpPage = QStringLiteral("https://palisandre.example.org/help/");
inline const QString downloadAddress = QStringLiteral("https://palisandre.example.org/download/");
inline const QString versionLine = QStringLiteral("Version: Beta 1.1, 22nd July 2001");
inline const QString heading = QStringLiteral("The Palisandre (plsd)");

// "Palisandre - " followed by the web host name: task bar and message box caption.
inline QString applicationTitle()
{
    return QStringLiteral("Palisandre - ") + hostName;
}

} // namespace product
