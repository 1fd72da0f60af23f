// Naming what a path is when it is not a regular file.
#include "common/FileKind.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace stepvane {

QString notARegularFile(const QString &path)
{
    struct stat info {};
    if (path.isEmpty())
        return QStringLiteral("no such file");
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        // Only a missing file is "no such file"; a loop of symbolic links or
        // a folder that may not be searched is named for what it is.
        const int error = errno;
        return error == ENOENT || error == ENOTDIR ? QStringLiteral("no such file")
                                                   : QString::fromLocal8Bit(std::strerror(error));
    }
    if (S_ISREG(info.st_mode))
        return QString();
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("is a folder");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("is a fifo");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return QStringLiteral("is a device");
    if (S_ISSOCK(info.st_mode))
        return QStringLiteral("is a socket");
    return QStringLiteral("is not a regular file");
}

} // namespace stepvane
