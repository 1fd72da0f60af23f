// The communication dialog: controls, modes, settings, and the transfers on a
// worker thread.
#include "shell/comm/CDlgComm.h"

#include "comm/TransferWorkflow.h"
#include "shell/check/SendCheck.h"
#include "widgets/IPv4AddressEdit.h"
#include "widgets/UserInterface.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace stepvane {

// The workflow reports on the worker thread; the messages are shown on the
// dialog's thread, in order, before the dialog hears that the worker ended.
class CDlgComm::ForwardingSink : public MessageSink {
public:
    ForwardingSink(CDlgComm &dialog, UserInterface &ui) : m_dialog(&dialog), m_ui(ui) {}
    void report(const Message &message) override
    {
        UserInterface *ui = &m_ui;
        QMetaObject::invokeMethod(
            m_dialog, [ui, message] { ui->report(message); }, Qt::QueuedConnection);
    }

private:
    QPointer<CDlgComm> m_dialog;
    UserInterface &m_ui;
};

namespace {

QString modeTitle(CommDialogMode mode)
{
    switch (mode) {
    case CommDialogMode::Send:
        return QStringLiteral("Send to Spanlyx");
    case CommDialogMode::FetchSetup:
        return QStringLiteral("Load Setup file From EQP");
    case CommDialogMode::Settings:
        break;
    }
    return QStringLiteral("Communication");
}

} // namespace

CDlgComm::CDlgComm(UserInterface &ui, CommDialogMode mode, QWidget *parent, const QString &savePath)
    : QDialog(parent), m_ui(ui), m_mode(mode), m_savePath(savePath),
      m_sink(std::make_unique<ForwardingSink>(*this, ui)),
      m_workflow(std::make_unique<TransferWorkflow>(m_sink.get()))
{
    setObjectName(QStringLiteral("CDlgComm"));
    setWindowTitle(modeTitle(mode));
    buildControls();
    loadSettings();
    applyMode();
    updateConnectText();
    m_path->clear();
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(20);
    connect(m_progressTimer, &QTimer::timeout, this, &CDlgComm::pollProgress);
}

CDlgComm::~CDlgComm()
{
    // No worker outlives the workflow it uses: ask it to stop, then wait.
    if (m_worker.joinable()) {
        m_workflow->cancel();
        m_worker.join();
    }
    m_workflow.reset();
}

void CDlgComm::buildControls()
{
    m_methodGroup = new QGroupBox(QStringLiteral("Connection method"), this);
    m_ipv4Radio = new QRadioButton(QStringLiteral("TCP/IP(IPv4)"), m_methodGroup);
    m_ipv6Radio = new QRadioButton(QStringLiteral("TCP/IP(IPv6)"), m_methodGroup);
    m_usbRadio = new QRadioButton(QStringLiteral("USB"), m_methodGroup);
    m_ipv4Radio->setObjectName(QStringLiteral("ipv4Radio"));
    m_ipv6Radio->setObjectName(QStringLiteral("ipv6Radio"));
    m_usbRadio->setObjectName(QStringLiteral("usbRadio"));

    // The IPv4 address as four byte fields, as an address control shows it.
    m_ipv4Field = new IPv4AddressEdit(m_methodGroup);
    m_ipv4Field->setObjectName(QStringLiteral("ipv4Address"));
    m_ipv6Edit = new QLineEdit(m_methodGroup);
    m_ipv6Edit->setObjectName(QStringLiteral("ipv6Address"));
    m_ipv6Edit->setMaxLength(127);
    // The instrument listens on port 66; a test set-up may use another.
    m_port = new QSpinBox(m_methodGroup);
    m_port->setObjectName(QStringLiteral("port"));
    m_port->setRange(1, 65535);
    m_port->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_port->setToolTip(QStringLiteral("TCP port of the instrument (66 unless it was changed)"));
    auto *portLabel = new QLabel(QStringLiteral("Port"), m_methodGroup);
    portLabel->setBuddy(m_port);

    auto *grid = new QGridLayout(m_methodGroup);
    grid->addWidget(m_ipv4Radio, 0, 0);
    grid->addWidget(m_ipv4Field, 0, 1);
    grid->addWidget(m_ipv6Radio, 1, 0);
    grid->addWidget(m_ipv6Edit, 1, 1);
    grid->addWidget(portLabel, 2, 0, Qt::AlignRight);
    grid->addWidget(m_port, 2, 1, Qt::AlignLeft);
    grid->addWidget(m_usbRadio, 3, 0);
    grid->setColumnStretch(1, 1);

    connect(m_ipv4Radio, &QRadioButton::clicked, this, [this] { setMethod(kMethodIPv4); });
    connect(m_ipv6Radio, &QRadioButton::clicked, this, [this] { setMethod(kMethodIPv6); });
    connect(m_usbRadio, &QRadioButton::clicked, this, [this] { setMethod(kMethodUsb); });

    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("filePath"));
    m_path->setReadOnly(true);
    m_path->setMinimumWidth(300);
    m_browse = new QPushButton(QStringLiteral("Browse"), this);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    connect(m_browse, &QPushButton::clicked, this, &CDlgComm::browse);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(true);
    m_progress->setMinimumWidth(360);

    m_connect = new QPushButton(QStringLiteral("Connect"), this);
    m_connect->setObjectName(QStringLiteral("connectButton"));
    connect(m_connect, &QPushButton::clicked, this, &CDlgComm::connectToInstrument);
    m_send = new QPushButton(QStringLiteral("Send"), this);
    m_send->setObjectName(QStringLiteral("sendButton"));
    connect(m_send, &QPushButton::clicked, this, &CDlgComm::send);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("closeButton"));
    connect(m_close, &QPushButton::clicked, this, &CDlgComm::reject);
    for (QPushButton *b : {m_connect, m_send, m_close, m_browse})
        b->setAutoDefault(false);

    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_connect);
    buttons->addStretch();
    buttons->addWidget(m_send);
    buttons->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_methodGroup);
    layout->addLayout(pathRow);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
}

void CDlgComm::applyMode()
{
    const bool settings = m_mode == CommDialogMode::Settings;
    const bool sending = m_mode == CommDialogMode::Send;
    m_methodGroup->setVisible(settings);
    m_connect->setVisible(false); // its action runs as the first step of a transfer
    m_send->setVisible(sending);
    m_path->setVisible(sending);
    m_browse->setVisible(sending);
    m_progress->setVisible(!settings);
    m_close->setVisible(settings || sending);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void CDlgComm::loadSettings()
{
    QSettings store(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
    const bool existed = store.contains(QStringLiteral("Connection/Method"));
    m_loaded = CommSettings::load(store);
    // A first run creates the key with the defaults, so it is there to edit.
    if (!existed && !m_loaded.save(store))
        m_ui.report(Message::fromText(QStringLiteral("Error Write to Registry")));

    std::array<int, 4> fields{};
    splitIPv4(m_loaded.ip, fields);
    m_ipv4Field->setFields(fields);
    m_ipv6Edit->setText(m_loaded.ipv6);
    m_port->setValue(m_loaded.port);
    setMethod(m_loaded.method);
}

CommSettings CDlgComm::shownSettings() const
{
    CommSettings s = m_loaded;
    s.method = m_method;
    s.ip = joinIPv4(m_ipv4Field->fields());
    s.ipv6 = m_ipv6Edit->text();
    s.port = m_port->value();
    return s;
}

bool CDlgComm::saveSettings()
{
    const CommSettings s = shownSettings();
    if (s.save())
        return true;
    m_ui.report(Message::fromText(QStringLiteral("Error Write to Registry")));
    return false;
}

void CDlgComm::setMethod(int method)
{
    m_method = normalisedMethod(method);
    m_ipv4Radio->setChecked(m_method == kMethodIPv4);
    m_ipv6Radio->setChecked(m_method == kMethodIPv6);
    m_usbRadio->setChecked(m_method == kMethodUsb);
    m_ipv4Field->setEnabled(m_method == kMethodIPv4);
    m_ipv6Edit->setEnabled(m_method == kMethodIPv6);
    m_port->setEnabled(m_method != kMethodUsb);
}

void CDlgComm::updateConnectText()
{
    m_connect->setText(m_workflow->isConnected() ? QStringLiteral("Disconnect")
                                                 : QStringLiteral("Connect"));
}

void CDlgComm::setTransferControlsEnabled(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_ipv4Radio, m_ipv6Radio, m_usbRadio,
                                                       m_connect, m_send, m_close, m_browse})
        w->setEnabled(enabled);
    if (enabled)
        setMethod(m_method);
    else {
        m_ipv4Field->setEnabled(false);
        m_ipv6Edit->setEnabled(false);
        m_port->setEnabled(false);
    }
}

void CDlgComm::startWorker(std::function<void()> job)
{
    if (m_running)
        return;
    if (m_worker.joinable())
        m_worker.join(); // the last worker has ended; collect it
    m_running = true;
    setTransferControlsEnabled(false);
    m_workflow->setSettings(shownSettings());
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progressTimer->start();
    QPointer<CDlgComm> self(this);
    m_worker = std::thread([this, self, job = std::move(job)] {
        job();
        // Queued behind every message the job reported; dropped if the
        // dialog is already gone (its destructor joins this thread first).
        QMetaObject::invokeMethod(
            self, [this] { workerDone(); }, Qt::QueuedConnection);
    });
}

void CDlgComm::workerDone()
{
    if (m_worker.joinable())
        m_worker.join();
    m_running = false;
    m_progressTimer->stop();
    pollProgress();
    setTransferControlsEnabled(true);
    updateConnectText();
    if (m_finishedHandler)
        m_finishedHandler();
    if (m_mode == CommDialogMode::FetchSetup) {
        m_receivedOk = m_workerResult.load() && m_workflow->receivedOk();
        // A short pause with the bar at its end, then the dialog closes itself.
        QTimer::singleShot(500, this, [this] {
            m_workflow->disconnect();
            saveSettings();
            done(m_receivedOk ? QDialog::Accepted : QDialog::Rejected);
        });
    }
}

void CDlgComm::pollProgress()
{
    const TransferProgress p = m_workflow->progress();
    const int maximum = qMax(1, p.maximum);
    if (m_progress->maximum() != maximum)
        m_progress->setRange(0, maximum);
    m_progress->setValue(qBound(0, p.value, maximum));
}

void CDlgComm::connectToInstrument()
{
    startWorker([this] { m_workerResult = m_workflow->connect(); });
}

void CDlgComm::send()
{
    const QString path = m_filePath;
    if (!confirmSendAfterCheck(m_ui, path, this))
        return;
    startWorker(
        [this, path] { m_workerResult = m_workflow->sendFile(path) == TransferStatus::Completed; });
}

void CDlgComm::startFetch()
{
    if (m_fetchStarted)
        return;
    m_fetchStarted = true;
    const QString path = m_savePath;
    startWorker([this, path] {
        m_workerResult = m_workflow->fetchSetup(path) == TransferStatus::Completed;
    });
}

void CDlgComm::setFilePath(const QString &path)
{
    m_filePath = path;
    m_path->setText(path);
}

void CDlgComm::browse()
{
    m_progress->setValue(0);
    const QString chosen = m_ui.openFileProposing(this, QStringLiteral("Attach file"),
                                                  QStringLiteral("Stepvane File(*.wzd)|*.wzd|"),
                                                  QStringLiteral("wzd"), m_filePath);
    if (chosen.isEmpty())
        return;
    m_filePath = chosen;
    m_path->setText(chosen);
}

void CDlgComm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_mode == CommDialogMode::FetchSetup && !m_fetchStarted)
        QTimer::singleShot(0, this, &CDlgComm::startFetch);
}

void CDlgComm::reject()
{
    if (m_running)
        return; // a transfer cannot be walked away from; it ends by itself
    m_workflow->disconnect();
    saveSettings();
    QDialog::reject();
}

void CDlgComm::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace stepvane
