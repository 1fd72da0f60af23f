// The recent-files list in the settings store.
#include "shell/main/RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace stepvane::RecentFiles {

namespace {

const QString kKey = QStringLiteral("RecentFiles/Files");

// One spelling per file, so the same file never shows twice.
QString canonical(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

void store(const QStringList &list)
{
    QSettings().setValue(kKey, list);
}

} // namespace

QStringList paths()
{
    QStringList list = QSettings().value(kKey).toStringList();
    list.removeAll(QString());
    while (list.size() > kMaxFiles)
        list.removeLast();
    return list;
}

void add(const QString &path)
{
    if (path.isEmpty())
        return;
    const QString file = canonical(path);
    QStringList list = paths();
    list.removeAll(file);
    list.prepend(file);
    while (list.size() > kMaxFiles)
        list.removeLast();
    store(list);
}

void remove(const QString &path)
{
    QStringList list = paths();
    if (list.removeAll(path) + list.removeAll(canonical(path)) > 0)
        store(list);
}

} // namespace stepvane::RecentFiles
