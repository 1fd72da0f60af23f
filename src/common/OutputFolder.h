// OutputFolder: a folder the user names for a program to write files into
// (the web pages, fetched setups, the simulator's store). A symbolic link in
// place of the folder is refused, and so is one where a file would go,
// dangling or not: nothing is ever written outside the folder, and a link's
// target is never touched. The folder is held open from the start; a folder
// moved or swapped for another while files are written is noticed before
// each file, and no file is written then.
#pragma once

#include "common/AtomicFile.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <memory>

namespace stepvane {

class OutputFolder {
public:
    explicit OutputFolder(const QString &path);
    ~OutputFolder();
    OutputFolder(const OutputFolder &) = delete;
    OutputFolder &operator=(const OutputFolder &) = delete;

    // Makes the folder when missing (with the folders above it) and holds it
    // open. False with error() when a symbolic link or anything but a folder
    // stands in its place, or it cannot be made.
    bool open();
    bool isOpen() const { return m_fd >= 0; }

    // A folder inside this one ("files", "6666"), made when missing, under
    // the same rules; null with error() when it cannot be had.
    std::unique_ptr<OutputFolder> subfolder(const QString &name);

    QString path() const { return m_path; }
    QString filePath(const QString &name) const { return m_path + u'/' + name; }
    QString error() const { return m_error; }

    // A new file named name (no folder part) written atomically in the
    // folder: open already, to be written and committed. Null with the
    // reason in error when the name is unusable, a link lies there or the
    // folder is no longer where it was. Safe from several threads at once.
    std::unique_ptr<AtomicFile> create(const QString &name, QString *error) const;
    // create, write and commit in one; false with the reason in error.
    bool writeFile(const QString &name, const QByteArray &data, QString *error,
                   SyncToDisk sync = SyncToDisk::Yes) const;

private:
    bool holdOpen(int fd);
    bool stillInPlace(QString *error) const;

    QString m_path;
    QString m_error;
    int m_fd = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

} // namespace stepvane
