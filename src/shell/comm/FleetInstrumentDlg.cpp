// The dialog for one fleet entry.
#include "shell/comm/FleetInstrumentDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace stepvane {

FleetInstrumentDlg::FleetInstrumentDlg(const FleetList &list, const FleetInstrument &start,
                                       int skipIndex, QWidget *parent)
    : QDialog(parent), m_list(list), m_skip(skipIndex)
{
    setWindowTitle(skipIndex < 0 ? QStringLiteral("Add instrument")
                                 : QStringLiteral("Edit instrument"));
    m_name = new QLineEdit(start.name, this);
    m_name->setMaxLength(kMaxFleetNameLength);
    m_method = new QComboBox(this);
    m_method->addItem(QStringLiteral("TCP/IP(IPv4)"), int(kMethodIPv4));
    m_method->addItem(QStringLiteral("TCP/IP(IPv6)"), int(kMethodIPv6));
    m_method->addItem(QStringLiteral("USB"), int(kMethodUsb));
    m_method->setCurrentIndex(std::max(0, m_method->findData(start.method)));
    m_address = new QLineEdit(start.address, this);
    m_port = new QSpinBox(this);
    m_port->setRange(1, 65535);
    m_port->setValue(start.port);
    m_problem = new QLabel(this);
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #b00020"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Name"), m_name);
    form->addRow(QStringLiteral("Method"), m_method);
    form->addRow(QStringLiteral("Address"), m_address);
    form->addRow(QStringLiteral("Port"), m_port);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FleetInstrumentDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FleetInstrumentDlg::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    connect(m_method, &QComboBox::currentIndexChanged, this, &FleetInstrumentDlg::methodChanged);
    methodChanged();
    // The proposed name is there to be typed over.
    m_name->selectAll();
    m_name->setFocus();
}

void FleetInstrumentDlg::methodChanged()
{
    const bool tcp = m_method->currentData().toInt() != kMethodUsb;
    m_address->setEnabled(tcp);
    m_port->setEnabled(tcp);
}

FleetInstrument FleetInstrumentDlg::instrument() const
{
    FleetInstrument in;
    in.name = m_name->text().trimmed();
    in.method = m_method->currentData().toInt();
    in.address = in.method == kMethodUsb ? QString() : m_address->text().trimmed();
    in.port = m_port->value();
    return in;
}

void FleetInstrumentDlg::accept()
{
    const FleetInstrument in = instrument();
    QString problem = fleetEntryProblem(in);
    if (problem.isEmpty())
        problem = fleetConflict(m_list, in, m_skip);
    if (!problem.isEmpty()) {
        m_problem->setText(problem.left(1).toUpper() + problem.mid(1) + u'.');
        return;
    }
    QDialog::accept();
}

} // namespace stepvane
