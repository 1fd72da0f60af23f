// Recovery copies of the open wizard.
#include "shell/history/RecoveryCopies.h"

#include "common/AtomicFile.h"
#include "document/VX_CAAXML_PARSER.h"
#include "shell/history/DocumentHistory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>

namespace stepvane {

namespace {

const QString kWizardSuffix = QStringLiteral(".wzd");
const QString kInfoSuffix = QStringLiteral(".json");
const QString kLockSuffix = QStringLiteral(".lock");

QString pathIn(const QString &folder, const QString &id, const QString &suffix)
{
    return QDir(folder).filePath(id + suffix);
}

// A lock that counts as held only while its program runs, however long.
std::unique_ptr<QLockFile> makeLock(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    return lock;
}

} // namespace

QString RecoveryCopies::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir(state).filePath(QStringLiteral("Stepvane/recovery"));
}

std::vector<RecoveryCopies::Orphan> RecoveryCopies::orphans(const QString &folder)
{
    std::vector<Orphan> found;
    const QDir dir(folder);
    const QStringList copies =
        dir.entryList({QStringLiteral("*") + kWizardSuffix}, QDir::Files, QDir::Time);
    for (const QString &name : copies) {
        Orphan orphan;
        orphan.id = name.chopped(kWizardSuffix.size());
        // A copy whose lock is still held belongs to an editor running now.
        auto lock = makeLock(pathIn(folder, orphan.id, kLockSuffix));
        if (!lock->tryLock(0))
            continue;
        lock->unlock();
        orphan.wizardPath = dir.filePath(name);
        orphan.written = QFileInfo(orphan.wizardPath).lastModified();
        QFile info(pathIn(folder, orphan.id, kInfoSuffix));
        if (info.open(QIODevice::ReadOnly)) {
            const QJsonObject fields = QJsonDocument::fromJson(info.readAll()).object();
            orphan.originalPath = fields.value(QStringLiteral("file")).toString();
        }
        found.push_back(orphan);
    }
    return found;
}

void RecoveryCopies::discard(const QString &folder, const Orphan &orphan)
{
    for (const QString &suffix : {kWizardSuffix, kInfoSuffix, kLockSuffix})
        QFile::remove(pathIn(folder, orphan.id, suffix));
}

RecoveryCopies::RecoveryCopies(const QString &folder, DocumentHistory &history, int model,
                               QObject *parent)
    : QObject(parent), m_folder(folder), m_id(QStringLiteral("run-%1-%2")
                                                  .arg(QCoreApplication::applicationPid())
                                                  .arg(QDateTime::currentMSecsSinceEpoch())),
      m_history(history), m_model(model)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryCopies::intervalEnded);
    connect(&history, &DocumentHistory::changed, this, &RecoveryCopies::documentChanged);
    connect(&history, &DocumentHistory::modifiedChanged, this, &RecoveryCopies::modifiedChanged);
    // A wizard that has changes already (a restored one) is kept from now on.
    documentChanged();
}

RecoveryCopies::~RecoveryCopies()
{
    m_timer.stop();
    waitForWrite();
    removeCopy();
}

QString RecoveryCopies::filePath(const QString &suffix) const
{
    return pathIn(m_folder, m_id, suffix);
}

QString RecoveryCopies::copyPath() const
{
    return filePath(kWizardSuffix);
}

bool RecoveryCopies::hasCopy() const
{
    return QFileInfo(copyPath()).isFile();
}

bool RecoveryCopies::holdLock()
{
    if (m_lock && m_lock->isLocked())
        return true;
    if (!QDir().mkpath(m_folder))
        return false;
    m_lock = makeLock(filePath(kLockSuffix));
    return m_lock->tryLock(0);
}

bool RecoveryCopies::adopt(const Orphan &orphan)
{
    waitForWrite();
    if (!holdLock())
        return false;
    QFile::remove(copyPath());
    if (!QFile::rename(orphan.wizardPath, copyPath()))
        return false;
    QFile::remove(filePath(kInfoSuffix));
    QFile::rename(pathIn(m_folder, orphan.id, kInfoSuffix), filePath(kInfoSuffix));
    QFile::remove(pathIn(m_folder, orphan.id, kLockSuffix));
    return true;
}

void RecoveryCopies::documentChanged()
{
    if (!m_history.isModified())
        return;
    m_pending = true;
    m_removeWhenDone = false;
    if (!m_timer.isActive() && !m_busy)
        m_timer.start(m_interval);
}

void RecoveryCopies::modifiedChanged(bool modified)
{
    if (modified) {
        documentChanged();
        return;
    }
    // Saved, or back to what was saved: the copy has nothing left to keep.
    m_timer.stop();
    m_pending = false;
    if (m_busy)
        m_removeWhenDone = true;
    else
        removeCopy();
}

void RecoveryCopies::intervalEnded()
{
    if (!m_history.isModified() || !m_pending)
        return;
    if (m_busy) {
        m_timer.start(m_interval);
        return;
    }
    startWrite();
}

void RecoveryCopies::startWrite()
{
    if (!holdLock())
        return;
    if (m_worker.joinable())
        m_worker.join(); // the last write has ended; collect it
    m_pending = false;
    m_busy = true;
    // The window's only part: a snapshot. The wizard file is made beside it.
    auto snapshot = std::make_shared<WizardDocument>(m_history.document());
    const int model = m_model;
    const QString wizardPath = copyPath();
    const QString infoPath = filePath(kInfoSuffix);
    QJsonObject info;
    info.insert(QStringLiteral("file"), m_originalPath);
    const QByteArray infoBytes = QJsonDocument(info).toJson();
    m_worker = std::thread([this, snapshot, model, wizardPath, infoPath, infoBytes] {
        VX_CAAXML_PARSER writer(snapshot.get(), model);
        m_lastOk = writer.Save_Wizard(wizardPath) && writeFileAtomically(infoPath, infoBytes);
        // Dropped when this object is already gone (it joins this thread first).
        QMetaObject::invokeMethod(
            this, [this] { writeDone(); }, Qt::QueuedConnection);
    });
}

void RecoveryCopies::writeDone()
{
    // Settled already when someone waited for the write.
    if (!m_busy)
        return;
    if (m_worker.joinable())
        m_worker.join();
    m_busy = false;
    if (m_removeWhenDone) {
        m_removeWhenDone = false;
        removeCopy();
    } else if (m_pending && m_history.isModified() && !m_timer.isActive()) {
        m_timer.start(m_interval);
    }
    emit written(m_lastOk);
}

void RecoveryCopies::waitForWrite()
{
    // The write ends; its report, still queued, is settled here.
    writeDone();
}

bool RecoveryCopies::writeNow()
{
    if (!m_history.isModified())
        return false;
    waitForWrite();
    m_timer.stop();
    startWrite();
    waitForWrite();
    return hasCopy();
}

void RecoveryCopies::removeCopy()
{
    QFile::remove(copyPath());
    QFile::remove(filePath(kInfoSuffix));
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

} // namespace stepvane
