// CSaveView: the page of a Save step: automation or manual, internal or
// external storage, the base file and folder names, which results are saved
// (trace, report, screen image) in which format, and the buttons that open
// the company, job and tag-identifier dialogs.
#pragma once

#include "editors/framework/RecordPage.h"
#include "editors/pages/ReportInfoEditing.h"

class QPushButton;

namespace stepvane {

class CSaveView : public RecordPage<SaveTask> {
    Q_OBJECT
public:
    static constexpr QSize kPageSize{374, 556};

    CSaveView(PageContext &context, QWidget *parent = nullptr);

    // Toggle buttons by the control ids of the page (5021 automation ...
    // 5036 marker readings off, 5106 result preview).
    CKiteToggleButton *toggle(int id) const;
    CVXEdit *fileNameField() const { return m_fileName; }
    CVXEdit *folderNameField() const { return m_folderName; }
    QPushButton *companyButton() const { return m_company; }
    QPushButton *jobButton() const { return m_job; }
    QPushButton *tagButton() const { return m_tags; }

    void openDialog(ReportInfo which);

private:
    CKiteToggleButton *makeToggle(int id, bool radio, const QString &text, QWidget *parent);
    // A check button that stores onCode when on and 0 when off.
    void bindCodeCheck(CKiteToggleButton *button, int SaveTask::*field, int onCode);
    void buildNames();
    void buildResults();
    void addTrace(PageGrid *grid);
    void addReport(PageGrid *grid);
    void addScreen(PageGrid *grid);

    std::vector<CKiteToggleButton *> m_toggles;
    CVXEdit *m_fileName = nullptr;
    CVXEdit *m_folderName = nullptr;
    QPushButton *m_company = nullptr;
    QPushButton *m_job = nullptr;
    QPushButton *m_tags = nullptr;
};

} // namespace stepvane
