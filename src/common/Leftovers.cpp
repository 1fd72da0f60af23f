// Per-run folders and temporary files of runs that were killed.
#include "common/Leftovers.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stepvane {

namespace {

const char kRunLockName[] = ".stepvane-run.lock";
const QString kRunPrefix = QStringLiteral("stepvane-");

QByteArray leftoverLocalPath(const QString &path)
{
    return QFile::encodeName(path);
}

QString temporaryFileList()
{
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral(".stepvane-tmp-files-%1").arg(::getuid()));
}

// An entry of ours: what lstat says is of that type and belongs to this user
// (never through a link).
bool ownedAs(const QByteArray &path, mode_t type, struct stat *info = nullptr)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || (st.st_mode & S_IFMT) != type ||
        st.st_uid != ::getuid())
        return false;
    if (info)
        *info = st;
    return true;
}

// Opens path and takes its lock without waiting: -1 while its run lives.
int lockIfFree(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int sweepRunFolders()
{
    int removed = 0;
    const QDir temp(QDir::tempPath());
    const QStringList names =
        temp.entryList({kRunPrefix + QStringLiteral("??????")}, QDir::Dirs | QDir::Hidden);
    for (const QString &name : names) {
        const QString folder = temp.filePath(name);
        const QByteArray lock =
            leftoverLocalPath(QDir(folder).filePath(QLatin1String(kRunLockName)));
        // A folder without the lock file is being made, or was kept on
        // purpose: left alone.
        if (!ownedAs(leftoverLocalPath(folder), S_IFDIR) || !ownedAs(lock, S_IFREG))
            continue;
        const int fd = lockIfFree(lock);
        if (fd < 0)
            continue;
        // Held while removing, so two sweeps never race over one folder.
        // removeRecursively removes a link, never what it points to.
        if (QDir(folder).removeRecursively())
            ++removed;
        ::close(fd);
    }
    return removed;
}

// The atomic writer's names: ".NAME.XXXXXXXX.tmp" (checked by hand: this
// also runs while the program's statics are being destroyed).
bool isTemporaryName(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    if (name.size() < 15 || !name.startsWith(u'.') || !name.endsWith(QLatin1String(".tmp")))
        return false;
    const qsizetype hex = name.size() - 12;
    if (name.at(hex - 1) != u'.')
        return false;
    for (qsizetype i = hex; i < hex + 8; ++i) {
        const char16_t c = name.at(i).unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    }
    return true;
}

int sweepTemporaryFiles()
{
    const QByteArray list = leftoverLocalPath(temporaryFileList());
    const int fd = ::open(list.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid() ||
        ::flock(fd, LOCK_EX) != 0) {
        ::close(fd);
        return 0;
    }
    QFile file;
    file.open(fd, QIODevice::ReadWrite, QFileDevice::DontCloseHandle);
    const QList<QByteArray> lines = file.readAll().split('\n');
    QByteArray kept;
    int removed = 0;
    for (const QByteArray &line : lines) {
        if (line.isEmpty() || !isTemporaryName(QFile::decodeName(line)) || !ownedAs(line, S_IFREG))
            continue; // gone, or not ours
        const int tmp = lockIfFree(line);
        if (tmp < 0) {
            kept += line + '\n'; // its writer is still at work
            continue;
        }
        if (::unlink(line.constData()) == 0)
            ++removed;
        ::close(tmp);
    }
    if (kept.isEmpty()) {
        // Nothing in flight: no list is left in the temporary folder. A run
        // waiting to add to it finds it unlinked and makes a new one.
        ::unlink(list.constData());
    } else {
        file.resize(0);
        file.seek(0);
        file.write(kept);
    }
    file.close();
    ::close(fd); // and the lock with it
    return removed;
}

} // namespace

RunFolder::~RunFolder()
{
    if (!m_kept)
        remove();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool RunFolder::create()
{
    if (!m_path.isEmpty())
        return true;
    QByteArray pattern =
        leftoverLocalPath(QDir(QDir::tempPath()).filePath(kRunPrefix + QStringLiteral("XXXXXX")));
    if (!::mkdtemp(pattern.data()))
        return false;
    const QString folder = QFile::decodeName(pattern);
    // Locked under another name first, then renamed: a sweep only ever sees
    // the lock file already locked.
    const QByteArray fresh = leftoverLocalPath(QDir(folder).filePath(QStringLiteral(".lock-new")));
    const QByteArray lock = leftoverLocalPath(QDir(folder).filePath(QLatin1String(kRunLockName)));
    const int fd = ::open(fresh.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0 || ::rename(fresh.constData(), lock.constData()) != 0) {
        if (fd >= 0)
            ::close(fd);
        QDir(folder).removeRecursively();
        return false;
    }
    m_lockFd = fd;
    m_path = folder;
    m_kept = false;
    return true;
}

void RunFolder::keep()
{
    if (m_path.isEmpty())
        return;
    ::unlink(leftoverLocalPath(QDir(m_path).filePath(QLatin1String(kRunLockName))).constData());
    m_kept = true;
}

void RunFolder::remove()
{
    if (m_path.isEmpty())
        return;
    QDir(m_path).removeRecursively();
    m_path.clear();
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

namespace {

// The list's local path, worked out again only when the temporary folder
// changes: hundreds of files written in a row all go on the same list. (A
// relative TMPDIR follows the current folder, so it is never kept.)
QByteArray temporaryFileListPath()
{
    static std::mutex mutex;
    static QByteArray lastTemp, lastList;
    const QByteArray temp = qgetenv("TMPDIR");
    if (!temp.isEmpty() && !temp.startsWith('/'))
        return leftoverLocalPath(temporaryFileList());
    const std::lock_guard lock(mutex);
    if (lastList.isEmpty() || temp != lastTemp) {
        lastList = leftoverLocalPath(temporaryFileList());
        lastTemp = temp;
    }
    return lastList;
}

} // namespace

void noteTemporaryFile(const QByteArray &path)
{
    // One path a line: a name with a line break in it is not listed.
    if (path.contains('\n'))
        return;
    const QByteArray absolute =
        path.startsWith('/')
            ? path
            : leftoverLocalPath(QDir::current().absoluteFilePath(QFile::decodeName(path)));
    // At a normal exit the list is swept once more, so a run that ends well
    // leaves no list behind.
    static const struct SweepAtExit {
        ~SweepAtExit() { sweepTemporaryFiles(); }
    } sweepAtExit;
    const QByteArray list = temporaryFileListPath();
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd =
            ::open(list.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return; // the file is still written; only a kill would leave it
        struct stat info {};
        // A sweep may have unlinked the list while this run waited for it.
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &info) == 0 && info.st_nlink > 0) {
            const QByteArray line = absolute + '\n';
            [[maybe_unused]] const ssize_t n = ::write(fd, line.constData(), size_t(line.size()));
            ::close(fd);
            return;
        }
        ::close(fd);
    }
}

int sweepLeftovers()
{
    return sweepRunFolders() + sweepTemporaryFiles();
}

} // namespace stepvane
