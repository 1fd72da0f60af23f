// AtomicFile: checked writes to a new file, sync, rename over the target.
#include "common/AtomicFile.h"

#include "common/Leftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stepvane {

namespace {

constexpr qint64 kBufferSize = 64 * 1024;
constexpr int kNameAttempts = 64;

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The file a path finally names: writing through a symbolic link replaces
// the file it points to, not the link.
QString resolvedTarget(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
        return info.symLinkTarget();
    }
    return info.absoluteFilePath();
}

bool writeAll(int fd, const char *data, qint64 size, int &error)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (n == 0) {
            error = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

void syncFolder(const QString &folder)
{
    // Makes the rename itself durable. A file system that cannot sync a
    // folder still holds the new file, so a failure here is not reported.
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

AtomicFile::AtomicFile(const QString &path, QObject *parent)
    : QIODevice(parent), m_target(resolvedTarget(path))
{
}

AtomicFile::AtomicFile(const QString &path, Links links, QObject *parent)
    : QIODevice(parent),
      m_target(links == Links::Follow ? resolvedTarget(path) : QFileInfo(path).absoluteFilePath()),
      m_links(links)
{
}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::fail(const QString &what, int error)
{
    if (m_error.isEmpty())
        m_error = error ? QStringLiteral("%1: %2").arg(what, systemText(error)) : what;
}

bool AtomicFile::open()
{
    discard();
    m_error.clear();
    const QFileInfo target(m_target);
    // The new file is made with O_EXCL and renamed over the name, and neither
    // follows a link: refusing one already there is all it takes.
    if (m_links == Links::Refuse && target.isSymLink()) {
        fail(QStringLiteral("%1 is a symbolic link; it was left alone").arg(m_target), 0);
        return false;
    }
    if (target.exists() && !target.isFile()) {
        fail(QStringLiteral("%1 is not a regular file").arg(m_target), 0);
        return false;
    }
    // A file the user made read-only is not replaced behind their back (not
    // even for root, who could write it).
    struct stat current {};
    const QByteArray localTarget = QFile::encodeName(m_target);
    const bool replacing = ::stat(localTarget.constData(), &current) == 0;
    if (replacing &&
        ((current.st_mode & 0222) == 0 || ::access(localTarget.constData(), W_OK) != 0)) {
        fail(QStringLiteral("%1 is read-only").arg(m_target), 0);
        return false;
    }
    const QString folder = target.absolutePath();
    // Same folder as the target, so the final rename never crosses a file
    // system; O_EXCL so an existing file is never taken over.
    for (int attempt = 0; attempt < kNameAttempts && m_fd < 0; ++attempt) {
        // The target's name is shortened so a long one still leaves room.
        const QString name = QStringLiteral(".%1.%2.tmp")
                                 .arg(target.fileName().left(64))
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
        const QByteArray local = QFile::encodeName(QDir(folder).filePath(name));
        const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_tmpName = local;
            // Locked while written and listed, so that a run killed before
            // the rename leaves nothing the next run does not remove.
            ::flock(fd, LOCK_EX | LOCK_NB);
            noteTemporaryFile(local);
        } else if (const int error = errno; error != EEXIST) {
            fail(QStringLiteral("Cannot create a file in %1").arg(folder), error);
            return false;
        }
    }
    if (m_fd < 0) {
        fail(QStringLiteral("Cannot create a file in %1").arg(folder), EEXIST);
        return false;
    }
    // A replaced file keeps its permissions.
    if (replacing)
        ::fchmod(m_fd, current.st_mode & 07777);
    m_buffer.clear();
    m_buffer.reserve(kBufferSize);
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return true;
}

qint64 AtomicFile::writeData(const char *data, qint64 size)
{
    if (m_fd < 0 || failed())
        return -1;
    if (m_buffer.size() + size > kBufferSize && !flushBuffer())
        return -1;
    if (size >= kBufferSize) {
        int error = 0;
        if (!writeAll(m_fd, data, size, error)) {
            fail(QStringLiteral("Cannot write %1").arg(m_target), error);
            return -1;
        }
        return size;
    }
    m_buffer.append(data, size);
    return size;
}

bool AtomicFile::flushBuffer()
{
    int error = 0;
    if (!m_buffer.isEmpty() && !writeAll(m_fd, m_buffer.constData(), m_buffer.size(), error)) {
        fail(QStringLiteral("Cannot write %1").arg(m_target), error);
        return false;
    }
    m_buffer.clear();
    return true;
}

bool AtomicFile::commit()
{
    if (m_fd < 0) {
        fail(QStringLiteral("Cannot write %1").arg(m_target), EBADF);
        return false;
    }
    bool ok = !failed() && flushBuffer();
    if (ok && m_sync && ::fsync(m_fd) != 0) {
        const int error = errno;
        fail(QStringLiteral("Cannot write %1").arg(m_target), error);
        ok = false;
    }
    // The lock goes with the last descriptor of the file: held through the
    // rename, so another program's leftover sweep never takes the file for a
    // killed run's between the close and the rename.
    const int held = ::dup(m_fd);
    // close can report a deferred write error (NFS, quotas): it counts.
    if (::close(m_fd) != 0 && ok) {
        const int error = errno;
        fail(QStringLiteral("Cannot write %1").arg(m_target), error);
        ok = false;
    }
    m_fd = -1;
    if (ok && ::rename(m_tmpName.constData(), QFile::encodeName(m_target).constData()) != 0) {
        const int error = errno;
        fail(QStringLiteral("Cannot replace %1").arg(m_target), error);
        ok = false;
    }
    if (!ok)
        ::unlink(m_tmpName.constData());
    if (held >= 0)
        ::close(held);
    if (ok && m_sync) {
        syncFolder(QFileInfo(m_target).absolutePath());
    }
    m_tmpName.clear();
    m_buffer.clear();
    QIODevice::close();
    return ok;
}

void AtomicFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tmpName.isEmpty()) {
        ::unlink(m_tmpName.constData());
        m_tmpName.clear();
    }
    m_buffer.clear();
    if (isOpen())
        QIODevice::close();
}

bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error,
                         SyncToDisk sync)
{
    AtomicFile file(path);
    file.setSyncToDisk(sync == SyncToDisk::Yes);
    const bool ok = file.open() && file.write(data) == data.size() && file.commit();
    if (!ok && error)
        *error = file.errorText();
    return ok;
}

} // namespace stepvane
