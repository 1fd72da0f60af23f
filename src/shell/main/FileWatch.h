// Watching the open wizard's file on disk. A checkout, a pull, a merge or
// another editor may change or remove it while it is open: without unsaved
// edits the editor offers to reload it (or reloads it, once the user chose
// so), with unsaved edits it says so and a later save asks before replacing
// the newer file; a removed file is said too.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QFileSystemWatcher;
class QWidget;

namespace stepvane {

class UserInterface;

class FileWatch : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> isModified;
        std::function<void(const QString &path)> reload;
    };
    FileWatch(UserInterface &ui, QWidget *window, Hooks hooks);
    ~FileWatch() override;

    // The file the editor is now bound to, as it is on disk now; empty
    // watches nothing.
    void watch(const QString &path);

    // Before Save writes over the bound file: asks when the file changed on
    // disk since it was opened or saved.
    enum class SaveChoice { Overwrite, SaveAs, Cancel };
    SaveChoice beforeSave();

    // Compares the file with what the editor read or wrote and says what
    // changed; the watcher's signals call it, tests may too.
    void check();

    // The settings key that holds the user's choice to reload without asking.
    static QString reloadSettingKey();

private:
    struct Stamp {
        bool exists = false;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        quint64 inode = 0;
        bool operator==(const Stamp &) const = default;
    };
    static Stamp stampOf(const QString &path);
    void fileChanged(const Stamp &now);
    bool askToReload();
    void rewatch();

    UserInterface &m_ui;
    QWidget *m_window;
    Hooks m_hooks;
    QFileSystemWatcher *m_watcher;
    QString m_path;
    Stamp m_known;    // as the editor read or wrote it
    Stamp m_notified; // the state last said to the user
    bool m_busy = false;
};

} // namespace stepvane
