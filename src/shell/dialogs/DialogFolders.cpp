// The start folders of the file dialogs.
#include "shell/dialogs/DialogFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace stepvane {

namespace {

constexpr int kMaxFileNameLength = 120;
const QString kWizardKind = QStringLiteral("wzd");

// The editor has one main window; its bound file is the one to follow.
QString &wizardPathStore()
{
    static QString path;
    return path;
}

QSettings folderSettings()
{
    return QSettings(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
}

QString settingsKey(const QString &kind)
{
    return QStringLiteral("DialogFolders/") + kind;
}

QString existingFolder(const QString &folder)
{
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? QDir(folder).absolutePath() : QString();
}

QString rememberedFolder(const QString &kind)
{
    return existingFolder(folderSettings().value(settingsKey(kind)).toString());
}

QString wizardFolder()
{
    const QString path = wizardPathStore();
    return path.isEmpty() ? QString() : existingFolder(QFileInfo(path).absolutePath());
}

} // namespace

void setDialogWizardPath(const QString &path)
{
    wizardPathStore() = path;
    if (!path.isEmpty())
        rememberDialogFolder(kWizardKind, path);
}

QString dialogWizardPath()
{
    return wizardPathStore();
}

QString dialogFileKind(const QString &filter, const QString &defaultSuffix, const QString &title)
{
    static const QRegularExpression firstExtension(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch m = firstExtension.match(filter);
    if (m.hasMatch())
        return m.captured(1).toLower();
    if (!defaultSuffix.isEmpty())
        return defaultSuffix.toLower();
    QString key = title.toLower();
    key.replace(QRegularExpression(QStringLiteral("[^a-z0-9]+")), QStringLiteral("-"));
    return key.isEmpty() ? QStringLiteral("other") : key;
}

QString dialogStartFolder(const QString &kind)
{
    // A wizard goes with the wizard open now; other kinds of file tend to
    // come from one place (a folder of site photos) whatever the wizard.
    QString folder = kind == kWizardKind ? wizardFolder() : rememberedFolder(kind);
    if (folder.isEmpty())
        folder = kind == kWizardKind ? rememberedFolder(kind) : wizardFolder();
    if (folder.isEmpty())
        folder = rememberedFolder(kWizardKind);
    return folder.isEmpty() ? QDir::homePath() : folder;
}

void rememberDialogFolder(const QString &kind, const QString &chosenPath)
{
    if (kind.isEmpty() || chosenPath.isEmpty())
        return;
    const QFileInfo chosen(chosenPath);
    // A folder chosen as the place of a web page is itself new; its parent is
    // where the user was.
    const QString folder = chosen.absolutePath();
    if (QFileInfo(folder).isDir())
        folderSettings().setValue(settingsKey(kind), folder);
}

QString fileNameFromText(const QString &text)
{
    QString name;
    name.reserve(text.size());
    for (const QChar c : text) {
        const bool reserved =
            c.unicode() < 0x20 || c.unicode() == 0x7F || QStringLiteral("/\\:*?\"<>|").contains(c);
        name += reserved ? QChar(u'_') : c;
    }
    name = name.left(kMaxFileNameLength);
    // Windows drops trailing dots and blanks; a leading dot hides the file.
    while (!name.isEmpty() && (name.front() == u'.' || name.front().isSpace()))
        name.remove(0, 1);
    while (!name.isEmpty() && (name.back() == u'.' || name.back().isSpace()))
        name.chop(1);
    return name;
}

QString proposedWizardPath(const QString &title, const QString &boundPath)
{
    QString name = fileNameFromText(title);
    if (name.endsWith(QStringLiteral(".wzd"), Qt::CaseInsensitive))
        name.chop(4);
    if (name.isEmpty())
        return boundPath;
    const QString file = name + QStringLiteral(".wzd");
    if (boundPath.isEmpty())
        return file;
    return QFileInfo(boundPath).absoluteDir().filePath(file);
}

} // namespace stepvane
