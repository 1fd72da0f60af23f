// Shared set-up of the shell tests: a main window on a fake user interface, a
// scratch folder, wizard files written by the real writer, and the headers
// nearly every test here needs.
#pragma once

#include "test_main_window_fake_ui.h"

#include "document/ModelTables.h"
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "editors/pages/CMeasureModeView.h"
#include "shell/app/CStepvaneApp.h"
#include "shell/check/CheckFindingsDlg.h"
#include "shell/check/WizardCheckCommand.h"
#include "shell/comm/CDlgComm.h"
#include "shell/comm/FleetInstrumentDlg.h"
#include "shell/comm/FleetSendDlg.h"
#include "shell/dialogs/CVXSpanlyxSelectDlg.h"
#include "shell/dialogs/DocumentViewer.h"
#include "shell/dialogs/QtUserInterface.h"
#include "shell/dialogs/StatusNotice.h"
#include "shell/history/RecoveryCopies.h"
#include "shell/main/CStepvaneDlg.h"
#include "shell/sequences/CVXTestList_View.h"
#include "shell/taskeditor/CVXCommandItems_View.h"
#include "shell/taskeditor/CVXMeasureList_View.h"
#include "shell/taskeditor/CVXMeasurementEditDlg.h"
#include "shell/taskeditor/CVXetailItemView.h"
#include "shell/walkthrough/WalkthroughWindow.h"
#include "support/QStringPrint.h"
#include "support/SimProcess.h"
#include "support/TestFiles.h"
#include "support/WidgetTestSupport.h"
#include "widgets/AppState.h"
#include "widgets/CKiteButton.h"
#include "widgets/CVXEdit.h"

#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Readable QString lists in failure messages (QString: support/QStringPrint.h).
QT_BEGIN_NAMESPACE
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << '[' << l.join(", ").toStdString() << ']';
}
QT_END_NAMESPACE

namespace stepvane::test {

// A wizard with sequences of the given titles, each with `steps` steps.
inline WizardDocument makeWizard(const QStringList &titles, int steps = 0,
                                 const QString &password = QString())
{
    WizardDocument doc;
    doc.Title = "Site survey";
    for (const QString &t : titles) {
        TestingSequence *s = doc.appendSequence();
        s->Title = t;
        for (int i = 0; i < steps; ++i) {
            HoldTask hold;
            hold.Description = QStringLiteral("%1 step %2").arg(t).arg(i);
            s->insertStep(-1, hold);
        }
    }
    if (!password.isEmpty())
        doc.setPassword(password);
    return doc;
}

inline bool writeWizardFile(const WizardDocument &doc, int model, const QString &path)
{
    WizardDocument copy = doc;
    VX_CAAXML_PARSER parser(&copy, model);
    return parser.Save_Wizard(path);
}

// A testing unit file holding one sequence of the given title.
inline bool writeTestingUnit(const QString &title, int model, const QString &path, int steps = 0)
{
    WizardDocument doc = makeWizard({title}, steps);
    VX_CAAXML_PARSER parser(&doc, model);
    return parser.Save_Testing_Unit(0, path);
}

// What a file holds, read back by the real reader (password not checked).
inline WizardDocument readWizardFile(const QString &path, int model)
{
    WizardDocument doc;
    VX_CAAXML_PARSER parser(&doc, model);
    EXPECT_EQ(parser.Read_Wizard_File(path), 1) << path.toStdString();
    return doc;
}

// The title as the window system shows it: "[*]" is "*" while the document
// has unsaved changes, and nothing otherwise.
inline QString shownTitle(const QWidget &window)
{
    QString title = window.windowTitle();
    const QString mark = window.isWindowModified() ? "*" : QString();
    return title.replace("[*]", mark);
}

// Waits (bounded, never timed) until a dialog's transfer has ended.
template <typename Dialog> bool waitForTransfer(Dialog &dialog)
{
    for (int i = 0; i < 600 && dialog.transferRunning(); ++i)
        QTest::qWait(50);
    return !dialog.transferRunning();
}

// The program's own settings store.
inline QSettings programSettings()
{
    return QSettings("Vexmar", "Stepvane");
}

// Makes the window the one with the focus, as the window system would.
inline void activate(QWidget *w)
{
    w->show();
    w->raise();
    // Asked of the window itself: QWidget::activateWindow() counts a window
    // active while a window it carries (the task editor) has the focus.
    w->windowHandle()->requestActivate();
    EXPECT_TRUE(QTest::qWaitFor([w] {
        return QGuiApplication::focusWindow() == w->windowHandle();
    })) << "no focus for "
        << w->metaObject()->className();
}

// Files dropped on a widget as a window system delivers them: enter, then drop.
inline void dropFiles(QWidget &target, const QStringList &paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << QUrl::fromLocalFile(p);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    QDropEvent event(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

inline QString storedPassword(const QString &path)
{
    VX_CAAXML_PARSER parser(nullptr, 0);
    if (!parser.Load_Document(path))
        return "<unreadable>";
    return parser.Read_Password();
}

class MainWindowTest : public ::testing::Test {
public: // for the lambdas of case tables
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        state.CurrentModelIndex = 2;
        window = std::make_unique<CStepvaneDlg>(state, ui);
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    // A wizard file in the scratch folder, written by the real writer.
    QString wizardFile(const QString &name, const QStringList &sequences, int model = 2,
                       int steps = 0)
    {
        const QString file = path(name);
        EXPECT_TRUE(writeWizardFile(makeWizard(sequences, steps), model, file))
            << file.toStdString();
        return file;
    }
    WizardDocument &doc() { return window->document(); }
    // "Check wizard" from its menu command; the findings window it shows.
    CheckFindingsDlg *runCheck()
    {
        window->action("actionCheck")->trigger();
        auto *command = window->findChild<WizardCheckCommand *>();
        return command ? command->findingsWindow() : nullptr;
    }
    void clickFinding(CheckFindingsDlg *findings, int row)
    {
        QTreeWidget *list = findings->list();
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QCoreApplication::processEvents(); // the queued request to show the step
    }
    // A change made as the user makes it: a sequence added by its title.
    void addNamedSequence(const QString &title)
    {
        window->newSequenceEdit()->setText(title);
        window->addSequence();
    }
    CVXTestList_View &pane() { return *window->pane(); }
    QStringList titles()
    {
        QStringList out;
        for (const auto &s : doc().sequences)
            out << s->Title;
        return out;
    }
    void addSequences(int count, int steps = 0)
    {
        for (int i = 0; i < count; ++i) {
            TestingSequence *s = doc().appendSequence();
            s->Title = QStringLiteral("S%1").arg(i);
            for (int k = 0; k < steps; ++k)
                s->insertStep(-1, HoldTask{});
        }
        pane().refreshRows();
    }

    QTemporaryDir dir;
    FakeUi ui;
    AppState state;
    std::unique_ptr<CStepvaneDlg> window;
};

} // namespace stepvane::test
