// The held bytes and remembered digests, keyed by path, with the file's
// identity once written (inode, size, and change time to the nanosecond): a file changed
// since under the same path gets the digest of its new content. (File times
// move in clock ticks, so a rewrite in place within one tick would go
// unseen; every writer of ours replaces the file, which gives a new inode.)
#include "document/WorkingCopyDigests.h"

#include "common/AttachmentFile.h"
#include "document/Sha256.h"

#include <QFile>
#include <QHash>

#include <sys/stat.h>

#include <atomic>
#include <mutex>

namespace stepvane {

namespace {

struct Identity {
    bool regular = false;
    ino_t inode = 0;
    off_t size = -1;
    timespec changed{};
    timespec modified{};
    bool operator==(const Identity &o) const
    {
        return regular && o.regular && inode == o.inode && size == o.size &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

Identity identityOf(const QString &path)
{
    struct stat st {};
    Identity id;
    if (path.isEmpty() || stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        return id;
    id.regular = true;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.changed = st.st_ctim;
    id.modified = st.st_mtim;
    return id;
}

struct Entry {
    Identity identity;
    QByteArray digest;
};

// A copy not written: its bytes (when held) and its digest (when taken).
struct Unwritten {
    QByteArray bytes;
    QByteArray digest;
    bool held = false;
};

std::mutex g_digestMutex;
QHash<QString, Entry> g_digests;
QHash<QString, Unwritten> g_unwritten;
std::atomic<RestoredCopies> g_how{RestoredCopies::Written};

// The held bytes of path, if any (under the lock).
std::optional<QByteArray> heldBytes(const QString &path)
{
    const std::lock_guard lock(g_digestMutex);
    const auto it = g_unwritten.constFind(path);
    if (it == g_unwritten.constEnd() || !it->held)
        return std::nullopt;
    return it->bytes;
}

} // namespace

void setRestoredCopies(RestoredCopies how)
{
    g_how = how;
}

RestoredCopies restoredCopies()
{
    return g_how;
}

void rememberWorkingCopy(const QString &path, const QByteArray &bytes)
{
    if (g_how == RestoredCopies::Extracted)
        return;
    Entry entry{identityOf(path), sha256(bytes)};
    if (!entry.identity.regular || entry.identity.size != bytes.size() || entry.digest.isEmpty())
        return;
    const std::lock_guard lock(g_digestMutex);
    g_digests.insert(path, entry);
}

bool workingCopiesWritten()
{
    return g_how == RestoredCopies::Written || g_how == RestoredCopies::Extracted;
}

void rememberUnwrittenDigest(const QString &path, const QByteArray &digest)
{
    Unwritten copy;
    copy.digest = digest;
    const std::lock_guard lock(g_digestMutex);
    g_unwritten.insert(path, copy);
}

void rememberUnwrittenCopy(const QString &path, const QByteArray &bytes)
{
    Unwritten copy;
    switch (g_how.load()) {
    case RestoredCopies::Named:
        return;
    case RestoredCopies::Held:
        // Hashed only when someone asks: the check never does.
        copy.bytes = bytes;
        copy.held = true;
        break;
    case RestoredCopies::Written:
    case RestoredCopies::Extracted:
    case RestoredCopies::Digested:
        copy.digest = sha256(bytes);
        break;
    }
    const std::lock_guard lock(g_digestMutex);
    g_unwritten.insert(path, copy);
}

namespace {

// The digest of a copy not written (taken from its held bytes the first
// time); nullopt when path names none.
std::optional<QByteArray> unwrittenDigest(const QString &path)
{
    std::unique_lock lock(g_digestMutex);
    const auto it = g_unwritten.constFind(path);
    if (it == g_unwritten.constEnd())
        return std::nullopt;
    if (!it->held || !it->digest.isEmpty())
        return it->digest;
    const QByteArray bytes = it->bytes;
    lock.unlock();
    QByteArray digest = sha256(bytes);
    lock.lock();
    g_unwritten[path].digest = digest;
    return digest;
}

} // namespace

QByteArray workingCopyDigest(const QString &path)
{
    const Identity now = identityOf(path);
    if (!now.regular)
        return unwrittenDigest(path).value_or(QByteArray());
    {
        const std::lock_guard lock(g_digestMutex);
        const auto it = g_digests.constFind(path);
        if (it != g_digests.constEnd() && it->identity == now)
            return it->digest;
    }
    return sha256OfFile(path);
}

std::optional<QByteArray> heldWorkingCopy(const QString &path)
{
    return heldBytes(path);
}

std::optional<QByteArray> workingCopyBytes(const QString &path, QString *error)
{
    if (std::optional<QByteArray> held = heldBytes(path))
        return held;
    QString why;
    std::optional<QByteArray> read = readAttachment(path, &why);
    if (!read && error)
        *error = why;
    return read;
}

qint64 workingCopySize(const QString &path)
{
    if (path.isEmpty())
        return -1;
    if (const std::optional<QByteArray> held = heldBytes(path))
        return held->size();
    const Identity id = identityOf(path);
    return id.regular ? qint64(id.size) : -1;
}

} // namespace stepvane
