// "Send to instruments...": the fleet as a table (check box to include,
// name, method, address, port, progress, state), its editing and CSV
// exchange, and one wizard sent to every checked instrument at once. The
// transfers run on worker threads (FleetTransfer); a timer shows their
// progress, so the editor stays responsive. Cancel stops them all within a
// second; "Retry failed" sends again to the failed ones only; "Save report"
// writes what happened as CSV.
#pragma once

#include "comm/fleet/FleetList.h"
#include "comm/fleet/FleetTransfer.h"

#include <QDialog>

#include <memory>
#include <thread>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QTimer;

namespace stepvane {

class StatusNotice;
class UserInterface;

class FleetSendDlg : public QDialog {
    Q_OBJECT
public:
    enum Column { ColName, ColMethod, ColAddress, ColPort, ColProgress, ColState, ColumnCount };

    // The list comes from the settings store; every change is written back.
    explicit FleetSendDlg(UserInterface &ui, QWidget *parent = nullptr);
    ~FleetSendDlg() override; // cancels a running transfer and waits for it

    void setFilePath(const QString &path);
    QString filePath() const { return m_filePath; }
    const FleetList &instruments() const { return m_list; }
    // What each row's last transfer did (Waiting for rows not sent yet).
    const std::vector<FleetOutcome> &outcomes() const { return m_outcomes; }
    bool transferRunning() const { return m_running; }

    void browse();
    void addInstrument();
    void editInstrument();
    void removeInstrument();
    void importCsv();
    void exportCsv();
    // Checks the wizard once, then sends it to every checked instrument.
    void send();
    void cancelTransfer();
    void retryFailed();
    void saveReport();
    // Close: refused while a transfer runs (it is cancelled; the dialog closes
    // when the transfers have ended).
    void reject() override;
    // Shows a row's state as a running transfer reports it (screenshots).
    void showOutcome(int row, const FleetOutcome &outcome);

    QTableWidget *table() const { return m_table; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *sendButton() const { return m_send; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *retryButton() const { return m_retry; }
    QPushButton *reportButton() const { return m_report; }
    QPushButton *closeButton() const { return m_close; }
    QLabel *summaryLabel() const { return m_summary; }
    StatusNotice *notice() const { return m_notice; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void fillTable();
    void storeList();
    void startTransfer(const std::vector<int> &rows);
    void poll();
    void transferDone();
    void refreshRow(int row);
    void updateControls();
    void includeChanged(QTableWidgetItem *item);
    bool editDialog(FleetInstrument &instrument, int skipIndex);

    UserInterface &m_ui;
    FleetList m_list;
    std::vector<FleetOutcome> m_outcomes;
    QString m_filePath;
    QByteArray m_content; // the bytes of the last send, kept for "Retry failed"
    QString m_contentName;
    QString m_sha256;
    std::unique_ptr<FleetTransfer> m_transfer;
    std::vector<int> m_transferRows; // list row of each instrument in m_transfer
    std::thread m_worker;
    bool m_running = false;
    bool m_closeWhenDone = false;
    bool m_filling = false;

    QLineEdit *m_path = nullptr;
    QTableWidget *m_table = nullptr;
    QPushButton *m_browse = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_import = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_retry = nullptr;
    QPushButton *m_report = nullptr;
    QPushButton *m_close = nullptr;
    QLabel *m_summary = nullptr;
    QTimer *m_timer = nullptr;
    StatusNotice *m_notice = nullptr;
};

// Opens the dialog modally for the file (the open wizard's).
void runFleetSendDialog(UserInterface &ui, QWidget *parent, const QString &filePath);

} // namespace stepvane
