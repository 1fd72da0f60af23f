// One wizard to many instruments at once, or each instrument's setup into a
// folder: one TransferWorkflow (so one CDevComm and one connection) per
// instrument, each on its own thread, so a slow, silent or faulty instrument
// never holds up another. Every instrument gets exactly the frames a single
// send gives; the file's bytes are held once and shared by every transfer.
#pragma once

#include "comm/CommSettings.h"
#include "comm/fleet/FleetList.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace stepvane {

class OutputFolder;
class TransferWorkflow;

enum class FleetState { Waiting, Connecting, Transferring, Done, Failed, Cancelled };

// "waiting", "connecting", "sending" (or "fetching"), "done", "failed", "cancelled".
QString fleetStateText(FleetState state, bool fetching = false);

struct FleetOutcome {
    FleetState state = FleetState::Waiting;
    int value = 0; // progress position and range, as the single transfer shows them
    int maximum = 100;
    QString message;  // the transfer's messages, in the program's words
    qint64 bytes = 0; // bytes of the file sent, or of the setup saved
    double seconds = 0;
    QDateTime finished; // UTC; invalid while it runs
    QString savedPath;  // fetch: where the setup went
    bool ended() const { return state >= FleetState::Done; }
};

class FleetTransfer {
public:
    // base gives what the list does not hold (the USB ids).
    explicit FleetTransfer(FleetList targets, CommSettings base = CommSettings());
    // Cancels and waits for every transfer to end.
    ~FleetTransfer();
    FleetTransfer(const FleetTransfer &) = delete;
    FleetTransfer &operator=(const FleetTransfer &) = delete;

    // At most this many transfers at once; 0 (the default) runs all at once.
    void setJobs(int jobs) { m_jobs = jobs; }
    // Called once per instrument as it ends, on that instrument's thread;
    // calls never overlap.
    using EndedCallback = std::function<void(int index, const FleetOutcome &outcome)>;
    void setEndedCallback(EndedCallback callback) { m_ended = std::move(callback); }

    // Both block until every instrument has ended; true when all completed.
    // send: name is the file's name without its folder, content its bytes.
    bool send(const QString &name, const QByteArray &content);
    // Each setup goes to folder/<file name>.sta (fleetFileNames); the folder
    // is open already and outlives the call.
    bool fetch(const OutputFolder &folder);

    // Stops every transfer at its next wait or piece (within a second). Any thread.
    void cancel();
    // Only raises a flag (safe in a signal handler); the transfers hear it
    // within 20 ms.
    void requestCancel() { m_cancel = true; }
    bool cancelled() const { return m_cancel.load(); }

    const FleetList &targets() const { return m_targets; }
    // Every instrument's state now. Any thread.
    std::vector<FleetOutcome> snapshot() const;

private:
    enum class Job { Send, Fetch };
    bool run(Job job);
    void runOne(int index, Job job);
    void update(int index, const std::function<void(FleetOutcome &)> &change);

    FleetList m_targets;
    CommSettings m_base;
    int m_jobs = 0;
    EndedCallback m_ended;
    QString m_name;
    QByteArray m_content; // shared, never copied per instrument
    const OutputFolder *m_folder = nullptr;
    QStringList m_fileNames;

    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_next{0};
    mutable std::mutex m_mutex; // guards m_outcomes and m_running
    std::vector<FleetOutcome> m_outcomes;
    std::vector<TransferWorkflow *> m_running;
    std::mutex m_endedMutex;
    std::condition_variable m_wake;
    int m_active = 0;
};

// File names (without extension) for the instruments' names: every character
// but letters, digits, '.', '_' and '-' becomes '_', a leading dot too, and
// names that would then clash (ignoring case) get "_2", "_3"...
QStringList fleetFileNames(const FleetList &list);

// The report of a fleet transfer as CSV: instrument, address, result, message,
// bytes, seconds, file SHA-256 and time, one row per instrument.
QByteArray fleetReportCsv(const FleetList &list, const std::vector<FleetOutcome> &outcomes,
                          const QString &fileSha256);
// Writes that report to path, atomically and into path's folder only: a
// symbolic link as the file or as its folder is refused and left alone.
// False with the reason in error.
bool writeFleetReport(const QString &path, const FleetList &list,
                      const std::vector<FleetOutcome> &outcomes, const QString &fileSha256,
                      QString *error);
QString sha256Hex(const QByteArray &bytes);

} // namespace stepvane
