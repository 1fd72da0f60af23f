// Add or edit one instrument of the fleet: name, method, address and port.
// OK checks the entry with the fleet's own rules and keeps the dialog open,
// with the reason shown, while it would be refused.
#pragma once

#include "comm/fleet/FleetList.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace stepvane {

class FleetInstrumentDlg : public QDialog {
    Q_OBJECT
public:
    // skipIndex: the entry being edited (its own name is not a clash), or -1.
    FleetInstrumentDlg(const FleetList &list, const FleetInstrument &start, int skipIndex,
                       QWidget *parent = nullptr);

    FleetInstrument instrument() const;
    QLineEdit *nameEdit() const { return m_name; }
    QComboBox *methodBox() const { return m_method; }
    QLineEdit *addressEdit() const { return m_address; }
    QSpinBox *portBox() const { return m_port; }
    QLabel *problemLabel() const { return m_problem; }

    void accept() override;

private:
    void methodChanged();

    const FleetList &m_list;
    int m_skip;
    QLineEdit *m_name = nullptr;
    QComboBox *m_method = nullptr;
    QLineEdit *m_address = nullptr;
    QSpinBox *m_port = nullptr;
    QLabel *m_problem = nullptr;
};

} // namespace stepvane
