#pragma once

#include <QList>
#include <QString>
#include <memory>

class QSettings;

// A file the user opened or saved, with what it holds.
struct RecentFile {
    enum Kind { Background, RoomScript };
    Kind kind = Background;
    QString path;
    bool operator==(const RecentFile&) const = default;
};

// File > Recent Files: the files last opened or saved, most recent first, kept in the
// user's settings between runs.
namespace recentfiles {

constexpr int Limit = 8;

// The list with the file put first: an older entry with the same path goes, and only the
// first Limit entries stay.
QList<RecentFile> withFile(QList<RecentFile> list, const RecentFile& file);

// The list as the settings keep it; entries that cannot be read, repeats and entries
// beyond the limit are left out.
QList<RecentFile> read(QSettings& settings);
void write(QSettings& settings, const QList<RecentFile>& list);

// The user's settings of the program.
std::unique_ptr<QSettings> userSettings();

} // namespace recentfiles
