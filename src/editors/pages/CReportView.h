// CReportView: the page of a Report (consolidated report) step: automation
// or manual, the folder and base file name, PDF or HTML, and the buttons
// that open the tag-identifier, company and job dialogs.
#pragma once

#include "editors/framework/RecordPage.h"
#include "editors/pages/ReportInfoEditing.h"

class QPushButton;

namespace stepvane {

class CReportView : public RecordPage<ReportTask> {
    Q_OBJECT
public:
    CReportView(PageContext &context, QWidget *parent = nullptr);

    CKiteToggleButton *automationButton() const { return m_automation; }
    CKiteToggleButton *manualButton() const { return m_manual; }
    CKiteToggleButton *pdfButton() const { return m_pdf; }
    CKiteToggleButton *htmlButton() const { return m_html; }
    CVXEdit *folderNameField() const { return m_folderName; }
    CVXEdit *fileNameField() const { return m_fileName; }
    QPushButton *tagButton() const { return m_tags; }
    QPushButton *companyButton() const { return m_company; }
    QPushButton *jobButton() const { return m_job; }

    void openDialog(ReportInfo which);

private:
    CKiteToggleButton *m_automation;
    CKiteToggleButton *m_manual;
    CKiteToggleButton *m_pdf;
    CKiteToggleButton *m_html;
    CVXEdit *m_folderName;
    CVXEdit *m_fileName;
    QPushButton *m_tags;
    QPushButton *m_company;
    QPushButton *m_job;
};

} // namespace stepvane
