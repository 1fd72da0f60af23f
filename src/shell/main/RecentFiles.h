// The recently used wizard files, newest first, kept in the settings store
// (group "RecentFiles") so the File menu offers them again in the next run.
#pragma once

#include <QStringList>

namespace stepvane {

namespace RecentFiles {

constexpr int kMaxFiles = 8;

QStringList paths();
// Puts the file first (once), keeping at most kMaxFiles.
void add(const QString &path);
void remove(const QString &path);

} // namespace RecentFiles

} // namespace stepvane
