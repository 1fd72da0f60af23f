// Lookup of data files beside the program.
#include "common/DataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace stepvane {

QString programDirectory()
{
    // /proc/self/exe works before (and without) a QCoreApplication exists.
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    const QString target = exe.symLinkTarget();
    if (!target.isEmpty())
        return QFileInfo(target).absolutePath();
    // Without /proc (a bare chroot) Qt still finds the program from argv[0].
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

QString dataFilePath(const QString &fileName)
{
    QStringList dirs;
    const QString overrideDir = qEnvironmentVariable("STEPVANE_DATA_DIR");
    if (!overrideDir.isEmpty())
        dirs << overrideDir;
    const QString exeDir = programDirectory();
    dirs << exeDir + QStringLiteral("/data") << exeDir + QStringLiteral("/../share/stepvane");
    // Last, the desktop's data folders (/usr/local/share, /usr/share), where an
    // installed copy lives even when the program was started from elsewhere.
    const auto shared = QStandardPaths::GenericDataLocation;
    for (const QString &dir : QStandardPaths::standardLocations(shared))
        dirs << dir + QStringLiteral("/stepvane");
    for (const QString &dir : dirs) {
        const QString path = QDir(dir).filePath(fileName);
        if (QFileInfo(path).isFile())
            return QFileInfo(path).absoluteFilePath();
    }
    return QString();
}

} // namespace stepvane
