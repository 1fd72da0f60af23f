// Reading attached files: regular files only, never a blocking open, capped.
#include "common/AttachmentFile.h"

#include "common/FileKind.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stepvane {

namespace {

QString attachmentKindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("is a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("is a fifo");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("is a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("is a socket");
    return QStringLiteral("is not a regular file");
}

int attachmentFail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return -1;
}

} // namespace

int openAttachment(const QString &path, QString *error, qint64 *size)
{
    // Checked before opening, and again on what was opened: the name may
    // have been swapped in between.
    if (const QString problem = notARegularFile(path); !problem.isEmpty())
        return attachmentFail(error, problem);
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return attachmentFail(error, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat info {};
    QString problem;
    if (::fstat(fd, &info) != 0)
        problem = QString::fromLocal8Bit(std::strerror(errno));
    else if (!S_ISREG(info.st_mode))
        problem = attachmentKindOf(info.st_mode);
    else if (qint64(info.st_size) > kMaxAttachmentBytes)
        problem = QStringLiteral("is larger than 1 GiB (%1 bytes)").arg(qint64(info.st_size));
    if (!problem.isEmpty()) {
        ::close(fd);
        return attachmentFail(error, problem);
    }
    if (size)
        *size = qint64(info.st_size);
    return fd;
}

QString attachmentProblem(const QString &path, qint64 *size)
{
    QString error;
    const int fd = openAttachment(path, &error, size);
    if (fd >= 0)
        ::close(fd);
    return error;
}

std::optional<QByteArray> readAttachment(const QString &path, QString *error)
{
    qint64 size = 0;
    const int fd = openAttachment(path, error, &size);
    if (fd < 0)
        return std::nullopt;
    // A file that grows while it is read is still held to the cap.
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() >= kMaxAttachmentBytes + 1)
                break;
            bytes.resize(std::min(bytes.size() + 65536, kMaxAttachmentBytes + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int code = errno;
            ::close(fd);
            if (error)
                *error = QString::fromLocal8Bit(std::strerror(code));
            return std::nullopt;
        }
        if (n == 0)
            break;
        done += n;
    }
    ::close(fd);
    if (done > kMaxAttachmentBytes) {
        if (error)
            *error = QStringLiteral("is larger than 1 GiB");
        return std::nullopt;
    }
    bytes.truncate(done);
    return bytes;
}

} // namespace stepvane
