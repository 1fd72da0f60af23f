// The load-setup page: attaching a setup from the computer (the
// instrument's format and XML, whose working copy loses its calibration
// data while the chosen file stays as it was), dropping it by choosing a
// mode, and fetching the setup from stepvane-sim over the loopback
// interface through the communication dialog, including an empty setup and
// fetches that fail or are cancelled, which change nothing.
#include "PageTestSupport.h"
#include "support/SimProcess.h"

#include "editors/pages/CLoadSetupView.h"
#include "instrument_files/SetupImageBuilder.h"
#include "shell/comm/CommDialogLauncher.h"

#include <QPlainTextEdit>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QToolButton>

using namespace page_test;
using stepvane::test::readAll;

namespace {

const QByteArray kDtfSetup = [] {
    stepvane::test::SetupImage image;
    image.startStopHz(2000000000, 2500000000).distance(0, 30).velocity(0.85f);
    return image.cableName("LMR-400").traces(2).layout(0).bytes;
}();

class LoadPage : public WorkFolderTest {
protected:
    void SetUp() override
    {
        WorkFolderTest::SetUp();
        step = addStep(TaskLoad);
        page.Bind(step);
        page.show();
    }
    LoadTask &record() { return *step->as<LoadTask>(); }
    QString infoShown() const { return page.infoBox()->toPlainText(); }

    // The fetch runs the real communication dialog against the simulator.
    void fetchThroughTheDialog(int port)
    {
        stepvane::test::storeConnection(1, "127.0.0.1", port);
        ui.fetch = [this](QWidget *parent, const QString &path) {
            ui.modal.push_back([](QDialog &dialog) {
                QSignalSpy done(&dialog, &QDialog::finished);
                EXPECT_TRUE(done.wait(30000)) << "the fetch closes its dialog";
                return dialog.result();
            });
            return runCommDialog(ui, CommDialogMode::FetchSetup, parent, path);
        };
    }

    TaskStep *step = nullptr;
    CLoadSetupView page{context};
};

TEST_F(LoadPage, SetupsFromTheComputerAreSummarisedCopiedByFormatAndDroppedByAMode)
{
    ui.openPaths = {path("ignored.sta")};
    page.openButton()->click();
    EXPECT_TRUE(ui.openTitles.isEmpty()) << "factory preset: nothing to attach";

    page.modeButton(2)->click();
    const QString sta = textFile("pc/feeder.sta", kDtfSetup);
    ui.openPaths = {sta};
    page.openButton()->click();
    EXPECT_EQ(ui.openFilters, QStringList{"STA(*.sta, *.STA)|*.sta;*.STA|"});
    EXPECT_EQ(ui.openSuffixes, QStringList{"sta"});
    EXPECT_EQ(record().SetupFormat, 1);
    EXPECT_TRUE(record().Setup_Info.startsWith(" 1. File Name: feeder.sta\n 2. Layout: Single\n"
                                               " 3. Mode: DTF VSWR\n"));
    EXPECT_TRUE(record().Setup_Info.contains(" 6. Cable Name: LMR-400\n"));
    EXPECT_EQ(infoShown(), record().Setup_Info);
    EXPECT_EQ(page.attachedField()->text(), sta);
    EXPECT_TRUE(page.fetchedField()->text().isEmpty());
    EXPECT_EQ(readAll(record().SetupfileName), kDtfSetup);
    EXPECT_EQ(record().SetupfileSize, Size(kDtfSetup.size()));
    const LoadTask binary = record();

    // An unknown file is refused and the step keeps its setup.
    ui.openPaths = {textFile("pc/empty.sta", QByteArray())};
    page.openButton()->click();
    EXPECT_EQ(ui.reports, QStringList{"IDS_UNKWON_SETUP_FORMAT"});
    EXPECT_EQ(record(), binary);
    // So is a file the setup reader takes but that holds no setup.
    ui.openPaths = {textFile("pc/random.sta", QByteArray(2048, '\xA5'))};
    page.openButton()->click();
    EXPECT_EQ(ui.reports.size(), 2);
    EXPECT_EQ(record(), binary);

    const QString xml =
        textFile("pc/site_dtf.xml", readAll(stepvane::test::fixture("procedure/site_dtf.xml")));
    const QByteArray original = readAll(xml);
    ui.openPaths = {xml};
    page.openButton()->click();
    EXPECT_EQ(record().SetupFormat, 2);
    EXPECT_TRUE(record().Setup_Info.contains("File Name: site_dtf.xml"));
    const QByteArray copy = readAll(record().SetupfileName);
    EXPECT_FALSE(copy.contains("Cal_Method1") || copy.contains("Cal_Current"));
    EXPECT_TRUE(copy.contains("LoadInfo"));
    EXPECT_EQ(readAll(xml), original) << "the chosen file is unchanged";

    const auto back = saveAndReopen(doc);
    const LoadTask *read = back->sequence(0)->step(0)->as<LoadTask>();
    EXPECT_EQ(readAll(read->SetupfileName), copy);
    EXPECT_EQ(read->Setup_Info, record().Setup_Info);

    // Choosing a mode, the shown one again, drops the setup but no file.
    const QString copyPath = record().SetupfileName;
    page.modeButton(2)->click();
    EXPECT_EQ(std::tuple(record().Mode, record().SetupfileName, record().Setup_Info,
                         record().SetupfileSize),
              std::tuple(2, QString(), QString(), Size(0)));
    EXPECT_TRUE(page.attachedField()->text().isEmpty());
    EXPECT_TRUE(infoShown().isEmpty());
    EXPECT_TRUE(QFile::exists(copyPath)) << "another record may still use it";

    TaskStep *none = doc.sequence(0)->insertStep(-1, makeDefaultRecord(TaskLoad, 2, 0));
    none->as<LoadTask>()->Mode = 0;
    none->as<LoadTask>()->Setup_Info = "stale";
    page.Bind(none);
    for (int mode = 1; mode <= 3; ++mode)
        EXPECT_FALSE(page.modeButton(mode)->state());
    EXPECT_TRUE(infoShown().isEmpty());
}

TEST_F(LoadPage, FetchesTheInstrumentSetupFromTheSimulatorAndKeepsItWhenAFetchFails)
{
    ASSERT_TRUE(QFile::exists(QStringLiteral(STEPVANE_BIN_DIR "/stepvane-sim")));
    const QString setupOnInstrument = textFile("instrument/current.sta", kDtfSetup);
    stepvane::test::Sim sim({"--setup", setupOnInstrument, "--chunk", "3000"});
    ASSERT_GT(sim.port(), 0);
    fetchThroughTheDialog(sim.port());

    page.fetchButton()->click();
    EXPECT_TRUE(ui.saveTitles.isEmpty()) << "factory preset: nothing to fetch";
    page.modeButton(3)->click();
    const QString target = path("kept/fetched.sta");
    QDir().mkpath(path("kept"));
    ui.savePaths = {target};
    page.fetchButton()->click();
    EXPECT_EQ(ui.saveTitles, QStringList{"Save and attach file"});
    EXPECT_EQ(ui.fetchPaths, QStringList{target});
    EXPECT_EQ(ui.reports, QStringList());
    EXPECT_EQ(readAll(target), kDtfSetup) << "the fetched file is where the user asked";
    EXPECT_EQ(record().SetupFormat, 1);
    EXPECT_TRUE(record().Setup_Info.startsWith(" 1. File Name: fetched.sta\n"));
    EXPECT_TRUE(record().Setup_Info.contains(" 3. Mode: DTF VSWR\n"))
        << "summarised by the reader of the instrument's format";
    EXPECT_EQ(readAll(record().SetupfileName), kDtfSetup);
    EXPECT_NE(record().SetupfileName, target) << "the step has its own working copy";
    EXPECT_EQ(page.fetchedField()->text(), target);
    const LoadTask fetched = record();

    // Cancelled at the save dialog: no fetch, nothing changes.
    page.fetchButton()->click();
    EXPECT_EQ(ui.fetchPaths.size(), 1);
    EXPECT_EQ(record(), fetched);

    // Fetches that bring nothing usable change nothing either.
    {
        stepvane::test::Sim empty; // an instrument whose setup is empty
        ASSERT_GT(empty.port(), 0);
        fetchThroughTheDialog(empty.port());
        ui.savePaths = {path("empty.sta")};
        page.fetchButton()->click();
        EXPECT_EQ(ui.reports, QStringList{"IDS_UNKWON_SETUP_FORMAT"});
        EXPECT_EQ(record(), fetched);
    }
    {
        stepvane::test::Sim fiber({"--fiber"});
        fetchThroughTheDialog(fiber.port());
        ui.reports.clear();
        ui.savePaths = {path("fiber.sta")};
        page.fetchButton()->click();
        EXPECT_EQ(ui.reports, QStringList{"IDS_FIBER_INSPECTION_MODE"});
        EXPECT_FALSE(QFile::exists(path("fiber.sta")));
        EXPECT_EQ(record(), fetched);
    }
}

} // namespace
