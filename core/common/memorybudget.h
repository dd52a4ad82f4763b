#pragma once

// The memory that reading one file may take: pictures and backgrounds are refused, before
// any pixel is decoded, when the size they claim needs more. One budget for the process,
// 1 GB unless the tool's --memory-limit or the editor's settings say otherwise.

#include <QString>
#include <optional>

namespace memorybudget {

constexpr qint64 DefaultLimit = qint64(1) << 30;
// Less than this is no use to anyone.
constexpr qint64 SmallestLimit = qint64(16) << 20;

qint64 limit();
void setLimit(qint64 bytes);

// "1 GB", "3.4 GB", "200 MB", "12 KB", "100 bytes": binary units, one decimal below ten.
QString sizeText(qint64 bytes);

// Raises PlsdError "NAME claims W x H pixels, SIZE; the limit is LIMIT" when `bytes`, what
// reading it needs, is more than the limit.
void checkPicture(const QString& name, qint64 width, qint64 height, qint64 bytes);

// A size as the user writes it: megabytes ("1500"), or with a unit ("1500M", "1500MB",
// "2G", "2GB", any case). Nothing when it is not one, or less than SmallestLimit.
std::optional<qint64> parseSize(const QString& text);

} // namespace memorybudget
