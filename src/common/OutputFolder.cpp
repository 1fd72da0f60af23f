// OutputFolder: writing into a folder the user names, never through a link.
#include "common/OutputFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stepvane {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Why a folder could not be opened, from the errno of open or openat (at
// from, name). A link gives ENOTDIR with O_DIRECTORY, so it is looked at.
QString openError(const QString &path, int error, int from, const QByteArray &name)
{
    struct stat st {};
    if (error == ELOOP ||
        (::fstatat(from, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)))
        return QStringLiteral("%1 is a symbolic link; choose another folder").arg(path);
    if (error == ENOTDIR)
        return QStringLiteral("%1 is not a folder").arg(path);
    return QStringLiteral("cannot open the folder %1: %2")
        .arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(u'/') && !name.contains(QChar(0));
}

} // namespace

// cleanPath drops a trailing slash, which would make the system look through
// a link named as the folder.
OutputFolder::OutputFolder(const QString &path) : m_path(QDir::cleanPath(path)) {}

OutputFolder::~OutputFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool OutputFolder::holdOpen(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        m_error = QStringLiteral("cannot open the folder %1: %2")
                      .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_device = st.st_dev;
    m_inode = st.st_ino;
    return true;
}

bool OutputFolder::open()
{
    if (m_path.isEmpty()) {
        m_error = QStringLiteral("no folder was named");
        return false;
    }
    const QFileInfo info(m_path);
    if (info.isSymLink()) {
        m_error = QStringLiteral("%1 is a symbolic link; choose another folder").arg(m_path);
        return false;
    }
    if (!info.exists() && !QDir().mkpath(m_path)) {
        m_error = QStringLiteral("cannot create the folder %1").arg(m_path);
        return false;
    }
    // O_NOFOLLOW also catches a link put in place since the look above.
    const QByteArray local = QFile::encodeName(m_path);
    const int fd = ::open(local.constData(), kFolderFlags);
    if (fd < 0) {
        m_error = openError(m_path, errno, AT_FDCWD, local);
        return false;
    }
    return holdOpen(fd);
}

std::unique_ptr<OutputFolder> OutputFolder::subfolder(const QString &name)
{
    auto sub = std::make_unique<OutputFolder>(filePath(name));
    if (!isPlainName(name)) {
        m_error = QStringLiteral("%1 is not a folder name").arg(name);
        return nullptr;
    }
    if (!stillInPlace(&m_error))
        return nullptr;
    const QByteArray local = QFile::encodeName(name);
    // mkdirat never follows a link; an existing one is refused by openat.
    if (::mkdirat(m_fd, local.constData(), 0777) != 0 && errno != EEXIST) {
        const int code = errno;
        m_error = QStringLiteral("cannot create the folder %1: %2")
                      .arg(sub->path(), QString::fromLocal8Bit(std::strerror(code)));
        return nullptr;
    }
    const int fd = ::openat(m_fd, local.constData(), kFolderFlags);
    if (fd < 0) {
        m_error = openError(sub->path(), errno, m_fd, local);
        return nullptr;
    }
    if (!sub->holdOpen(fd)) {
        m_error = sub->error();
        return nullptr;
    }
    return sub;
}

bool OutputFolder::stillInPlace(QString *error) const
{
    struct stat st {};
    if (m_fd >= 0 && ::lstat(QFile::encodeName(m_path).constData(), &st) == 0 &&
        S_ISDIR(st.st_mode) && st.st_dev == m_device && st.st_ino == m_inode)
        return true;
    if (error)
        *error = m_fd < 0 ? QStringLiteral("the folder %1 is not open").arg(m_path)
                          : QStringLiteral("the folder %1 was moved or replaced while it was "
                                           "written; nothing more is written there")
                                .arg(m_path);
    return false;
}

std::unique_ptr<AtomicFile> OutputFolder::create(const QString &name, QString *error) const
{
    QString why;
    if (!isPlainName(name)) {
        why = QStringLiteral("%1 is not a file name").arg(name);
    } else if (stillInPlace(&why)) {
        auto file = std::make_unique<AtomicFile>(filePath(name), AtomicFile::Links::Refuse);
        if (file->open())
            return file;
        why = file->errorText();
    }
    if (error)
        *error = why;
    return nullptr;
}

bool OutputFolder::writeFile(const QString &name, const QByteArray &data, QString *error,
                             SyncToDisk sync) const
{
    std::unique_ptr<AtomicFile> file = create(name, error);
    if (!file)
        return false;
    file->setSyncToDisk(sync == SyncToDisk::Yes);
    if (file->write(data) == data.size() && file->commit())
        return true;
    if (error)
        *error = file->errorText();
    return false;
}

} // namespace stepvane
