// The save page.
#include "editors/pages/CSaveView.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace stepvane {

namespace {

enum Id {
    Automation = 5021,
    Manual = 5022,
    Internal = 5023,
    External = 5024,
    Trace = 5025,
    TraceFormat1 = 5026,
    Report = 5029,
    ReportFormat1 = 5030,
    Screen = 5032,
    InversionOn = 5033, // Off is the next id
    ReadingsOn = 5035,
    ResultPreview = 5106,
};

// Buttons side by side across the page, sharing its width.
QWidget *buttonRow(std::initializer_list<QPushButton *> buttons, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QPushButton *button : buttons)
        layout->addWidget(button, 1);
    return row;
}

bool automation(const SaveTask &r)
{
    return r.SaveMode == 1;
}

} // namespace

CSaveView::CSaveView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskSave, kPageSize, parent)
{
    buildNames();
    buildResults();
    m_tags = new QPushButton(QStringLiteral("Tag identifiers"), this);
    m_tags->setObjectName(QStringLiteral("tags"));
    addGrid()->addWide(buttonRow({m_tags}, this));
    connect(m_tags, &QPushButton::clicked, this, [this] { openDialog(ReportInfo::Tags); });
}

CKiteToggleButton *CSaveView::makeToggle(int id, bool radio, const QString &text, QWidget *parent)
{
    using Style = CKiteToggleButton::Style;
    auto *button = new CKiteToggleButton(id, radio ? Style::Radio : Style::Check, text, parent);
    button->setObjectName(QString::number(id));
    m_toggles.push_back(button);
    return button;
}

CKiteToggleButton *CSaveView::toggle(int id) const
{
    for (CKiteToggleButton *button : m_toggles)
        if (button->commandId() == id)
            return button;
    return nullptr;
}

void CSaveView::bindCodeCheck(CKiteToggleButton *button, int SaveTask::*field, int onCode)
{
    connect(button, &QAbstractButton::clicked, this,
            [this, field, onCode](bool on) { store(Access<int>(field), on ? onCode : 0); });
    onFill([button, field, onCode](SaveTask &r) { button->setState(r.*field == onCode); });
}

void CSaveView::buildNames()
{
    PageGrid *grid = addGrid();
    CKiteToggleButton *automationButton = makeToggle(Automation, true, "Automation", grid);
    CKiteToggleButton *manualButton = makeToggle(Manual, true, "Manual", grid);
    grid->addRow(QStringLiteral("Mode"), PageGrid::inLine({automationButton, manualButton}, grid));
    CKiteToggleButton *internal = makeToggle(Internal, true, "Internal", grid);
    CKiteToggleButton *external = makeToggle(External, true, "External", grid);
    grid->addRow(QStringLiteral("Storage"), PageGrid::inLine({internal, external}, grid));
    CKiteToggleButton *preview = makeToggle(ResultPreview, false, "Result preview", grid);
    grid->addRow(nullptr, preview);
    m_fileName = textField(&SaveTask::BaseFileName);
    m_fileName->setObjectName(QStringLiteral("fileName"));
    m_folderName = textField(&SaveTask::BaseFolderName);
    m_folderName->setObjectName(QStringLiteral("folderName"));
    const PageGrid::Row file = grid->addRow(QStringLiteral("File name"), m_fileName);
    const PageGrid::Row folder = grid->addRow(QStringLiteral("Folder name"), m_folderName);

    bindRadio(automationButton, &SaveTask::SaveMode, 1);
    bindRadio(manualButton, &SaveTask::SaveMode, 2);
    bindRadio(internal, &SaveTask::Storage, 1);
    bindRadio(external, &SaveTask::Storage, 2);
    bindToggle(preview, &SaveTask::Result_Prev);
    // Manual mode: the operator names the files on the instrument.
    showWhen(file, automation);
    showWhen(folder, automation);
    onFill([this](SaveTask &r) {
        m_fileName->setEnabled(automation(r));
        m_folderName->setEnabled(automation(r));
    });
}

void CSaveView::buildResults()
{
    PageGrid *grid = addGrid(QStringLiteral("Save"));
    addTrace(grid);
    addReport(grid);
    addScreen(grid);
}

// The format choices of a result show only while it is saved, and never in
// manual mode, where the operator chooses on the instrument.

void CSaveView::addTrace(PageGrid *grid)
{
    CKiteToggleButton *trace = makeToggle(Trace, false, "Trace", grid);
    std::vector<QWidget *> formats;
    const QStringList names = {"TRA", "CSV", "XML"};
    for (int i = 0; i < names.size(); ++i) {
        CKiteToggleButton *format = makeToggle(TraceFormat1 + i, true, names.at(i), grid);
        bindRadio(format, &SaveTask::Trace_Format, 1 + i);
        formats.push_back(format);
    }
    grid->addRow(trace, PageGrid::inLine({formats[0], formats[1], formats[2]}, grid));
    bindCodeCheck(trace, &SaveTask::Trace_Check, 1);
    showWhen(formats, [](const SaveTask &r) { return automation(r) && r.Trace_Check == 1; });
}

void CSaveView::addReport(PageGrid *grid)
{
    CKiteToggleButton *report = makeToggle(Report, false, "Report", grid);
    CKiteToggleButton *pdf = makeToggle(ReportFormat1, true, "PDF", grid);
    CKiteToggleButton *html = makeToggle(ReportFormat1 + 1, true, "HTML", grid);
    grid->addRow(report, PageGrid::inLine({pdf, html}, grid));
    m_company = new QPushButton(QStringLiteral("Company information"), grid);
    m_company->setObjectName(QStringLiteral("company"));
    m_job = new QPushButton(QStringLiteral("Job information"), grid);
    m_job->setObjectName(QStringLiteral("job"));
    grid->addWide(buttonRow({m_company, m_job}, grid));

    bindCodeCheck(report, &SaveTask::Report_Check, 3);
    bindRadio(pdf, &SaveTask::Report_Format, 5);
    bindRadio(html, &SaveTask::Report_Format, 6);
    showWhen(std::vector<QWidget *>{pdf, html},
             [](const SaveTask &r) { return automation(r) && r.Report_Check == 3; });
    // Company and job go into the report, whoever starts it.
    showWhen(std::vector<QWidget *>{m_company, m_job},
             [](const SaveTask &r) { return r.Report_Check == 3; });
    connect(m_company, &QPushButton::clicked, this, [this] { openDialog(ReportInfo::Company); });
    connect(m_job, &QPushButton::clicked, this, [this] { openDialog(ReportInfo::Job); });
}

void CSaveView::addScreen(PageGrid *grid)
{
    CKiteToggleButton *screen = makeToggle(Screen, false, "Screen", grid);
    grid->addRow(screen);
    bindCodeCheck(screen, &SaveTask::Screen_Check, 4);
    const auto screenSaved = [](const SaveTask &r) { return automation(r) && r.Screen_Check == 4; };
    const struct {
        const char *label;
        int onId;
        int SaveTask::*field;
        int onCode;
    } choices[] = {{"Color inversion", InversionOn, &SaveTask::ColorInversion, 7},
                   {"Marker readings", ReadingsOn, &SaveTask::MarkerReadings, 9}};
    for (const auto &choice : choices) {
        CKiteToggleButton *on = makeToggle(choice.onId, true, "On", grid);
        CKiteToggleButton *off = makeToggle(choice.onId + 1, true, "Off", grid);
        const PageGrid::Row row =
            grid->addRow(QLatin1String(choice.label), PageGrid::inLine({on, off}, grid));
        bindRadio(on, choice.field, choice.onCode);
        bindRadio(off, choice.field, choice.onCode + 1);
        showWhen(row, screenSaved);
    }
}

void CSaveView::openDialog(ReportInfo which)
{
    TaskStep *step = boundStep();
    const SaveTask *r = record();
    if (!r)
        return;
    editReportInfo<SaveTask>(context().ui, this, which, *r,
                             [this, step](const std::function<void(SaveTask &)> &set) {
                                 if (boundStep() != step)
                                     return;
                                 changeRecord(kControlField, [&] { set(*record()); });
                             });
}

} // namespace stepvane
