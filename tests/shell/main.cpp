// The shell tests need a QApplication (offscreen) and the language table.
#include "instrument_files/LanguageInfo.h"

#include <QApplication>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    // Settings written by the tests go to a throw-away place, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QCoreApplication::setOrganizationName(QStringLiteral("Vexmar"));
    QCoreApplication::setApplicationName(QStringLiteral("Stepvane"));
    stepvane::LoadLanguageInfo();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
