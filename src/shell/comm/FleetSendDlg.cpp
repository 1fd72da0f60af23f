// The "Send to instruments..." dialog.
#include "shell/comm/FleetSendDlg.h"

#include "common/AtomicFile.h"
#include "shell/check/SendCheck.h"
#include "shell/comm/FleetInstrumentDlg.h"
#include "shell/dialogs/StatusNotice.h"
#include "widgets/UserInterface.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace stepvane {

namespace {

constexpr int kPollMs = 100;
const QString kCsvFilter = QStringLiteral("CSV file(*.csv)|*.csv|");
const QString kEmptyListText =
    QStringLiteral("The list has no instruments yet: add one with Add, or a list with Import CSV.");

QString methodLabel(int method)
{
    return method == kMethodUsb    ? QStringLiteral("USB")
           : method == kMethodIPv6 ? QStringLiteral("TCP/IP(IPv6)")
                                   : QStringLiteral("TCP/IP(IPv4)");
}

} // namespace

FleetSendDlg::FleetSendDlg(UserInterface &ui, QWidget *parent)
    : QDialog(parent), m_ui(ui), m_list(loadFleet()), m_outcomes(m_list.size())
{
    setWindowTitle(QStringLiteral("Send to instruments"));
    buildControls();
    fillTable();
    m_timer = new QTimer(this);
    m_timer->setInterval(kPollMs);
    connect(m_timer, &QTimer::timeout, this, &FleetSendDlg::poll);
    updateControls();
}

FleetSendDlg::~FleetSendDlg()
{
    // No worker outlives the transfer it drives.
    if (m_transfer)
        m_transfer->cancel();
    if (m_worker.joinable())
        m_worker.join();
}

void FleetSendDlg::buildControls()
{
    auto *pathRow = new QHBoxLayout;
    m_path = new QLineEdit(this);
    m_path->setReadOnly(true);
    m_browse = new QPushButton(QStringLiteral("Browse"), this);
    pathRow->addWidget(new QLabel(QStringLiteral("File"), this));
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Method"),
                                        QStringLiteral("Address"), QStringLiteral("Port"),
                                        QStringLiteral("Progress"), QStringLiteral("State")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(ColState, QHeaderView::Stretch);
    m_table->setMinimumWidth(720);
    connect(m_table, &QTableWidget::itemChanged, this, &FleetSendDlg::includeChanged);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &FleetSendDlg::updateControls);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { editInstrument(); });

    auto button = [this](const QString &text, void (FleetSendDlg::*slot)()) {
        auto *b = new QPushButton(text, this);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    m_add = button(QStringLiteral("Add"), &FleetSendDlg::addInstrument);
    m_edit = button(QStringLiteral("Edit"), &FleetSendDlg::editInstrument);
    m_remove = button(QStringLiteral("Remove"), &FleetSendDlg::removeInstrument);
    m_import = button(QStringLiteral("Import CSV"), &FleetSendDlg::importCsv);
    m_export = button(QStringLiteral("Export CSV"), &FleetSendDlg::exportCsv);
    m_send = button(QStringLiteral("Send"), &FleetSendDlg::send);
    m_cancel = button(QStringLiteral("Cancel"), &FleetSendDlg::cancelTransfer);
    m_retry = button(QStringLiteral("Retry failed"), &FleetSendDlg::retryFailed);
    m_report = button(QStringLiteral("Save report"), &FleetSendDlg::saveReport);
    m_close = button(QStringLiteral("Close"), &FleetSendDlg::reject);
    connect(m_browse, &QPushButton::clicked, this, &FleetSendDlg::browse);
    m_send->setDefault(true);

    auto *listButtons = new QHBoxLayout;
    for (QPushButton *b : {m_add, m_edit, m_remove, m_import, m_export})
        listButtons->addWidget(b);
    listButtons->addStretch(1);
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    auto *sendButtons = new QHBoxLayout;
    sendButtons->addWidget(m_summary, 1);
    for (QPushButton *b : {m_send, m_cancel, m_retry, m_report, m_close})
        sendButtons->addWidget(b);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addWidget(m_table, 1);
    layout->addLayout(listButtons);
    layout->addLayout(sendButtons);
    m_notice = new StatusNotice(m_ui, this);
    layout->addWidget(m_notice);
}

void FleetSendDlg::fillTable()
{
    m_filling = true;
    m_table->setRowCount(int(m_list.size()));
    for (int row = 0; row < int(m_list.size()); ++row) {
        const FleetInstrument &in = m_list[size_t(row)];
        auto *name = new QTableWidgetItem(in.name);
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        name->setCheckState(in.included ? Qt::Checked : Qt::Unchecked);
        m_table->setItem(row, ColName, name);
        m_table->setItem(row, ColMethod, new QTableWidgetItem(methodLabel(in.method)));
        m_table->setItem(row, ColAddress, new QTableWidgetItem(in.address));
        m_table->setItem(
            row, ColPort,
            new QTableWidgetItem(in.method == kMethodUsb ? QString() : QString::number(in.port)));
        m_table->setItem(row, ColState, new QTableWidgetItem);
        auto *bar = new QProgressBar(m_table);
        bar->setTextVisible(false);
        m_table->setCellWidget(row, ColProgress, bar);
        refreshRow(row);
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setSectionResizeMode(ColState, QHeaderView::Stretch);
    m_filling = false;
}

void FleetSendDlg::refreshRow(int row)
{
    const FleetOutcome &o = m_outcomes[size_t(row)];
    if (auto *bar = qobject_cast<QProgressBar *>(m_table->cellWidget(row, ColProgress))) {
        bar->setRange(0, std::max(1, o.maximum));
        bar->setValue(o.state == FleetState::Waiting && !m_running ? 0 : o.value);
    }
    QString text = fleetStateText(o.state);
    if (o.state == FleetState::Waiting && !m_running)
        text.clear(); // nothing sent yet
    if (o.state == FleetState::Failed && !o.message.isEmpty())
        text += QStringLiteral(": ") + o.message;
    QTableWidgetItem *item = m_table->item(row, ColState);
    item->setText(text);
    item->setToolTip(o.message);
    item->setForeground(o.state == FleetState::Failed ? QColor(0xB0, 0x00, 0x20)
                        : o.state == FleetState::Done ? QColor(0x1B, 0x5E, 0x20)
                                                      : palette().color(QPalette::Text));
}

void FleetSendDlg::showOutcome(int row, const FleetOutcome &outcome)
{
    if (row < 0 || row >= int(m_list.size()))
        return;
    m_outcomes[size_t(row)] = outcome;
    refreshRow(row);
}

void FleetSendDlg::updateControls()
{
    const bool idle = !m_running;
    const bool selected = !m_table->selectedItems().isEmpty();
    for (QPushButton *b : {m_add, m_import, m_browse, m_send, m_close})
        b->setEnabled(idle);
    m_edit->setEnabled(idle && selected);
    m_remove->setEnabled(idle && selected);
    m_export->setEnabled(idle && !m_list.empty());
    m_cancel->setEnabled(m_running);
    const bool anyFailed =
        std::any_of(m_outcomes.begin(), m_outcomes.end(),
                    [](const FleetOutcome &o) { return o.state == FleetState::Failed; });
    const bool anyEnded = std::any_of(m_outcomes.begin(), m_outcomes.end(),
                                      [](const FleetOutcome &o) { return o.ended(); });
    m_retry->setEnabled(idle && anyFailed && !m_contentName.isEmpty());
    m_report->setEnabled(idle && anyEnded);
    if (m_list.empty())
        m_summary->setText(kEmptyListText);
    else if (m_summary->text() == kEmptyListText)
        m_summary->clear();
}

void FleetSendDlg::setFilePath(const QString &path)
{
    m_filePath = path;
    m_path->setText(path);
}

void FleetSendDlg::browse()
{
    const QString path =
        m_ui.openFile(this, QStringLiteral("Attach file"),
                      QStringLiteral("Stepvane File(*.wzd)|*.wzd|"), QStringLiteral("wzd"));
    if (!path.isEmpty())
        setFilePath(path);
}

void FleetSendDlg::storeList()
{
    if (!saveFleet(m_list))
        m_ui.report(Message::fromText(QStringLiteral("Error Write to Registry")));
}

bool FleetSendDlg::editDialog(FleetInstrument &instrument, int skipIndex)
{
    FleetInstrumentDlg dialog(m_list, instrument, skipIndex, this);
    if (m_ui.runModal(dialog) != QDialog::Accepted)
        return false;
    const bool included = instrument.included;
    instrument = dialog.instrument();
    instrument.included = included;
    return true;
}

void FleetSendDlg::addInstrument()
{
    FleetInstrument in;
    in.name = QStringLiteral("Instrument %1").arg(m_list.size() + 1);
    if (!editDialog(in, -1))
        return;
    m_list.push_back(in);
    m_outcomes.emplace_back();
    storeList();
    fillTable();
    m_table->selectRow(int(m_list.size()) - 1);
    updateControls();
}

void FleetSendDlg::editInstrument()
{
    const int row = m_table->currentRow();
    if (m_running || row < 0 || row >= int(m_list.size()))
        return;
    FleetInstrument in = m_list[size_t(row)];
    if (!editDialog(in, row))
        return;
    m_list[size_t(row)] = in;
    m_outcomes[size_t(row)] = FleetOutcome(); // a new address: the old result is no longer its
    storeList();
    fillTable();
    m_table->selectRow(row);
}

void FleetSendDlg::removeInstrument()
{
    const int row = m_table->currentRow();
    if (m_running || row < 0 || row >= int(m_list.size()))
        return;
    m_list.erase(m_list.begin() + row);
    m_outcomes.erase(m_outcomes.begin() + row);
    storeList();
    fillTable();
    updateControls();
}

void FleetSendDlg::includeChanged(QTableWidgetItem *item)
{
    if (m_filling || item->column() != ColName || item->row() >= int(m_list.size()))
        return;
    m_list[size_t(item->row())].included = item->checkState() == Qt::Checked;
    storeList();
}

void FleetSendDlg::importCsv()
{
    const QString path =
        m_ui.openFile(this, QStringLiteral("Import CSV"), kCsvFilter, QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    const FleetCsvResult read = readFleetCsv(path);
    if (!read.ok()) {
        // Nothing of a refused file is kept: the list stays as it was.
        m_ui.report(Message::fromText(QStringLiteral("%s cannot be imported: %s"),
                                      {QFileInfo(path).fileName(), read.message()}));
        return;
    }
    m_list = read.list;
    m_outcomes.assign(m_list.size(), FleetOutcome());
    storeList();
    fillTable();
    updateControls();
}

void FleetSendDlg::exportCsv()
{
    const QString path = m_ui.saveFile(this, QStringLiteral("Export CSV"), kCsvFilter,
                                       QStringLiteral("csv"), QStringLiteral("fleet.csv"), false)
                             .path;
    if (path.isEmpty())
        return;
    QString error;
    if (!writeFleetCsv(path, m_list, &error))
        m_ui.report(Message::fromId(QStringLiteral("IDS_SAVE_FAIL")).withDetail(error));
    else
        showWrittenNotice(m_ui, this, QStringLiteral("Instrument list"), path);
}

void FleetSendDlg::send()
{
    if (m_running)
        return;
    std::vector<int> rows;
    for (int row = 0; row < int(m_list.size()); ++row)
        if (m_list[size_t(row)].included)
            rows.push_back(row);
    if (rows.empty()) {
        m_ui.report(Message::fromText(m_list.empty() ? kEmptyListText
                                                     : QStringLiteral("Check at least one "
                                                                      "instrument to send to.")));
        return;
    }
    // The check runs once for the whole fleet, as it does before Send to EQP.
    if (!confirmSendAfterCheck(m_ui, m_filePath, this))
        return;
    QFile file(m_filePath);
    QByteArray content;
    if (QFileInfo(m_filePath).isFile() && file.open(QIODevice::ReadOnly))
        content = file.readAll();
    if (!file.isOpen() || content.size() != file.size()) {
        m_ui.report(
            Message::fromText(QStringLiteral("Read file Error"), {}, MessageIcon::Information));
        return;
    }
    m_content = content;
    m_contentName = QFileInfo(file).fileName();
    m_sha256 = sha256Hex(m_content);
    for (FleetOutcome &o : m_outcomes)
        o = FleetOutcome();
    startTransfer(rows);
}

void FleetSendDlg::retryFailed()
{
    std::vector<int> rows;
    for (int row = 0; row < int(m_outcomes.size()); ++row)
        if (m_outcomes[size_t(row)].state == FleetState::Failed)
            rows.push_back(row);
    if (m_running || rows.empty() || m_contentName.isEmpty())
        return;
    startTransfer(rows);
}

void FleetSendDlg::startTransfer(const std::vector<int> &rows)
{
    FleetList targets;
    for (int row : rows) {
        targets.push_back(m_list[size_t(row)]);
        m_outcomes[size_t(row)] = FleetOutcome();
    }
    if (m_worker.joinable())
        m_worker.join();
    m_transfer = std::make_unique<FleetTransfer>(targets, CommSettings::load());
    m_transferRows = rows;
    m_running = true;
    m_summary->setText(QStringLiteral("Sending to %1 instruments...").arg(rows.size()));
    for (int row : rows)
        refreshRow(row);
    updateControls();
    QPointer<FleetSendDlg> self(this);
    m_worker = std::thread([this, self, transfer = m_transfer.get()] {
        transfer->send(m_contentName, m_content);
        QMetaObject::invokeMethod(
            self, [this] { transferDone(); }, Qt::QueuedConnection);
    });
    m_timer->start();
}

void FleetSendDlg::poll()
{
    if (!m_transfer)
        return;
    const std::vector<FleetOutcome> now = m_transfer->snapshot();
    for (size_t i = 0; i < now.size() && i < m_transferRows.size(); ++i) {
        m_outcomes[size_t(m_transferRows[i])] = now[i];
        refreshRow(m_transferRows[i]);
    }
}

void FleetSendDlg::transferDone()
{
    if (m_worker.joinable())
        m_worker.join();
    m_timer->stop();
    m_running = false;
    poll();
    // The whole fleet as it stands, also after a retry of a few rows.
    int counts[3] = {0, 0, 0};
    for (const FleetOutcome &o : m_outcomes)
        if (o.ended())
            ++counts[o.state == FleetState::Done ? 0 : o.state == FleetState::Failed ? 1 : 2];
    QString summary = QStringLiteral("%1 done, %2 failed").arg(counts[0]).arg(counts[1]);
    if (counts[2] > 0)
        summary += QStringLiteral(", %1 cancelled").arg(counts[2]);
    m_summary->setText(summary);
    updateControls();
    if (m_closeWhenDone)
        QDialog::reject();
}

void FleetSendDlg::cancelTransfer()
{
    if (m_transfer && m_running)
        m_transfer->cancel();
}

void FleetSendDlg::saveReport()
{
    FleetList rows;
    std::vector<FleetOutcome> outcomes;
    for (size_t i = 0; i < m_list.size(); ++i) {
        if (!m_outcomes[i].ended())
            continue;
        rows.push_back(m_list[i]);
        outcomes.push_back(m_outcomes[i]);
    }
    if (m_running || rows.empty())
        return;
    const QString path =
        m_ui.saveFile(this, QStringLiteral("Save report"), kCsvFilter, QStringLiteral("csv"),
                      QStringLiteral("fleet-report.csv"), false)
            .path;
    if (path.isEmpty())
        return;
    QString error;
    if (!writeFleetReport(path, rows, outcomes, m_sha256, &error)) {
        m_ui.report(Message::fromId(QStringLiteral("IDS_SAVE_FAIL")).withDetail(error));
        return;
    }
    showWrittenNotice(m_ui, this, QStringLiteral("Report"), path);
}

void FleetSendDlg::reject()
{
    if (m_running) {
        m_closeWhenDone = true;
        cancelTransfer();
        return;
    }
    QDialog::reject();
}

void FleetSendDlg::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}

void runFleetSendDialog(UserInterface &ui, QWidget *parent, const QString &filePath)
{
    FleetSendDlg dialog(ui, parent);
    dialog.setFilePath(filePath);
    ui.runModal(dialog);
}

} // namespace stepvane
