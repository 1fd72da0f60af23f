// The load-setup page.
#include "editors/pages/CLoadSetupView.h"

#include "editors/pages/SetupFileAttachment.h"
#include "instrument_files/FileClassification.h"
#include "instrument_files/SetupRecognition.h"
#include "widgets/UserInterface.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QToolButton>

namespace stepvane {

namespace {

enum Mode { FactoryPreset = 1, FromPC = 2, FromEQP = 3 };
const QString kSetupFilter = QStringLiteral("STA(*.sta, *.STA)|*.sta;*.STA|");

QLineEdit *fileField(QWidget *parent, const char *name)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    return field;
}

QWidget *lineOf(QWidget *parent, QLineEdit *field, QToolButton *button)
{
    auto *line = new QWidget(parent);
    auto *layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(field, 1);
    layout->addWidget(button);
    return line;
}

} // namespace

CLoadSetupView::CLoadSetupView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskLoad, kDefaultSize, parent)
{
    PageGrid *grid = addGrid(QStringLiteral("Load setup from:"));
    const QStringList labels = {"Factory preset", "Saved setup (.sta)",
                                "Instrument's current settings"};
    for (int mode = FactoryPreset; mode <= FromEQP; ++mode) {
        auto *button =
            new CKiteToggleButton(mode, CKiteToggleButton::Style::Radio, labels.at(mode - 1), grid);
        button->setObjectName(QStringLiteral("mode%1").arg(mode));
        // Any choice, the shown one too, drops the setup the step had. The
        // working copy stays: the edit history or a copied step may use it.
        bindRadio(button, &LoadTask::Mode, mode, [](LoadTask &r, bool) {
            r.SetupfileName.clear();
            r.Setup_Info.clear();
            r.SetupfileSize = 0;
            r.SetupFormat = 0;
        });
        m_modes[mode - 1] = button;
    }
    m_attached = fileField(grid, "attachedFile");
    m_fetched = fileField(grid, "fetchedFile");
    m_open = new QToolButton(grid);
    m_open->setObjectName(QStringLiteral("openSetup"));
    m_open->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_open->setToolTip(QStringLiteral("Attach a setup file"));
    m_fetch = new QToolButton(grid);
    m_fetch->setObjectName(QStringLiteral("fetchSetup"));
    m_fetch->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    m_fetch->setToolTip(QStringLiteral("Fetch the setup from the instrument"));
    grid->addRow(m_modes[0]);
    grid->addRow(m_modes[1]);
    grid->addWide(lineOf(grid, m_attached, m_open));
    grid->addRow(m_modes[2]);
    grid->addWide(lineOf(grid, m_fetched, m_fetch));
    buildInfo();
    connect(m_open, &QToolButton::clicked, this, &CLoadSetupView::attachFromComputer);
    connect(m_fetch, &QToolButton::clicked, this, &CLoadSetupView::fetchFromInstrument);
}

void CLoadSetupView::buildInfo()
{
    PageGrid *info = addGrid(QStringLiteral("Setup info"));
    m_info = new QPlainTextEdit(info);
    m_info->setObjectName(QStringLiteral("setupInfo"));
    m_info->setReadOnly(true);
    m_info->setMinimumHeight(150);
    info->addWide(m_info);

    onFill([this](LoadTask &r) {
        m_attached->setText(shownFile(r, FromPC));
        m_fetched->setText(shownFile(r, FromEQP));
        const bool withFile = r.Mode == FromPC || r.Mode == FromEQP;
        m_info->setPlainText(withFile ? r.Setup_Info : QString());
    });
}

CKiteToggleButton *CLoadSetupView::modeButton(int mode) const
{
    return mode >= FactoryPreset && mode <= FromEQP ? m_modes[mode - 1] : nullptr;
}

QString CLoadSetupView::shownFile(const LoadTask &r, int mode) const
{
    if (r.Mode != mode || r.SetupfileName.isEmpty())
        return QString();
    if (m_chosen.step == boundStep() && m_chosen.workingCopy == r.SetupfileName)
        return QDir::toNativeSeparators(m_chosen.path);
    return fileNameWithoutFolders(r.SetupfileName);
}

void CLoadSetupView::attachFromComputer()
{
    TaskStep *step = boundStep();
    const LoadTask *r = record();
    if (!r || r->Mode != FromPC)
        return;
    const QString path = context().ui.openFile(this, QStringLiteral("Attach file"), kSetupFilter,
                                               QStringLiteral("sta"));
    if (path.isEmpty() || boundStep() != step)
        return;
    // A file that does not read as a setup would load garbage on the instrument.
    if (const QString problem = setupFileProblem(path); !problem.isEmpty()) {
        context().ui.report(Message::fromId(QStringLiteral("IDS_UNKWON_SETUP_FORMAT"))
                                .withDetail(QStringLiteral("\"%1\" does not read as an instrument "
                                                           "setup: %2.")
                                                .arg(fileNameWithoutFolders(path), problem)));
        return;
    }
    // An XML setup loses its calibration data in the working copy.
    if (const auto setup = attachSetupFile(context().ui, path, true))
        takeSetup(step, *setup, path);
}

void CLoadSetupView::fetchFromInstrument()
{
    TaskStep *step = boundStep();
    const LoadTask *r = record();
    if (!r || r->Mode != FromEQP)
        return;
    UserInterface &ui = context().ui;
    const QString path = ui.saveFile(this, QStringLiteral("Save and attach file"), kSetupFilter,
                                     QStringLiteral("sta"), QString(), false)
                             .path;
    if (path.isEmpty() || boundStep() != step)
        return;
    // A failed or cancelled fetch changes nothing. One that brought an empty
    // file is reported as a setup of no known format.
    if (!ui.fetchSetupFromInstrument(this, path) || boundStep() != step)
        return;
    if (const auto setup = attachSetupFile(ui, path, false))
        takeSetup(step, *setup, path);
}

void CLoadSetupView::takeSetup(TaskStep *step, const SetupAttachment &setup,
                               const QString &shownPath)
{
    if (boundStep() != step)
        return;
    m_chosen = {step, setup.workingCopy, shownPath};
    changeRecord(kControlField, [&] {
        LoadTask *r = record();
        r->SetupFormat = setup.format;
        r->Setup_Info = setup.info;
        r->SetupfileName = setup.workingCopy;
        r->SetupfileSize = setup.size;
    });
}

} // namespace stepvane
