// What a killed run leaves behind, and how the next run finds it: every
// per-run folder holds a lock file locked for the run's life, and every
// temporary file of the atomic writer is locked while it is written and
// listed in a per-user list in the temporary folder. A lock that can be taken
// means its run is gone; nothing is ever judged by its age, and nothing not
// named as ours is touched.
#pragma once

#include <QString>

namespace stepvane {

// A folder of this run under QDir::tempPath(), named "stepvane-XXXXXX",
// locked until the object (or the process) ends. The destructor removes the
// folder unless keep() was called.
class RunFolder {
public:
    RunFolder() = default;
    ~RunFolder();
    RunFolder(const RunFolder &) = delete;
    RunFolder &operator=(const RunFolder &) = delete;

    // Makes the folder and takes its lock; false when the temporary folder
    // cannot take it.
    bool create();
    QString path() const { return m_path; }
    // The folder outlives the run (its files are named elsewhere): the lock
    // file goes, so no later run takes the folder for a leftover.
    void keep();
    // Removes the folder and everything in it now.
    void remove();

private:
    QString m_path;
    int m_lockFd = -1;
    bool m_kept = false;
};

// Lists a temporary file of the atomic writer (locked by its writer) so that
// the next run removes it should this one be killed before it is renamed.
void noteTemporaryFile(const QByteArray &localPath);

// Removes the run folders and listed temporary files whose runs are gone.
// Every program calls it once at start. Returns how many it removed.
int sweepLeftovers();

} // namespace stepvane
