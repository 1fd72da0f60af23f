// Lookup of data files beside the program.
#include "common/DataFiles.h"

#include <QDir>
#include <QFileInfo>

namespace stepvane {

QString programDirectory()
{
    // /proc/self/exe works before (and without) a QCoreApplication exists.
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    const QString target = exe.symLinkTarget();
    return target.isEmpty() ? QDir::currentPath() : QFileInfo(target).absolutePath();
}

QString dataFilePath(const QString &fileName)
{
    QStringList dirs;
    const QString overrideDir = qEnvironmentVariable("STEPVANE_DATA_DIR");
    if (!overrideDir.isEmpty())
        dirs << overrideDir;
    const QString exeDir = programDirectory();
    dirs << exeDir + QStringLiteral("/data") << exeDir + QStringLiteral("/../share/stepvane");
    for (const QString &dir : dirs) {
        const QString path = QDir(dir).filePath(fileName);
        if (QFileInfo(path).isFile())
            return QFileInfo(path).absoluteFilePath();
    }
    return QString();
}

} // namespace stepvane
