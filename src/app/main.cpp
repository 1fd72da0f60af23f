// The stepvane program: the wizard editor. "--merge BASE LOCAL REMOTE MERGED"
// resolves a merge's conflicts (git mergetool). "--screenshots DIR" renders
// the windows with sample content to PNG files instead (make screenshots).
#include "common/Leftovers.h"
#include "instrument_files/LanguageInfo.h"
#include "shell/app/CStepvaneApp.h"
#include "shell/app/Screenshots.h"
#include "shell/dialogs/QtUserInterface.h"

#include <QApplication>
#include <QStyleFactory>

#include <csignal>
#include <cstring>

int main(int argc, char *argv[])
{
    // A file-size limit is a write error like a full disk (the save reports
    // it and leaves the old file), not the end of the program.
    std::signal(SIGXFSZ, SIG_IGN);
    const char *screenshotFolder = nullptr;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--screenshots") == 0)
            screenshotFolder = argv[i + 1];
    if (screenshotFolder && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    // What killed runs of any of the programs left in the temporary folder.
    stepvane::sweepLeftovers();
    // Desktops match the window to the installed desktop entry (its icon) by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.vexmar.Stepvane"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (screenshotFolder) {
        stepvane::LoadLanguageInfo();
        return stepvane::renderScreenshots(QString::fromLocal8Bit(screenshotFolder));
    }
    stepvane::QtUserInterface ui;
    stepvane::CStepvaneApp stepvane(ui);
    return stepvane.Start(QApplication::arguments());
}
