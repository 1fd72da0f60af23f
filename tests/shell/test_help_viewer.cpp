// F1 where no browser can start: the desktop opener fails, so the program's
// own viewer shows the guide, with its pictures; where an opener works (or is
// still starting a browser) the desktop's viewer is taken.
#include "test_main_window_support.h"

namespace stepvane::test {
namespace {

// A PATH holding only an xdg-open that runs the given shell lines.
class FakeOpener {
public:
    explicit FakeOpener(const QByteArray &body) : m_path(qgetenv("PATH"))
    {
        const QString script = m_dir.filePath("xdg-open");
        writeAll(script, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", m_dir.path().toLocal8Bit() + ":/bin:/usr/bin");
    }
    ~FakeOpener() { qputenv("PATH", m_path); }

private:
    QTemporaryDir m_dir;
    QByteArray m_path;
};

} // namespace

TEST(HelpViewer, TheOpenerSaysWhetherABrowserStarted)
{
    const QString guide = QStringLiteral(STEPVANE_SOURCE_DIR "/data/help/index.html");
    const struct {
        const char *script;
        bool opened;
    } cases[] = {{"exit 3", false}, {"exit 4", false}, {"exit 0", true}, {"exec sleep 5", true}};
    for (const auto &c : cases) {
        FakeOpener opener(c.script);
        EXPECT_EQ(openWithXdgOpen(guide, 400), c.opened) << c.script;
    }
    FakeOpener none("exit 0");
    qputenv("PATH", "/nonexistent");
    EXPECT_FALSE(openWithXdgOpen(guide, 400));
}

TEST(HelpViewer, F1ShowsTheProgramsOwnViewer)
{
    FakeOpener opener("exit 3"); // xdg-open finds no browser
    QtUserInterface ui;
    AppState state;
    state.CurrentModelIndex = 2;
    CStepvaneDlg window(state, ui);
    activate(&window);
    // A message box instead of the viewer would wait for a click: close it.
    QTimer::singleShot(3000, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    QTest::keyClick(&window, Qt::Key_F1);
    auto *viewer = window.findChild<DocumentViewer *>();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(viewer->shownPath().endsWith("help/index.html"));
    EXPECT_TRUE(viewer->browser()->toPlainText().contains("Check wizard"));
    // The guide's pictures lie beside it and load in the viewer.
    const QVariant picture = viewer->browser()->loadResource(QTextDocument::ImageResource,
                                                             QUrl("main-window-export.png"));
    EXPECT_TRUE(picture.isValid() && !picture.toByteArray().isEmpty());
}

} // namespace stepvane::test
