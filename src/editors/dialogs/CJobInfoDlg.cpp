// The job information dialog.
#include "editors/dialogs/CJobInfoDlg.h"

#include "widgets/ControlOrder.h"
#include "widgets/TextFieldRules.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace stepvane {

const QStringList &CJobInfoDlg::rowNames()
{
    static const QStringList names = {QStringLiteral("Engineer"), QStringLiteral("Test Purpose"),
                                      QStringLiteral("Site Information"), QStringLiteral("Result"),
                                      QStringLiteral("Remark")};
    return names;
}

CJobInfoDlg::CJobInfoDlg(const JobInfo &values, QWidget *parent) : InfoDialog(parent)
{
    setWindowTitle(QStringLiteral("Job Information"));
    auto *grid = new QGridLayout(this);
    for (int row = 0; row < kJobCount; ++row) {
        auto *name = new QLineEdit(values.names[size_t(row)], this);
        name->setObjectName(QStringLiteral("job%1").arg(row));
        name->setMinimumWidth(260);
        auto *check = new QCheckBox(this);
        check->setObjectName(QStringLiteral("jobCheck%1").arg(row));
        check->setChecked(values.checks[size_t(row)] != 0);
        check->setText(QStringLiteral("In report"));
        check->setAccessibleName(rowNames().at(row) + QStringLiteral(" in report"));
        grid->addWidget(new QLabel(rowNames().at(row), this), row, 0);
        grid->addWidget(name, row, 1);
        grid->addWidget(check, row, 2);
        m_names[size_t(row)] = name;
        m_checks[size_t(row)] = check;
    }
    grid->addWidget(closeButton(), kJobCount, 1, 1, 2, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
    arrangeControls(this);
    keepWizardTextIn(this);
}

JobInfo CJobInfoDlg::values() const
{
    JobInfo out;
    for (size_t row = 0; row < size_t(kJobCount); ++row) {
        out.names[row] = m_names[row]->text();
        out.checks[row] = m_checks[row]->isChecked() ? 1 : 0;
    }
    return out;
}

} // namespace stepvane
