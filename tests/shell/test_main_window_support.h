// Shared set-up of the main-window tests: a main window on a fake user
// interface, a scratch folder, and wizard files written by the real writer.
#pragma once

#include "test_main_window_fake_ui.h"

#include "document/VX_CAAXML_PARSER.h"
#include "shell/main/CStepvaneDlg.h"
#include "shell/sequences/CVXTestList_View.h"
#include "widgets/AppState.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Readable QString output in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << '[' << l.join(QStringLiteral(", ")).toStdString() << ']';
}
QT_END_NAMESPACE

namespace stepvane::test {

// A wizard with sequences of the given titles, each with `steps` steps.
inline WizardDocument makeWizard(const QStringList &titles, int steps = 0,
                                 const QString &password = QString())
{
    WizardDocument doc;
    doc.Title = QStringLiteral("Site survey");
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
    const QString mark = window.isWindowModified() ? QStringLiteral("*") : QString();
    return title.replace(QStringLiteral("[*]"), mark);
}

inline QString storedPassword(const QString &path)
{
    VX_CAAXML_PARSER parser(nullptr, 0);
    if (!parser.Load_Document(path))
        return QStringLiteral("<unreadable>");
    return parser.Read_Password();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        state.CurrentModelIndex = 2;
        window = std::make_unique<CStepvaneDlg>(state, ui);
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    WizardDocument &doc() { return window->document(); }
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
