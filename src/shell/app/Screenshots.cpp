// Sample windows rendered to images.
#include "shell/app/Screenshots.h"

#include "document/VX_CAAXML_PARSER.h"
#include "editors/PageScreenshots.h"
#include "review/check/WizardCheck.h"
#include "shell/check/CheckFindingsDlg.h"
#include "shell/comm/CDlgComm.h"
#include "shell/comm/FleetSendDlg.h"
#include "shell/dialogs/CPWDlg.h"
#include "shell/dialogs/CVXSpanlyxSelectDlg.h"
#include "shell/dialogs/StatusNotice.h"
#include "shell/main/CStepvaneDlg.h"
#include "shell/merge/MergeSession.h"
#include "shell/merge/MergeWindow.h"
#include "shell/sequences/CVXTestList_View.h"
#include "shell/taskeditor/TaskEditorScreenshot.h"
#include "shell/walkthrough/WalkthroughScreenshots.h"
#include "widgets/AppState.h"
#include "widgets/UserInterface.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <variant>

namespace stepvane {

namespace {

// Shows nothing and answers every question with "no": the sample windows
// must never stop for input.
class SilentUi : public UserInterface {
public:
    void report(const Message &) override {}
    bool ask(const Message &) override { return false; }
    QString openFile(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QStringLiteral("/home/surveyor/wizards/Tower 7 sector A.wzd");
    }
    FileDialogResult saveFile(QWidget *, const QString &, const QString &, const QString &,
                              const QString &, bool) override
    {
        return {};
    }
    bool askPassword(QWidget *, QString &) override { return false; }
};

// With focus, the window is shown for real (the program renders to an
// offscreen screen) so that it can be active and show the keyboard focus.
QImage grabShown(QWidget &widget, QWidget *focus = nullptr)
{
    if (!focus)
        widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    if (focus) {
        widget.activateWindow();
        for (int i = 0; i < 50 && !widget.isActiveWindow(); ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        focus->setFocus();
    }
    QApplication::processEvents();
    QImage image = widget.grab().toImage();
    widget.hide();
    return image;
}

void addSequence(WizardDocument &doc, const AppState &state, const QString &title,
                 std::initializer_list<std::pair<TaskKind, const char *>> steps)
{
    TestingSequence *sequence = doc.appendSequence();
    sequence->Title = title;
    for (const auto &[kind, description] : steps) {
        TaskStep *step = sequence->insertStep(
            -1, makeDefaultRecord(kind, state.CurrentModelIndex, state.CurrentDistanceUnit));
        if (step)
            std::visit([d = description](auto &r) { r.Description = QString::fromUtf8(d); },
                       step->record);
    }
}

QImage mainWindowSample(AppState &state, UserInterface &ui, bool exported = false)
{
    CStepvaneDlg window(state, ui);
    WizardDocument &doc = window.document();
    addSequence(doc, state, QStringLiteral("Antenna line sweep"),
                {{TaskPrompt, "Connect the jumper"}, {TaskMeasureMode, ""}, {TaskSave, ""}});
    addSequence(doc, state, QStringLiteral("Feeder DTF, sector A"),
                {{TaskMeasureMode, "DTF"}, {TaskDtf, ""}, {TaskMarkerPeak, ""}});
    addSequence(doc, state, QStringLiteral("Feeder DTF, sector B"), {{TaskMeasureMode, "DTF"}});
    addSequence(doc, state, QStringLiteral("Bias tee check"), {{TaskBiasTee, ""}});
    addSequence(doc, state, QStringLiteral("Site acceptance report"), {{TaskReport, ""}});
    doc.Title = QStringLiteral("Tower 7 acceptance");
    window.titleEdit()->setText(doc.Title);
    window.setWindowTitle(QStringLiteral("Tower 7 acceptance.wzd"));
    window.pane()->setSelectedIndex(1);
    window.pane()->showEndOption();
    // One unsaved change, shown in the title, with its undo button lit.
    window.newSequenceEdit()->setText(QStringLiteral("Return loss, sector C"));
    window.addSequence();
    if (exported)
        showWrittenNotice(ui, &window, QStringLiteral("Web page"),
                          QStringLiteral("/home/tech/wizards/Tower 7 acceptance-web/index.html"));
    return grabShown(window, window.pane()->rowArea());
}

QImage commSample(UserInterface &ui, CommDialogMode mode)
{
    CDlgComm dialog(ui, mode);
    if (mode == CommDialogMode::Send) {
        dialog.browse();
        dialog.progressBar()->setValue(40);
    }
    if (mode == CommDialogMode::FetchSetup) {
        // Shown, this mode would start fetching at once: render it unshown.
        dialog.progressBar()->setValue(65);
        dialog.adjustSize();
        return dialog.grab().toImage();
    }
    return grabShown(dialog);
}

// The fleet dialog in the middle of a send (one row done, one failed, the
// others on their way), or after it with its report saved.
QImage fleetSample(UserInterface &ui, bool finished)
{
    FleetList list;
    const char *names[] = {"Crew A - truck 1", "Crew A - truck 2", "Crew B - van", "Lab bench",
                           "Spare"};
    for (int i = 0; i < 5; ++i)
        list.push_back(
            {QString::fromLatin1(names[i]), i == 3 ? kMethodIPv6 : kMethodIPv4,
             i == 3 ? QStringLiteral("fd00::17") : QStringLiteral("10.20.0.%1").arg(11 + i), 66,
             i != 4});
    saveFleet(list);
    FleetSendDlg dialog(ui);
    dialog.setFilePath(QStringLiteral("/home/tech/wizards/sector-C-acceptance.wzd"));
    const struct {
        FleetState state;
        int value;
        const char *message;
    } rows[] = {{FleetState::Done, 513, ""},
                {finished ? FleetState::Done : FleetState::Transferring, finished ? 513 : 320, ""},
                {FleetState::Failed, 0, "the instrument did not answer in time"},
                {finished ? FleetState::Done : FleetState::Transferring, finished ? 513 : 121, ""},
                {FleetState::Waiting, 0, ""}};
    for (int i = 0; i < 5; ++i) {
        FleetOutcome o;
        o.state = rows[i].state;
        o.value = rows[i].value;
        o.maximum = 513;
        o.message = QString::fromLatin1(rows[i].message);
        dialog.showOutcome(i, o);
    }
    if (finished) {
        dialog.summaryLabel()->setText(QStringLiteral("3 done, 1 failed"));
        dialog.notice()->showWritten(
            QStringLiteral("Report written: /home/tech/reports/fleet-report.csv"),
            QStringLiteral("/home/tech/reports"));
    } else {
        dialog.summaryLabel()->setText(QStringLiteral("Sending to 4 instruments..."));
        // The buttons as they stand while the transfers run: Cancel only.
        for (QPushButton *b : dialog.findChildren<QPushButton *>())
            b->setEnabled(b == dialog.cancelButton());
    }
    dialog.resize(860, 300);
    return grabShown(dialog);
}

// The check's findings of a wizard with a few faults, as the window lists them.
QImage checkSample(int model)
{
    WizardDocument doc;
    doc.Title = QStringLiteral("Sector C acceptance");
    TestingSequence *s = doc.appendSequence();
    s->Title = QStringLiteral("Feeder sweep");
    LoadTask load;
    load.Mode = 2;
    s->insertStep(-1, load);
    FrequencyDistanceTask range;
    range.Start_Frequency_Check = 1;
    range.Stop_Frequency_Check = 1;
    range.Start_Frequency = 2600;
    range.Stop_Frequency = 700;
    s->insertStep(-1, range);
    s->insertStep(-1, PromptTask{});
    doc.appendSequence()->Title = QStringLiteral("Jumpers");
    CheckOptions options;
    options.model = model;
    CheckFindingsDlg window;
    window.showFindings(checkWizard(doc, options), doc, model);
    window.resize(1040, 230);
    return grabShown(window);
}

// The merge window as git mergetool opens it: a sweep changed on both sides
// (a start frequency, a hold step's words, a sequence's title), the first
// conflict taken from theirs and the second selected.
QImage mergeSample(AppState &state, UserInterface &ui)
{
    QTemporaryDir dir;
    const auto side = [&](const char *name, double start, const char *hold, const char *title) {
        WizardDocument doc;
        doc.Title = QStringLiteral("Sector C acceptance");
        TestingSequence *sweep = doc.appendSequence();
        sweep->Title = QStringLiteral("Feeder sweep");
        FrequencyDistanceTask range;
        range.Start_Frequency = start;
        range.Stop_Frequency = 2700;
        sweep->insertStep(-1, range);
        HoldTask wait;
        wait.Description = QString::fromUtf8(hold);
        sweep->insertStep(-1, wait);
        doc.appendSequence()->Title = QString::fromUtf8(title);
        VX_CAAXML_PARSER writer(&doc, state.CurrentModelIndex);
        const QString path = dir.filePath(QString::fromLatin1(name));
        return writer.Save_Wizard(path) ? path : QString();
    };
    MergeSession session(
        {side("base.wzd", 700, "Wait for the sweep", "Jumpers"),
         side("local.wzd", 698, "Wait until the trace settles", "Jumpers, sector C"),
         side("remote.wzd", 690, "Hold the cable still", "Jumper check"),
         dir.filePath(QStringLiteral("merged.wzd"))});
    if (!session.prepare())
        return {};
    CStepvaneDlg window(state, ui);
    if (!window.openRecoveredFile(session.openPath(), session.files().merged))
        return {};
    MergeWindow merge(window, session, ui);
    QTreeWidget *list = merge.list();
    if (list->topLevelItemCount() > 1) {
        list->setCurrentItem(list->topLevelItem(0));
        merge.takeTheirs();
        list->setCurrentItem(list->topLevelItem(1));
    }
    return grabShown(merge, list);
}

} // namespace

int renderScreenshots(const QString &folder)
{
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "stepvane: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    // The dialogs read and write connection settings: keep the user's own
    // settings out of it.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    SilentUi ui;
    AppState state;
    state.CurrentModelIndex = 2;

    std::vector<std::pair<QString, QImage>> shots;
    shots.emplace_back(QStringLiteral("main-window"), mainWindowSample(state, ui));
    shots.emplace_back(QStringLiteral("main-window-export"), mainWindowSample(state, ui, true));
    shots.emplace_back(QStringLiteral("task-editor"), renderTaskEditorSample(state, ui));
    {
        CVXSpanlyxSelectDlg select;
        select.setSelection(2);
        shots.emplace_back(QStringLiteral("model-dialog"), grabShown(select));
    }
    {
        CPWDlg set(ui, CPWDlg::ModeSet);
        shots.emplace_back(QStringLiteral("password-dialog-set"), grabShown(set));
        CPWDlg enter(ui, CPWDlg::ModeEnter);
        shots.emplace_back(QStringLiteral("password-dialog-enter"), grabShown(enter));
    }
    shots.emplace_back(QStringLiteral("comm-send"), commSample(ui, CommDialogMode::Send));
    shots.emplace_back(QStringLiteral("comm-fetch"), commSample(ui, CommDialogMode::FetchSetup));
    shots.emplace_back(QStringLiteral("comm-settings"), commSample(ui, CommDialogMode::Settings));
    shots.emplace_back(QStringLiteral("fleet-send"), fleetSample(ui, false));
    shots.emplace_back(QStringLiteral("fleet-report-saved"), fleetSample(ui, true));
    shots.emplace_back(QStringLiteral("check-window"), checkSample(state.CurrentModelIndex));
    shots.emplace_back(QStringLiteral("merge-window"), mergeSample(state, ui));
    for (auto &shot : renderWalkthroughSamples(folder))
        shots.push_back(std::move(shot));

    // The editor pages and their dialogs go into a folder of their own; the
    // correction note, which shows no page but a behaviour, stands beside
    // the windows.
    const QString pages = QStringLiteral("pages");
    QDir(folder).mkpath(pages);
    for (auto &[name, image] : renderPageSamples(ui)) {
        const bool behaviour = name == QLatin1String("correction-note");
        shots.emplace_back(behaviour ? name : pages + QLatin1Char('/') + name, std::move(image));
    }

    int status = 0;
    for (const auto &[name, image] : shots) {
        const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
        if (image.isNull() || !image.save(path)) {
            std::fprintf(stderr, "stepvane: could not write %s\n", qPrintable(path));
            status = 1;
            continue;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return status;
}

} // namespace stepvane
