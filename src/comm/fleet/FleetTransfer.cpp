// The concurrent fleet transfer, the file names of fetched setups and the report.
#include "comm/fleet/FleetTransfer.h"

#include "comm/CDevComm.h"
#include "comm/TransferWorkflow.h"
#include "comm/fleet/FleetMessages.h"
#include "common/MessageSink.h"
#include "common/NumberText.h"
#include "common/OutputFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <thread>

namespace stepvane {

QString fleetStateText(FleetState state, bool fetching)
{
    switch (state) {
    case FleetState::Waiting:
        return QStringLiteral("waiting");
    case FleetState::Connecting:
        return QStringLiteral("connecting");
    case FleetState::Transferring:
        return fetching ? QStringLiteral("fetching") : QStringLiteral("sending");
    case FleetState::Done:
        return QStringLiteral("done");
    case FleetState::Failed:
        return QStringLiteral("failed");
    case FleetState::Cancelled:
        return QStringLiteral("cancelled");
    }
    return QString();
}

FleetTransfer::FleetTransfer(FleetList targets, CommSettings base)
    : m_targets(std::move(targets)), m_base(std::move(base)), m_outcomes(m_targets.size()),
      m_running(m_targets.size(), nullptr)
{
}

FleetTransfer::~FleetTransfer()
{
    // run() joins its threads before it returns; a transfer object is only
    // destroyed once the thread that called send() or fetch() has ended.
    cancel();
}

void FleetTransfer::cancel()
{
    m_cancel = true;
    std::lock_guard<std::mutex> lock(m_mutex);
    for (TransferWorkflow *wf : m_running)
        if (wf)
            wf->cancel();
    m_wake.notify_all();
}

std::vector<FleetOutcome> FleetTransfer::snapshot() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_outcomes;
}

void FleetTransfer::update(int index, const std::function<void(FleetOutcome &)> &change)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    change(m_outcomes[size_t(index)]);
}

bool FleetTransfer::send(const QString &name, const QByteArray &content)
{
    m_name = name;
    m_content = content;
    return run(Job::Send);
}

bool FleetTransfer::fetch(const OutputFolder &folder)
{
    m_folder = &folder;
    m_fileNames = fleetFileNames(m_targets);
    return run(Job::Fetch);
}

bool FleetTransfer::run(Job job)
{
    const int count = int(m_targets.size());
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_outcomes.assign(size_t(count), FleetOutcome());
        m_running.assign(size_t(count), nullptr);
    }
    m_next = 0;
    const int workers = m_jobs > 0 ? std::min(m_jobs, count) : count;
    m_active = workers;
    std::vector<std::thread> threads;
    threads.reserve(size_t(workers));
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([this, job, count] {
            for (int i = m_next++; i < count; i = m_next++)
                runOne(i, job);
            std::lock_guard<std::mutex> lock(m_mutex);
            --m_active;
            m_wake.notify_all();
        });
    }
    {
        // A workflow clears its cancel flag when its operation begins, so a
        // cancel that came just before is given again until all have ended.
        std::unique_lock<std::mutex> lock(m_mutex);
        while (m_active > 0) {
            m_wake.wait_for(lock, std::chrono::milliseconds(20));
            if (m_cancel)
                for (TransferWorkflow *wf : m_running)
                    if (wf)
                        wf->cancel();
        }
    }
    for (std::thread &t : threads)
        t.join();
    const std::vector<FleetOutcome> outcomes = snapshot();
    return std::all_of(outcomes.begin(), outcomes.end(),
                       [](const FleetOutcome &o) { return o.state == FleetState::Done; });
}

void FleetTransfer::runOne(int index, Job job)
{
    const FleetInstrument &target = m_targets[size_t(index)];
    QElapsedTimer clock;
    clock.start();
    TransferStatus status = TransferStatus::Cancelled;
    QStringList texts;
    QString path;
    int value = 0;
    if (!m_cancel) {
        update(index, [](FleetOutcome &o) { o.state = FleetState::Connecting; });
        CollectingMessageSink sink;
        TransferWorkflow wf(&sink);
        wf.setSettings(target.settings(m_base));
        wf.setProgressCallback([this, index](int v, int max) {
            update(index, [v, max](FleetOutcome &o) {
                o.value = v;
                o.maximum = max;
                o.state = FleetState::Transferring;
            });
        });
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_running[size_t(index)] = &wf;
        }
        if (job == Job::Send) {
            status = wf.sendData(m_name, m_content);
        } else {
            const QString name = m_fileNames.at(index) + QStringLiteral(".sta");
            path = m_folder->filePath(name);
            status = wf.fetchSetup(*m_folder, name);
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_running[size_t(index)] = nullptr;
        }
        value = wf.progress().value;
        if (status == TransferStatus::Failed)
            texts << fleetFailureSentence(sink.messages, wf.lastError());
        else
            for (const Message &m : sink.messages)
                texts << m.text().simplified();
    }
    if (status == TransferStatus::Cancelled && texts.isEmpty())
        texts << QStringLiteral("cancelled");
    qint64 bytes = 0;
    if (job == Job::Send) {
        // The progress position counts the pieces written.
        const int piece = target.method == kMethodUsb ? CDevComm::kUsbPiece : CDevComm::kTcpPiece;
        bytes = status == TransferStatus::Completed
                    ? m_content.size()
                    : std::min<qint64>(qint64(value) * piece, m_content.size());
    } else if (status == TransferStatus::Completed) {
        bytes = QFileInfo(path).size();
    }
    FleetOutcome ended;
    update(index, [&](FleetOutcome &o) {
        o.state = status == TransferStatus::Completed ? FleetState::Done
                  : status == TransferStatus::Failed  ? FleetState::Failed
                                                      : FleetState::Cancelled;
        if (o.state == FleetState::Done)
            o.value = o.maximum;
        o.message = texts.join(QStringLiteral("; "));
        o.bytes = bytes;
        o.seconds = double(clock.elapsed()) / 1000.0;
        o.finished = QDateTime::currentDateTimeUtc();
        o.savedPath = status == TransferStatus::Completed ? path : QString();
        ended = o;
    });
    if (m_ended) {
        std::lock_guard<std::mutex> lock(m_endedMutex);
        m_ended(index, ended);
    }
}

QStringList fleetFileNames(const FleetList &list)
{
    QStringList names;
    QSet<QString> taken;
    for (const FleetInstrument &in : list) {
        QString safe;
        for (const QChar c : in.name.trimmed())
            safe +=
                (c.unicode() < 128 && (c.isLetterOrNumber() || c == u'.' || c == u'-')) || c == u'_'
                    ? c
                    : u'_';
        if (safe.isEmpty() || safe.startsWith(u'.'))
            safe.prepend(u'_'); // no hidden files, no "." or ".."
        QString unique = safe;
        for (int n = 2; taken.contains(unique.toLower()); ++n)
            unique = QStringLiteral("%1_%2").arg(safe).arg(n);
        taken.insert(unique.toLower());
        names << unique;
    }
    return names;
}

QString sha256Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QByteArray fleetReportCsv(const FleetList &list, const std::vector<FleetOutcome> &outcomes,
                          const QString &fileSha256)
{
    QByteArray out("instrument,address,result,message,bytes,seconds,file_sha256,time\n");
    for (size_t i = 0; i < list.size() && i < outcomes.size(); ++i) {
        const FleetOutcome &o = outcomes[i];
        const QString result = o.ended() ? fleetStateText(o.state) : QStringLiteral("not sent");
        out += csvField(list[i].name) + ',' + csvField(list[i].where()) + ',' + result.toLatin1() +
               ',' + csvField(o.message) + ',' + QByteArray::number(o.bytes) + ',' +
               formatDecimal(o.seconds, 3).toLatin1() + ',' + fileSha256.toLatin1() + ',' +
               (o.finished.isValid() ? o.finished.toString(Qt::ISODate).toLatin1() : QByteArray()) +
               '\n';
    }
    return out;
}

bool writeFleetReport(const QString &path, const FleetList &list,
                      const std::vector<FleetOutcome> &outcomes, const QString &fileSha256,
                      QString *error)
{
    const QFileInfo info(path);
    OutputFolder folder(info.absolutePath());
    if (!folder.open()) {
        if (error)
            *error = folder.error();
        return false;
    }
    return folder.writeFile(info.fileName(), fleetReportCsv(list, outcomes, fileSha256), error);
}

} // namespace stepvane
