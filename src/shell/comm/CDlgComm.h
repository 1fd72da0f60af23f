// The communication dialog, in three modes: "Send to Spanlyx" (pick a wizard
// file and send it), "Load Setup file From EQP" (fetch the instrument's setup
// into a file at once, then close) and "Communication" (the connection method
// and addresses). Transfers run on a worker thread with a progress bar; while
// one runs, every control that could start another, and Close, are disabled,
// and the dialog cannot be closed. The worker is always joined before the
// dialog goes away.
#pragma once

#include "comm/CommSettings.h"
#include "shell/comm/CommDialogLauncher.h"

#include <QDialog>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

namespace stepvane {

class IPv4AddressEdit;
class TransferWorkflow;
class UserInterface;

class CDlgComm : public QDialog {
    Q_OBJECT
public:
    CDlgComm(UserInterface &ui, CommDialogMode mode, QWidget *parent = nullptr,
             const QString &savePath = QString());
    ~CDlgComm() override;

    CommDialogMode mode() const { return m_mode; }
    // Mode FetchSetup: whether a setup was received and written.
    bool receivedOk() const { return m_receivedOk; }
    bool transferRunning() const { return m_running; }
    int method() const { return m_method; }
    // The settings as the controls show them now.
    CommSettings shownSettings() const;

    QRadioButton *ipv4Radio() const { return m_ipv4Radio; }
    QRadioButton *ipv6Radio() const { return m_ipv6Radio; }
    QRadioButton *usbRadio() const { return m_usbRadio; }
    IPv4AddressEdit *ipv4Field() const { return m_ipv4Field; }
    QLineEdit *ipv6Edit() const { return m_ipv6Edit; }
    QSpinBox *portField() const { return m_port; }
    QGroupBox *methodGroup() const { return m_methodGroup; }
    QPushButton *connectButton() const { return m_connect; }
    QPushButton *sendButton() const { return m_send; }
    QPushButton *closeButton() const { return m_close; }
    QPushButton *browseButton() const { return m_browse; }
    QProgressBar *progressBar() const { return m_progress; }
    QLineEdit *pathEdit() const { return m_path; }

    // The file to send (Send mode), shown in the path field.
    void setFilePath(const QString &path);
    QString filePath() const { return m_filePath; }
    void browse();
    void send();
    void connectToInstrument();
    // Close (and the close box, and Escape): releases the connection, saves the
    // settings and closes. Refused while a transfer runs.
    void reject() override;

    // Called when a transfer's worker has ended and its messages were shown.
    void setTransferFinishedHandler(std::function<void()> handler)
    {
        m_finishedHandler = std::move(handler);
    }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void applyMode();
    void loadSettings();
    bool saveSettings();
    void setMethod(int method);
    void setTransferControlsEnabled(bool enabled);
    void startWorker(std::function<void()> job);
    void workerDone();
    void pollProgress();
    void startFetch();
    void updateConnectText();

    class ForwardingSink;

    UserInterface &m_ui;
    CommDialogMode m_mode;
    QString m_savePath;
    QString m_filePath;
    int m_method = kMethodUsb;
    CommSettings m_loaded; // what the store held: port and USB ids are kept as they are
    bool m_receivedOk = false;
    bool m_running = false;
    bool m_fetchStarted = false;
    std::unique_ptr<ForwardingSink> m_sink;
    std::unique_ptr<TransferWorkflow> m_workflow;
    std::thread m_worker;
    std::atomic<bool> m_workerResult{false};
    std::function<void()> m_finishedHandler;

    QGroupBox *m_methodGroup = nullptr;
    QRadioButton *m_ipv4Radio = nullptr;
    QRadioButton *m_ipv6Radio = nullptr;
    QRadioButton *m_usbRadio = nullptr;
    IPv4AddressEdit *m_ipv4Field = nullptr;
    QLineEdit *m_ipv6Edit = nullptr;
    QSpinBox *m_port = nullptr;
    QPushButton *m_connect = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_close = nullptr;
    QPushButton *m_browse = nullptr;
    QProgressBar *m_progress = nullptr;
    QLineEdit *m_path = nullptr;
    QTimer *m_progressTimer = nullptr;
};

} // namespace stepvane
