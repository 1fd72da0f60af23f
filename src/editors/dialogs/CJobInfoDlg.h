// CJobInfoDlg ("Job Information"): the five job texts of a save or report
// step, each with the check box that puts it into the report.
#pragma once

#include "editors/dialogs/InfoDialog.h"
#include "editors/dialogs/ReportInfo.h"

class QCheckBox;
class QLineEdit;

namespace stepvane {

class CJobInfoDlg : public InfoDialog {
    Q_OBJECT
public:
    explicit CJobInfoDlg(const JobInfo &values, QWidget *parent = nullptr);

    // The labels of the five rows, in order.
    static const QStringList &rowNames();

    JobInfo values() const;
    QLineEdit *nameField(int row) const { return m_names[size_t(row)]; }
    QCheckBox *checkBox(int row) const { return m_checks[size_t(row)]; }

private:
    std::array<QLineEdit *, kJobCount> m_names{};
    std::array<QCheckBox *, kJobCount> m_checks{};
};

} // namespace stepvane
