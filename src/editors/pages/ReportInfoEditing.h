// Opening the tag, job and company dialogs from the save and report pages:
// the dialog is made from the record's values and, when it is closed with
// "Close" or the close box, its values go back through apply, which the page
// runs as one change through the page framework. Escape writes nothing.
#pragma once

#include "editors/dialogs/CCompanyInfoDlg.h"
#include "editors/dialogs/CJobInfoDlg.h"
#include "editors/dialogs/CTallyvaultDlg.h"
#include "widgets/UserInterface.h"

#include <functional>

namespace stepvane {

enum class ReportInfo { Tags, Job, Company };

template <typename R>
void editReportInfo(UserInterface &ui, QWidget *parent, ReportInfo which, const R &record,
                    const std::function<void(const std::function<void(R &)> &)> &apply)
{
    switch (which) {
    case ReportInfo::Tags: {
        CTallyvaultDlg dialog(tagTextsOf(record), parent);
        if (ui.runModal(dialog) == QDialog::Accepted)
            apply([values = dialog.values()](R &r) { setTagTexts(r, values); });
        break;
    }
    case ReportInfo::Job: {
        CJobInfoDlg dialog(jobInfoOf(record), parent);
        if (ui.runModal(dialog) == QDialog::Accepted)
            apply([values = dialog.values()](R &r) { setJobInfo(r, values); });
        break;
    }
    case ReportInfo::Company: {
        CCompanyInfoDlg dialog(ui, companyInfoOf(record), parent);
        if (ui.runModal(dialog) == QDialog::Accepted) {
            CCompanyInfoDlg::remember(dialog.values());
            apply([values = dialog.values()](R &r) { setCompanyInfo(r, values); });
        }
        break;
    }
    }
}

} // namespace stepvane
