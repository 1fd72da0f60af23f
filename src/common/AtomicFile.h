// AtomicFile: the one way the programs write a file. The bytes go to a new
// file beside the target; only when every write, the final flush and the sync
// to disk succeeded does that file take the target's name. Any failure leaves
// the old file exactly as it was, removes the new one and keeps a message
// naming the cause (a full disk, a quota, a write limit, a missing folder).
//
// It is a QIODevice so that writers which stream (libxml2's output buffer,
// QPdfWriter) can write into it; writeFileAtomically covers the plain case.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace stepvane {

class AtomicFile : public QIODevice {
public:
    // Follow: a symbolic link at path is written through (a saved wizard kept
    // as a link stays one). Refuse: a link at path, dangling or not, makes
    // open() fail and is left alone; files written into a folder the user
    // names (OutputFolder) never go anywhere else.
    enum class Links { Follow, Refuse };
    explicit AtomicFile(const QString &path, QObject *parent = nullptr);
    AtomicFile(const QString &path, Links links, QObject *parent = nullptr);
    ~AtomicFile() override; // an uncommitted file is discarded

    // Creates the new file beside the target. False (with errorText) when
    // the folder cannot take it.
    bool open();
    // QIODevice's open does the same; the file can only be written.
    bool open(OpenMode mode) override { return (mode & ReadOnly) ? false : open(); }
    // Writes what is buffered, syncs the data, and puts the file in place of
    // the target. False when anything failed before the rename: the target
    // is then untouched and the new file gone.
    bool commit();
    // Drops the new file; the target stays as it was.
    void discard();

    // Whether commit() syncs the data and the folder to disk (the default).
    // Scratch files that need not outlive a power cut (working copies) skip
    // it; their writes and their close are checked all the same.
    void setSyncToDisk(bool sync) { m_sync = sync; }

    QString path() const { return m_target; }
    // Why the write failed, in the system's words ("No space left on device").
    QString errorText() const { return m_error; }
    bool failed() const { return !m_error.isEmpty(); }

    bool isSequential() const override { return true; }
    void close() override { discard(); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    bool flushBuffer();
    void fail(const QString &what, int error);

    QString m_target; // where the file goes (a symbolic link is followed unless refused)
    Links m_links = Links::Follow;
    QByteArray m_tmpName; // local 8-bit path of the new file
    QByteArray m_buffer;
    QString m_error;
    int m_fd = -1;
    bool m_sync = true;
};

// Writes data to path through an AtomicFile. On failure error (when given)
// says why and the old file is unchanged.
enum class SyncToDisk { Yes, No };
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error = nullptr,
                         SyncToDisk sync = SyncToDisk::Yes);

} // namespace stepvane
