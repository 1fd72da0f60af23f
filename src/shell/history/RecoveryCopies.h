// Crash recovery. While the open wizard has unsaved changes, a copy of it is
// kept in the recovery folder under the user's state folder: written as a
// wizard file on a worker thread (the window only takes a snapshot of the
// document), atomically, at most once per interval. A save, a discard or a
// clean end of the program removes it; a copy that outlives its program (a
// crash) is offered at the next start. The user's own file is never touched.
//
// Each run names its files after itself and holds a lock file while it has a
// copy, so several editors running at once never take each other's copies.
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class QLockFile;

namespace stepvane {

class DocumentHistory;

class RecoveryCopies : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 30 * 1000;

    // A copy left behind by a run that did not end cleanly.
    struct Orphan {
        QString id;
        QString wizardPath;   // the copy, a wizard file
        QString originalPath; // the file the wizard was bound to (may be empty)
        QDateTime written;
    };

    // "Stepvane/recovery" under $XDG_STATE_HOME (~/.local/state by default).
    static QString defaultFolder();
    // The copies of runs that are no longer running, newest first.
    static std::vector<Orphan> orphans(const QString &folder);
    static void discard(const QString &folder, const Orphan &orphan);

    // model: the instrument model written into the copies.
    RecoveryCopies(const QString &folder, DocumentHistory &history, int model,
                   QObject *parent = nullptr);
    // A clean end: waits for a write under way, then removes this run's copy.
    ~RecoveryCopies() override;

    void setInterval(int ms) { m_interval = ms; }
    void setModel(int model) { m_model = model; }
    // The file the wizard is bound to, kept with the copy.
    void setOriginalPath(const QString &path) { m_originalPath = path; }

    // Takes an orphan's copy over as this run's own (after it was restored),
    // so it stays safe until this run writes a newer one.
    bool adopt(const Orphan &orphan);

    QString copyPath() const;
    bool hasCopy() const;
    bool isWriting() const { return m_busy; }
    // Waits for a write under way (tests; the end of a session).
    void waitForWrite();
    // Writes the copy now and waits for it (the session is ending).
    bool writeNow();

signals:
    void written(bool ok);

private:
    void documentChanged();
    void modifiedChanged(bool modified);
    void intervalEnded();
    void startWrite();
    void writeDone();
    void removeCopy();
    bool holdLock();
    QString filePath(const QString &suffix) const;

    QString m_folder;
    QString m_id;
    DocumentHistory &m_history;
    int m_model;
    QString m_originalPath;
    int m_interval = kIntervalMs;
    QTimer m_timer;
    std::unique_ptr<QLockFile> m_lock;
    std::thread m_worker;
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_lastOk{false};
    bool m_pending = false; // changes since the last write began
    bool m_removeWhenDone = false;
};

} // namespace stepvane
