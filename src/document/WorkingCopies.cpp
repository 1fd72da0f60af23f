// Per-run working folder for attached files.
#include "document/WorkingCopies.h"

#include "common/AtomicFile.h"
#include "common/Leftovers.h"
#include "document/WorkingCopyDigests.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace stepvane {

namespace {

// Whether anything lies at path, a symbolic link included (dangling or not):
// a working copy never goes through a link somebody left in the folder.
bool isTaken(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 || errno != ENOENT;
}

} // namespace

WorkingCopies &WorkingCopies::instance()
{
    static WorkingCopies copies;
    return copies;
}

WorkingCopies::~WorkingCopies()
{
    cleanup();
}

void WorkingCopies::setBaseFolder(const QString &dir)
{
    if (m_run) {
        m_run->remove();
        m_run.reset();
    }
    m_base = dir;
    m_folder.clear();
    m_created = false;
    m_keep = true;
    m_used.clear();
}

QString WorkingCopies::folder()
{
    // A folder that went away during the run (a temp cleaner) is made again.
    if (!m_folder.isEmpty())
        return QDir().mkpath(m_folder) ? m_folder : QString();
    if (!m_base.isEmpty()) {
        // A link in place of the folder would send every file elsewhere.
        if (QFileInfo(m_base).isSymLink())
            return QString();
        if (QDir().mkpath(m_base))
            m_folder = QFileInfo(m_base).absoluteFilePath();
        return m_folder;
    }
    // A run folder: locked for the run's life, so that the next run removes
    // it should this one be killed.
    auto run = std::make_unique<RunFolder>();
    if (!run->create())
        return QString();
    m_run = std::move(run);
    m_folder = m_run->path();
    m_created = true;
    return m_folder;
}

QString WorkingCopies::newPathFor(const QString &storedName, bool keepName)
{
    const QString name = safeFileName(storedName);
    const QString base = folder();
    if (name.isEmpty() || base.isEmpty())
        return QString();
    // The first file of a name lies in the folder itself; a later one with the
    // same name gets a numbered subfolder, so the user's file name is kept.
    if (!m_used.contains(name)) {
        const QString direct = QDir(base).filePath(name);
        if (!isTaken(direct)) {
            m_used.insert(name);
            return direct;
        }
    }
    if (!keepName) {
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString stem = dot > 0 ? name.left(dot) : name;
        const QString suffix = dot > 0 ? name.mid(dot) : QString();
        for (int attempts = 0; attempts < 1000; ++attempts) {
            const QString candidate =
                QDir(base).filePath(QStringLiteral("%1-%2%3").arg(stem).arg(++m_next).arg(suffix));
            if (!isTaken(candidate))
                return candidate;
        }
        return QString();
    }
    for (int attempts = 0; attempts < 1000; ++attempts) {
        const QString sub = QDir(base).filePath(QString::number(++m_next));
        if (isTaken(sub))
            continue;
        // A command that writes no copy needs only a path of its own.
        if (workingCopiesWritten() && !QDir().mkpath(sub))
            return QString();
        return QDir(sub).filePath(name);
    }
    return QString();
}

QString WorkingCopies::copyIn(const QString &sourcePath, const QString &workingName, bool keepName,
                              QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QString();
    };
    // Only a regular file of at most 1 GiB, opened without blocking: a fifo
    // or a device would block or never end.
    QString why;
    const int fd = openAttachment(sourcePath, &why);
    if (fd < 0)
        return fail(why);
    QFile source;
    if (!source.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(source.errorString());
    }
    const QFileInfo info(sourcePath);
    const QString target =
        newPathFor(workingName.isEmpty() ? info.fileName() : workingName, keepName);
    if (target.isEmpty())
        return fail(QStringLiteral("no working copy can be made in the temporary folder"));
    AtomicFile out(target);
    out.setSyncToDisk(false); // a working copy need not outlive a power cut
    if (!out.open())
        return fail(out.errorText());
    for (;;) {
        const QByteArray chunk = source.read(1 << 16);
        if (chunk.isEmpty()) {
            if (source.error() != QFileDevice::NoError)
                return fail(source.errorString()); // out discards the partial copy
            break;
        }
        if (out.write(chunk) != chunk.size())
            return fail(out.errorText());
    }
    if (!out.commit())
        return fail(out.errorText());
    return target;
}

void WorkingCopies::cleanup()
{
    if (!m_run)
        return;
    if (m_keep) {
        m_run->keep(); // the files are named elsewhere (dump's JSON)
        return;
    }
    m_run->remove();
    m_run.reset();
    m_folder.clear();
    m_created = false;
    m_used.clear();
}

QString safeFileName(const QString &storedName)
{
    qsizetype cut = -1;
    for (qsizetype i = storedName.size() - 1; i >= 0; --i) {
        const QChar c = storedName.at(i);
        if (c == u'/' || c == u'\\') {
            cut = i;
            break;
        }
    }
    const QString name = storedName.mid(cut + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QString();
    for (const QChar c : name)
        if (c.unicode() < 0x20)
            return QString();
    return fittingFileName(name);
}

QString fittingFileName(const QString &name)
{
    if (name.toUtf8().size() <= kMaxWorkingNameBytes)
        return name;
    // The extension stays (it says what the file is); the stem is cut and a
    // digest of the whole name keeps two long names that share a start apart.
    const qsizetype dot = name.lastIndexOf(u'.');
    QString suffix = dot > 0 && name.size() - dot <= 16 ? name.mid(dot) : QString();
    const QString stem = name.left(name.size() - suffix.size());
    const QString digest = QString::fromLatin1(
        QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha256).toHex().left(12));
    const qsizetype room = kMaxWorkingNameBytes - suffix.toUtf8().size() - digest.size() - 1;
    QString cut;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < stem.size(); ++i) {
        // A surrogate pair is kept or dropped whole.
        const qsizetype width = stem.at(i).isHighSurrogate() && i + 1 < stem.size() ? 2 : 1;
        const qsizetype more = stem.mid(i, width).toUtf8().size();
        if (bytes + more > room)
            break;
        cut += stem.mid(i, width);
        bytes += more;
        i += width - 1;
    }
    return cut + u'~' + digest + suffix;
}

} // namespace stepvane
