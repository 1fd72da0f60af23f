// stepvane-cli export on a saved wizard, and the page it writes opened in a
// real browser (headless Chromium).
#include "summary/walkthrough/WalkCards.h"
#include "support/CliRun.h"
#include "support/TestFiles.h"
#include "walkthrough/SampleWizard.h"

#include <QCryptographicHash>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

const QString kHostileTitle = "Tower <b id=\"injected\">7</b> </script><script>x()";

class ExportCli : public ::testing::Test {
protected:
    QString saveSample()
    {
        WizardDocument doc = sampleWizard(dir.path(), 2);
        doc.Title = kHostileTitle;
        return savedWizard(doc, dir.filePath("sample.wzd"));
    }
    QTemporaryDir dir;
};

// Runs the browser with a scratch profile; its output, or a null string when
// it did not finish in time.
QByteArray runBrowser(const QString &browser, const QStringList &args)
{
    QTemporaryDir profile;
    QProcess p;
    p.start(browser, QStringList{"--headless", "--no-sandbox", "--disable-gpu",
                                 "--user-data-dir=" + profile.path()} +
                         args);
    if (!p.waitForFinished(90000)) {
        p.kill();
        p.waitForFinished();
        return QByteArray();
    }
    return p.readAllStandardOutput();
}

} // namespace

TEST_F(ExportCli, WritesThePageWithTheFilesDigest)
{
    const QString wizard = saveSample();
    const QString out = dir.filePath("out/page");
    const CliRun run = cli({"export", wizard, "--html", out});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QString html = QString::fromUtf8(readAll(out + "/index.html"));
    const QByteArray digest =
        QCryptographicHash::hash(readAll(wizard), QCryptographicHash::Sha256).toHex();
    EXPECT_TRUE(html.contains(QString::fromLatin1(digest)));
    EXPECT_TRUE(html.contains("VX330A"));
    EXPECT_FALSE(html.contains("<script>"));
}

TEST_F(ExportCli, BadCallsWriteNothing)
{
    const QString out = dir.filePath("page");
    EXPECT_EQ(cli({"export", saveSample()}).code, 2);
    EXPECT_EQ(cli({"export", saveSample(), "--html", out, "--model", "9"}).code, 2);
    ASSERT_TRUE(writeAll(dir.filePath("broken.wzd"), "<not a wizard"));
    const CliRun broken = cli({"export", dir.filePath("broken.wzd"), "--html", out});
    EXPECT_EQ(broken.code, 1);
    EXPECT_FALSE(broken.err.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(ExportCli, ARealBrowserShowsEveryStepAndRunsNothing)
{
    QString browser;
    for (const char *name : {"chromium", "chromium-browser", "google-chrome"})
        if (browser.isEmpty())
            browser = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (browser.isEmpty())
        GTEST_SKIP() << "no Chromium found (scripts/install-deps installs the chromium package)";

    const QString out = dir.filePath("page");
    ASSERT_EQ(cli({"export", saveSample(), "--html", out}).code, 0);
    const QString url = QUrl::fromLocalFile(out + "/index.html").toString();

    const QString dom = QString::fromUtf8(runBrowser(browser, {"--dump-dom", url}));
    ASSERT_FALSE(dom.isEmpty()) << "the browser gave no page within 90 s";
    const Walkthrough walk = buildWalkthrough(sampleWizard(dir.path(), 2), 2);
    for (const WalkSequence &sequence : walk.sequences) {
        EXPECT_TRUE(dom.contains(sequence.title));
        for (const WalkCard &card : sequence.cards) {
            EXPECT_TRUE(
                dom.contains(QStringLiteral("Step %1: %2").arg(card.step + 1).arg(card.label)))
                << card.label.toStdString();
            EXPECT_TRUE(dom.contains(
                QStringLiteral("id=\"s%1-t%2\"").arg(card.sequence + 1).arg(card.step + 1)));
        }
    }
    EXPECT_FALSE(dom.contains("<b id=\"injected\""));
    EXPECT_FALSE(dom.contains("<script"));

    const QString shot = dir.filePath("shot.png");
    runBrowser(browser,
               {"--screenshot=" + shot, "--window-size=1000,1400", "--hide-scrollbars", url});
    const QImage image(shot);
    ASSERT_FALSE(image.isNull()) << "no screenshot";
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 20) << "the screenshot is blank";
}
