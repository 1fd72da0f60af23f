// Watching the bound file: QFileSystemWatcher on the file and its folder (a
// save through a new file and a rename replaces the watched file), compared
// by size, modification time and inode.
#include "shell/main/FileWatch.h"

#include "widgets/UserInterface.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSettings>

#include <sys/stat.h>

namespace stepvane {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

FileWatch::FileWatch(UserInterface &ui, QWidget *window, Hooks hooks)
    : QObject(window), m_ui(ui), m_window(window), m_hooks(std::move(hooks)),
      m_watcher(new QFileSystemWatcher(this))
{
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &FileWatch::check);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileWatch::check);
}

FileWatch::~FileWatch() = default;

QString FileWatch::reloadSettingKey()
{
    return QStringLiteral("FileWatch/ReloadWithoutAsking");
}

FileWatch::Stamp FileWatch::stampOf(const QString &path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {true, qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            quint64(st.st_ino)};
}

void FileWatch::watch(const QString &path)
{
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_path = path;
    m_known = m_notified = stampOf(path);
    rewatch();
}

void FileWatch::rewatch()
{
    if (m_path.isEmpty())
        return;
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!m_watcher->directories().contains(folder))
        m_watcher->addPath(folder);
    if (QFileInfo::exists(m_path) && !m_watcher->files().contains(m_path))
        m_watcher->addPath(m_path);
}

void FileWatch::check()
{
    if (m_path.isEmpty() || m_busy)
        return;
    rewatch();
    const Stamp now = stampOf(m_path);
    if (now == m_known || now == m_notified)
        return;
    m_busy = true;
    m_notified = now;
    fileChanged(now);
    m_busy = false;
}

void FileWatch::fileChanged(const Stamp &now)
{
    if (!now.exists) {
        m_ui.report(Message::fromText(QStringLiteral("The file %s was removed on disk."),
                                      {shown(m_path)}, MessageIcon::Warning));
        return;
    }
    if (m_hooks.isModified()) {
        m_ui.report(Message::fromText(
            QStringLiteral("The file %s was changed on disk. Your unsaved edits are kept; "
                           "saving will ask before replacing the newer file."),
            {shown(m_path)}, MessageIcon::Warning));
        return;
    }
    // A copy: the reload resets the watch before it reads the file again.
    const QString path = m_path;
    if (askToReload())
        m_hooks.reload(path);
}

bool FileWatch::askToReload()
{
    QSettings settings;
    if (settings.value(reloadSettingKey()).toBool())
        return true;
    if (!m_ui.ask(Message::fromText(QStringLiteral("The file %s was changed on disk. Reload it?"),
                                    {shown(m_path)}, MessageIcon::Question)))
        return false;
    // The choice is offered once; the answer stays.
    if (!settings.contains(reloadSettingKey()))
        settings.setValue(reloadSettingKey(),
                          m_ui.ask(Message::fromText(
                              QStringLiteral("Reload files that change on disk without asking, "
                                             "whenever there are no unsaved edits?"),
                              {}, MessageIcon::Question)));
    return true;
}

FileWatch::SaveChoice FileWatch::beforeSave()
{
    const Stamp now = stampOf(m_path);
    if (m_path.isEmpty() || !now.exists || now == m_known)
        return SaveChoice::Overwrite;
    m_busy = true;
    SaveChoice choice = SaveChoice::Cancel;
    if (m_ui.ask(Message::fromText(
            QStringLiteral("The file %s was changed on disk after it was opened. Replace it with "
                           "this wizard?"),
            {shown(m_path)}, MessageIcon::Question)))
        choice = SaveChoice::Overwrite;
    else if (m_ui.ask(Message::fromText(QStringLiteral("Save this wizard under another name?"), {},
                                        MessageIcon::Question)))
        choice = SaveChoice::SaveAs;
    m_busy = false;
    return choice;
}

} // namespace stepvane
