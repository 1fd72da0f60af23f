// The test program of every folder that drives real widgets (shell, editors,
// widgets): a QApplication (offscreen) and the language table.
#include "instrument_files/LanguageInfo.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    // Settings written by the tests go to a throw-away folder of this process,
    // never the user's and never one shared with a test running beside it
    // (Qt's test mode would share ~/.qttest between processes).
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // Recovery copies too (the user's state folder).
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QCoreApplication::setOrganizationName(QStringLiteral("Vexmar"));
    QCoreApplication::setApplicationName(QStringLiteral("Stepvane"));
    stepvane::LoadLanguageInfo();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
