// The remembered digests, keyed by path, with the file's identity once
// written (inode, size, and change time to the nanosecond): a file changed
// since under the same path gets the digest of its new content. (File times
// move in clock ticks, so a rewrite in place within one tick would go
// unseen; every writer of ours replaces the file, which gives a new inode.)
#include "document/WorkingCopyDigests.h"

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

std::mutex g_digestMutex;
QHash<QString, Entry> g_digests;
QHash<QString, QByteArray> g_unwritten;
std::atomic<bool> g_written{true};

} // namespace

void rememberWorkingCopy(const QString &path, const QByteArray &bytes)
{
    Entry entry{identityOf(path), sha256(bytes)};
    if (!entry.identity.regular || entry.identity.size != bytes.size() || entry.digest.isEmpty())
        return;
    const std::lock_guard lock(g_digestMutex);
    g_digests.insert(path, std::move(entry));
}

void setWorkingCopiesWritten(bool written)
{
    g_written = written;
}

bool workingCopiesWritten()
{
    return g_written;
}

void rememberUnwrittenCopy(const QString &path, const QByteArray &bytes)
{
    QByteArray digest = sha256(bytes);
    const std::lock_guard lock(g_digestMutex);
    g_unwritten.insert(path, std::move(digest));
}

QByteArray workingCopyDigest(const QString &path)
{
    const Identity now = identityOf(path);
    if (!now.regular) {
        const std::lock_guard lock(g_digestMutex);
        return g_unwritten.value(path);
    }
    {
        const std::lock_guard lock(g_digestMutex);
        const auto it = g_digests.constFind(path);
        if (it != g_digests.constEnd() && it->identity == now)
            return it->digest;
    }
    return sha256OfFile(path);
}

} // namespace stepvane
