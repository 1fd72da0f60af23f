// The consolidated report page.
#include "editors/pages/CReportView.h"

#include <QGridLayout>
#include <QPushButton>

namespace stepvane {

namespace {

CKiteToggleButton *reportRadio(int id, const QString &text, QWidget *parent)
{
    auto *button = new CKiteToggleButton(id, CKiteToggleButton::Style::Radio, text, parent);
    button->setObjectName(QString::number(id));
    return button;
}

} // namespace

CReportView::CReportView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskReport, kDefaultSize, parent)
{
    PageGrid *grid = addGrid();
    m_automation = reportRadio(5021, QStringLiteral("Automation"), grid);
    m_manual = reportRadio(5022, QStringLiteral("Manual"), grid);
    grid->addRow(QStringLiteral("Mode"), PageGrid::inLine({m_automation, m_manual}, grid));
    m_folderName = textField(&ReportTask::BaseFolderName);
    m_folderName->setObjectName(QStringLiteral("folderName"));
    m_fileName = textField(&ReportTask::BaseFileName);
    m_fileName->setObjectName(QStringLiteral("fileName"));
    const PageGrid::Row folder = grid->addRow(QStringLiteral("Folder name"), m_folderName);
    const PageGrid::Row file = grid->addRow(QStringLiteral("File name"), m_fileName);
    m_pdf = reportRadio(5030, QStringLiteral("PDF"), grid);
    m_html = reportRadio(5031, QStringLiteral("HTML"), grid);
    const PageGrid::Row type =
        grid->addRow(QStringLiteral("File type"), PageGrid::inLine({m_pdf, m_html}, grid));
    m_tags = new QPushButton(QStringLiteral("Tag identifiers"), grid);
    m_tags->setObjectName(QStringLiteral("tags"));
    m_company = new QPushButton(QStringLiteral("Company information"), grid);
    m_company->setObjectName(QStringLiteral("company"));
    m_job = new QPushButton(QStringLiteral("Job information"), grid);
    m_job->setObjectName(QStringLiteral("job"));
    QWidget *buttons = new QWidget(grid);
    auto *buttonLayout = new QGridLayout(buttons);
    buttonLayout->setContentsMargins(0, 6, 0, 0);
    buttonLayout->addWidget(m_company, 0, 0);
    buttonLayout->addWidget(m_job, 0, 1);
    buttonLayout->addWidget(m_tags, 1, 0, 1, 2);
    grid->addWide(buttons);

    bindRadio(m_automation, &ReportTask::SaveMode, 1);
    bindRadio(m_manual, &ReportTask::SaveMode, 2);
    bindRadio(m_pdf, &ReportTask::Filetype, 5);
    bindRadio(m_html, &ReportTask::Filetype, 6);
    // In manual mode the operator makes the report on the instrument.
    const auto automation = [](const ReportTask &r) { return r.SaveMode == 1; };
    for (const PageGrid::Row &row : {folder, file, type})
        showWhen(row, automation);
    showWhen(std::vector<QWidget *>{buttons}, automation);

    connect(m_tags, &QPushButton::clicked, this, [this] { openDialog(ReportInfo::Tags); });
    connect(m_company, &QPushButton::clicked, this, [this] { openDialog(ReportInfo::Company); });
    connect(m_job, &QPushButton::clicked, this, [this] { openDialog(ReportInfo::Job); });
}

void CReportView::openDialog(ReportInfo which)
{
    TaskStep *step = boundStep();
    const ReportTask *r = record();
    if (!r)
        return;
    editReportInfo<ReportTask>(context().ui, this, which, *r,
                               [this, step](const std::function<void(ReportTask &)> &set) {
                                   if (boundStep() != step)
                                       return;
                                   changeRecord(kControlField, [&] { set(*record()); });
                               });
}

} // namespace stepvane
