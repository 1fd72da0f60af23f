// The editor with the maximal wizard of bench_file_io:
// - opening it from the command line in the main window (offscreen) until the
//   sequence list is shown, against the core reader opening the same file;
// - the memory the undo history holds after 1,000 page edits on it, against
//   the memory of the document itself.
// Each measurement runs in a child process of its own (this program with
// "--phase NAME FILE"), so every open starts cold in a fresh process; times
// are the best of three. Heap figures are glibc's bytes in use.
#include "maximal_wizard.h"

#include "document/VX_CAAXML_PARSER.h"
#include "editors/pages/CMeasureModeView.h"
#include "shell/app/CStepvaneApp.h"
#include "shell/main/CStepvaneDlg.h"
#include "shell/sequences/CVXTestList_View.h"
#include "shell/taskeditor/CVXMeasureList_View.h"
#include "shell/taskeditor/CVXMeasurementEditDlg.h"
#include "shell/taskeditor/CVXetailItemView.h"
#include "widgets/CVXEdit.h"
#include "widgets/UserInterface.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace stepvane;

namespace {

constexpr int kModel = 2;
constexpr int kPageEdits = 1000;

qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

// Nothing is ever asked or shown: the benchmark must not stop for input.
class SilentUi : public UserInterface {
public:
    void report(const Message &) override {}
    bool ask(const Message &) override { return false; }
    QString openFile(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    FileDialogResult saveFile(QWidget *, const QString &, const QString &, const QString &,
                              const QString &, bool) override
    {
        return {};
    }
    bool askPassword(QWidget *, QString &) override { return false; }
};

// The command-line start of the editor, up to the shown sequence list.
std::unique_ptr<CStepvaneDlg> openInEditor(SilentUi &ui, CStepvaneApp &app, const QString &file)
{
    app.setRecoveryFolder(qEnvironmentVariable("XDG_STATE_HOME"));
    if (!app.Prepare({QStringLiteral("stepvane"), file}))
        return nullptr;
    std::unique_ptr<CStepvaneDlg> window = app.CreateMainWindow();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    QApplication::processEvents();
    (void)ui;
    return window->pane()->rowCount() == kMaxSequences ? std::move(window) : nullptr;
}

int corePhase(const QString &file)
{
    const qint64 heapBefore = heapInUse();
    QElapsedTimer timer;
    timer.start();
    auto doc = std::make_unique<WizardDocument>();
    bool ok = false;
    {
        VX_CAAXML_PARSER parser(doc.get(), kModel);
        ok = parser.Read_Wizard_File(file) == 1 && doc->sequenceCount() == kMaxSequences;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%.6f %lld\n", seconds, heapInUse() - heapBefore);
    return ok ? 0 : 1;
}

int guiPhase(const QString &file)
{
    QElapsedTimer timer;
    timer.start();
    SilentUi ui;
    CStepvaneApp app(ui);
    const auto window = openInEditor(ui, app, file);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%.6f 0\n", seconds);
    return window ? 0 : 1;
}

// Page edits on the Measure Mode steps of one sequence after another, as a
// user makes them: a measurement chosen, a description typed, another
// measurement chosen.
int undoPhase(const QString &file)
{
    SilentUi ui;
    CStepvaneApp app(ui);
    const auto window = openInEditor(ui, app, file);
    if (!window)
        return 1;
    DocumentHistory &history = window->history();
    CVXTestList_View *pane = window->pane();
    for (int s = 0; s < kMaxSequences && history.count() < kPageEdits; ++s) {
        pane->openTaskEditor(s);
        CVXMeasurementEditDlg *editor = pane->taskEditor();
        auto *page =
            static_cast<CMeasureModeView *>(editor->detailPane()->pagesFor(TaskMeasureMode).at(0));
        CVXMeasureList_View *list = editor->taskList();
        for (int i = 0; i < list->rowCount() && history.count() < kPageEdits; ++i) {
            if (editor->sequence()->step(i)->kind() != TaskMeasureMode)
                continue;
            list->selectRow(i, true);
            QComboBox *modes = page->modeList();
            const auto chooseNext = [&] {
                if (history.count() < kPageEdits)
                    modes->setCurrentIndex((modes->currentIndex() + 1) % modes->count());
            };
            chooseNext();
            if (history.count() < kPageEdits)
                QTest::keyClicks(page->descriptionField(), QStringLiteral("x"));
            chooseNext();
        }
    }
    if (history.count() != kPageEdits)
        return 1;
    // What the history holds is exactly what clearing it gives back.
    const qint64 withHistory = heapInUse();
    history.clear();
    std::printf("0 %lld\n", withHistory - heapInUse());
    return 0;
}

struct Figures {
    double seconds = -1;
    qint64 bytes = 0;
    bool ok = false;
};

Figures runChild(const QString &phase, const QString &file, const QString &work)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The editor's settings, recovery copies and working copies stay in the
    // benchmark's own folder.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), work + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), work + QStringLiteral("/state"));
    env.insert(QStringLiteral("TMPDIR"), work);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--phase"), phase, file});
    Figures f;
    if (!child.waitForFinished(15 * 60 * 1000))
        return f;
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    f.ok =
        child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 && fields.size() == 2;
    if (f.ok) {
        f.seconds = fields[0].toDouble();
        f.bytes = fields[1].toLongLong();
    }
    return f;
}

int runPhase(int argc, char **argv)
{
    const QString phase = QString::fromLocal8Bit(argv[2]);
    const QString file = QString::fromLocal8Bit(argv[3]);
    if (phase == QLatin1String("core")) {
        QCoreApplication app(argc, argv);
        return corePhase(file);
    }
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vexmar"));
    QCoreApplication::setApplicationName(QStringLiteral("Stepvane"));
    return phase == QLatin1String("gui") ? guiPhase(file) : undoPhase(file);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--phase") == 0)
        return runPhase(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("maximal.wzd"));
    {
        WizardDocument doc = bench::makeMaximalWizard(dir.path(), kModel);
        VX_CAAXML_PARSER writer(&doc, kModel);
        if (!writer.Save_Wizard(file)) {
            std::fprintf(stderr, "bench_gui: the maximal wizard could not be written\n");
            return 1;
        }
    }

    Figures core, gui;
    bool ok = true;
    for (int round = 0; round < 3; ++round) {
        const Figures c = runChild(QStringLiteral("core"), file, dir.path());
        const Figures g = runChild(QStringLiteral("gui"), file, dir.path());
        ok = ok && c.ok && g.ok;
        if (c.ok && (core.seconds < 0 || c.seconds < core.seconds))
            core = c;
        if (g.ok && (gui.seconds < 0 || g.seconds < gui.seconds))
            gui = g;
    }
    const Figures undo = runChild(QStringLiteral("undo"), file, dir.path());
    ok = ok && undo.ok;

    std::printf("maximal wizard: %d sequences x %d steps\n", kMaxSequences, kMaxSteps);
    std::printf("%-40s %9.3f s\n", "core open (Read_Wizard_File)", core.seconds);
    std::printf("%-40s %9.3f s\n", "editor open until the list is shown", gui.seconds);
    std::printf("%-40s %9.1f MiB\n", "document memory", core.bytes / 1048576.0);
    std::printf("%-40s %9.1f MiB\n", "undo history after 1000 page edits", undo.bytes / 1048576.0);
    std::printf("targets: open ratio <= 1.5, memory ratio < 0.10%s\n",
                ok ? "" : "  (a phase FAILED)");
    std::printf("gui open / core open: %.2f\n",
                core.seconds > 0 ? gui.seconds / core.seconds : 0.0);
    std::printf("undo memory / document memory: %.3f\n",
                core.bytes > 0 ? double(undo.bytes) / double(core.bytes) : 0.0);
    return ok ? 0 : 1;
}
