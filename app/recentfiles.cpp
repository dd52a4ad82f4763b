#include "app/recentfiles.h"

#include <QSettings>
#include <algorithm>
#include <iterator>

namespace {

const QString group = QStringLiteral("RecentFiles");
const QString kindKey = QStringLiteral("kind");
const QString pathKey = QStringLiteral("path");
const QString backgroundName = QStringLiteral("background");
const QString roomScriptName = QStringLiteral("roomscript");

} // namespace

namespace recentfiles {

QList<RecentFile> withFile(QList<RecentFile> list, const RecentFile& file)
{
    list.removeIf([&file](const RecentFile& entry) { return entry.path == file.path; });
    list.prepend(file);
    if (list.size() > Limit)
        list.resize(Limit);
    return list;
}

QList<RecentFile> read(QSettings& settings)
{
    QList<RecentFile> stored;
    const int size = settings.beginReadArray(group);
    for (int i = 0; i < size; ++i) {
        settings.setArrayIndex(i);
        const QString kind = settings.value(kindKey).toString();
        const QString path = settings.value(pathKey).toString();
        if (path.isEmpty() || (kind != backgroundName && kind != roomScriptName))
            continue;
        stored.append({kind == backgroundName ? RecentFile::Background : RecentFile::RoomScript, path});
    }
    settings.endArray();
    // Added oldest first, so that the first of repeated paths stays and the limit holds.
    QList<RecentFile> list;
    for (auto it = stored.crbegin(); it != stored.crend(); ++it)
        list = withFile(std::move(list), *it);
    return list;
}

void write(QSettings& settings, const QList<RecentFile>& list)
{
    settings.remove(group);
    settings.beginWriteArray(group, int(list.size()));
    for (int i = 0; i < list.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(kindKey, list[i].kind == RecentFile::Background ? backgroundName : roomScriptName);
        settings.setValue(pathKey, list[i].path);
    }
    settings.endArray();
}

std::unique_ptr<QSettings> userSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Palisandre"),
                                       QStringLiteral("palisandre"));
}

} // namespace recentfiles
