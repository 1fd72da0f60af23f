// The walk-through commands of the main window.
#include "shell/walkthrough/WalkthroughCommand.h"

#include "print/PictureProbe.h"
#include "review/check/CheckedWalkthrough.h"
#include "shell/dialogs/StatusNotice.h"
#include "shell/history/DocumentHistory.h"
#include "shell/main/CStepvaneDlg.h"
#include "shell/sequences/CVXTestList_View.h"
#include "shell/taskeditor/CVXMeasureList_View.h"
#include "shell/taskeditor/CVXMeasurementEditDlg.h"
#include "shell/walkthrough/WalkthroughWindow.h"
#include "summary/walkthrough/HtmlPage.h"
#include "summary/walkthrough/WalkHtml.h"
#include "widgets/AppState.h"
#include "widgets/UserInterface.h"

#include "widgets/WindowPlace.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>

namespace stepvane {

WalkthroughCommand::WalkthroughCommand(AppState &state, UserInterface &ui, CStepvaneDlg &window)
    : QObject(&window), m_state(state), m_ui(ui), m_window(window)
{
    m_walk = new QAction(QStringLiteral("Walk through"), &window);
    m_walk->setObjectName(QStringLiteral("actionWalkThrough"));
    m_walk->setShortcut(QKeySequence(Qt::Key_F5));
    window.addAction(m_walk); // the key works with the menu closed
    connect(m_walk, &QAction::triggered, this, &WalkthroughCommand::walkThrough);
    m_export = new QAction(QStringLiteral("Export as web page..."), &window);
    m_export->setObjectName(QStringLiteral("actionExportWebPage"));
    connect(m_export, &QAction::triggered, this, &WalkthroughCommand::exportWebPage);
    connect(&window.history(), &DocumentHistory::changed, this, [this] {
        if (m_walkWindow)
            m_walkWindow->refresh();
    });
}

WalkthroughWindow *WalkthroughCommand::walkthroughWindow() const
{
    return m_walkWindow;
}

std::pair<int, int> WalkthroughCommand::selectedPlace() const
{
    const CVXTestList_View *pane = m_window.pane();
    const CVXMeasurementEditDlg *editor = pane ? pane->taskEditor() : nullptr;
    if (!editor || !editor->isVisible() || !editor->taskList())
        return {0, 0};
    const TaskStep *selected = editor->taskList()->selectedStep();
    const WizardDocument &doc = m_window.document();
    for (int s = 0; s < doc.sequenceCount(); ++s) {
        if (doc.sequence(s) != editor->sequence())
            continue;
        for (int t = 0; t < doc.sequence(s)->stepCount(); ++t)
            if (doc.sequence(s)->step(t) == selected)
                return {s, t};
        return {s, 0};
    }
    return {0, 0};
}

void WalkthroughCommand::walkThrough()
{
    const auto [sequence, step] = selectedPlace();
    if (!m_walkWindow) {
        m_walkWindow =
            new WalkthroughWindow(m_window.document(), m_state.CurrentModelIndex, &m_window);
        m_walkWindow->setAttribute(Qt::WA_DeleteOnClose);
        m_window.shareDocumentKeys(m_walkWindow);
        connect(m_walkWindow, &WalkthroughWindow::editStepRequested, this,
                &WalkthroughCommand::editStep, Qt::QueuedConnection);
        // Where it was last time; a new one (or one that would now cover the
        // task editor) goes beside the task editor, or the main window.
        const bool kept = rememberPlace(m_walkWindow, QStringLiteral("Walkthrough"));
        QWidget *editor = taskEditor();
        QWidget *anchor = editor ? editor : static_cast<QWidget *>(&m_window);
        if (!kept || windowsOverlap(m_walkWindow, anchor)) {
            keepOnScreen(m_walkWindow);
            placeBeside(m_walkWindow, anchor);
        }
    } else {
        m_walkWindow->refresh();
    }
    m_walkWindow->goTo(sequence, step);
    m_walkWindow->show();
    m_walkWindow->raise();
    m_walkWindow->activateWindow();
    m_walkWindow->setFocus();
}

QWidget *WalkthroughCommand::taskEditor() const
{
    QWidget *editor = m_window.pane() ? m_window.pane()->taskEditor() : nullptr;
    return editor && editor->isVisible() ? editor : nullptr;
}

void WalkthroughCommand::editStep(int sequence, int step)
{
    CVXTestList_View *pane = m_window.pane();
    const TestingSequence *seq = m_window.document().sequence(sequence);
    if (!pane || !seq || !seq->step(step))
        return;
    pane->setSelectedIndex(sequence);
    pane->openTaskEditor(sequence, step);
    // The live view stays in sight beside the step being edited.
    QWidget *editor = taskEditor();
    if (m_walkWindow && editor && windowsOverlap(m_walkWindow, editor))
        placeBeside(m_walkWindow, editor);
}

bool WalkthroughCommand::exportWebPage()
{
    const WizardDocument &doc = m_window.document();
    const QString suggested =
        safeExportName(doc.Title.isEmpty() ? QStringLiteral("wizard") : doc.Title) +
        QStringLiteral("-web");
    const UserInterface::FileDialogResult chosen =
        m_ui.saveFile(&m_window, QStringLiteral("Export as web page"),
                      QStringLiteral("Web page folder (*)"), QString(), suggested, false);
    if (chosen.path.isEmpty())
        return false;
    CheckOptions options;
    options.model = m_state.CurrentModelIndex;
    options.pictures = decodePicture;
    // The digest names the file only while the document is what it holds.
    const QString sha256 = m_window.filePath().isEmpty() || m_window.isModified()
                               ? QString()
                               : fileSha256(m_window.filePath());
    const WebPageResult result = exportWalkthroughPage(
        buildWalkthrough(doc, options.model, checkWizard(doc, options)), chosen.path, sha256);
    if (!result.ok) {
        m_ui.report(Message::fromText(QStringLiteral("The web page could not be written."), {},
                                      MessageIcon::Error)
                        .withDetail(result.error));
        return false;
    }
    if (!result.problems.isEmpty())
        m_ui.report(Message::fromText(QStringLiteral("Some attached files could not be copied."),
                                      {}, MessageIcon::Warning)
                        .withDetail(result.problems.join(u'\n')));
    showWrittenNotice(m_ui, &m_window, QStringLiteral("Web page"),
                      chosen.path + QStringLiteral("/index.html"));
    return true;
}

} // namespace stepvane
