// Prompt, Save, Report, Load and the description-only steps in wzd files:
// hand-written reference files read into the expected records and written
// back element for element, round trips of awkward values, and the codes,
// defaults and attachment rules the instrument depends on.
#include "StepWizards.h"
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace stepvane;

namespace {

const QString kFixtures = test::fixture("procedure");

// ---- documents

AttachedImage picture(const QString &comment, const QString &name, const QString &dir, int w, int h)
{
    return AttachedImage{comment, name, dir + u'/' + name, 73, w, h};
}

// The records each reference file holds; dir is where the attachments lie.
void promptDocument(WizardDocument &doc, const QString &dir)
{
    doc.Title = "Prompts at tower 7", doc.SeqEndOption = 1;
    TestingSequence *seq = doc.appendSequence();
    seq->Title = "Connector check";
    PromptTask p;
    p.Description = QStringLiteral(u"Fit the N connector & torque to 1.1 N·m <hand-tight first>");
    p.Manual_operation = 1;
    p.images[0] = picture("Connector before torque", "connector.png", dir, 3, 2);
    p.images[3] = picture("Antenna mast, north face", "antenna.png", dir, 4, 5);
    p.Move_forward_Mode = 1, p.DelayTime = 12;
    seq->insertStep(-1, p);
    PromptTask quiet;
    quiet.Description = "Wait for the rigger";
    seq->insertStep(-1, quiet);
}

void saveDocument(WizardDocument &doc, const QString &dir)
{
    doc.Title = "Save results";
    TestingSequence *seq = doc.appendSequence();
    seq->Title = "Store the sweep";
    SaveTask s;
    s.Description = "Save trace, report and screen", s.SaveMode = 2, s.Storage = 2;
    s.BaseFileName = "tower7_", s.BaseFolderName = "Sites/Tower7";
    s.Trace_Check = 1, s.Trace_Format = 2, s.Report_Check = 3, s.Report_Format = 6;
    s.Screen_Check = 4, s.ColorInversion = 7, s.MarkerReadings = 9;
    s.WorkFolder = "WF-2024", s.WorkOrderID = "WO-5531";
    s.Site_ID = "SITE-0007", s.Sector = "Alpha";
    s.Technology = "LTE 1800", s.Test_Type = "Sweep";
    s.Termination = "Load 50 Ohm";
    s.Company_Check = 1, s.Company_Name = "Vexmar Field Services";
    s.Address_Check = 1, s.Address_Name = "12 Harbour Road, Leith";
    s.logo = picture(QString(), "logo.png", dir, 6, 2);
    s.Engineer_Check = 1, s.Engineer_Name = "A. Mensah";
    s.TestPurpose_Name = "Acceptance";
    s.Site_Information_Check = 1, s.Site_Information_Name = "Roof top, north face";
    s.Remark_Check = 1, s.Remark_Name = "Retest after rain", s.Result_Prev = 1;
    seq->insertStep(-1, s);
    SaveTask plain;
    plain.Trace_Check = 0;
    plain.Trace_Format = 12; // beyond the format table
    seq->insertStep(-1, plain);
}

void reportDocument(WizardDocument &doc, const QString &dir)
{
    doc.Title = "Consolidated reports";
    TestingSequence *seq = doc.appendSequence();
    seq->Title = "Close-out";
    ReportTask r;
    r.Description = "Close-out report for the customer", r.SaveMode = 2;
    r.BaseFolderName = "Reports/2024", r.BaseFileName = "closeout";
    r.Filetype = 3;
    r.Workfolder = "WF-88", r.WorkorderID = "WO-1200";
    r.Site_ID = "S-42", r.Sector = "Gamma";
    r.Technology = "5G NR n78", r.Test_type = "DTF";
    r.Termination = "Open";
    r.Company_Check = 1, r.Company_Name = "Vexmar";
    r.Address_Name = "Leith";
    r.logo = picture(QString(), "logo.png", dir, 6, 2);
    r.Engineer_Check = 1, r.Engineer_Name = "J. Ortiz";
    r.TestPurpose_Check = 1, r.TestPurpose_Name = "Handover";
    r.Result_Check = 1, r.Result_Name = "Pass";
    r.Remark_Name = "n/a";
    seq->insertStep(-1, r);
    ReportTask plain;
    plain.Filetype = 11; // beyond the format table
    seq->insertStep(-1, plain);
}

const QString kSiteDtfInfo = QStringLiteral(
    " 1. File Name: site_dtf.xml\n 2. Layout: Dual Horizotal\n 3. Mode: DTF VSWR,Smith Chart\n"
    " 4. Frequency Band: 5.00 MHz - 2700.50 MHz\n 5. Distance: 0.00 - 15.00\n"
    " 6. Cable Name: HFC-12D (1/2')\n 7. Velocity Factory: 0.8800\n");

void loadDocument(WizardDocument &doc, const QString &dir)
{
    doc.Title = "Load setups";
    TestingSequence *seq = doc.appendSequence();
    seq->Title = "Setups";
    LoadTask fromPc;
    fromPc.Description = "Load the DTF site setup", fromPc.Mode = 2;
    fromPc.SetupfileName = dir + "/site_dtf.xml", fromPc.Setup_Info = kSiteDtfInfo;
    fromPc.SetupfileSize = 823;
    seq->insertStep(-1, fromPc);
    LoadTask preset;
    preset.Description = "Start from the factory preset";
    seq->insertStep(-1, preset);
    LoadTask fromEqp;
    fromEqp.Description = "Setup still to be fetched from the instrument";
    fromEqp.Mode = 3;
    seq->insertStep(-1, fromEqp);
    LoadTask none;
    none.Mode = 0;
    seq->insertStep(-1, none);
}

void descriptionDocument(WizardDocument &doc, const QString &)
{
    doc.Title = "Calibrate, hold, scale";
    TestingSequence *seq = doc.appendSequence();
    seq->Title = "Simple steps";
    seq->insertStep(-1, CalibrationTask{"Calibrate port 1 with the \"OSL\" kit"});
    seq->insertStep(-1, HoldTask{"Hold the trace for the photo"});
    seq->insertStep(-1, AutoScaleTask{});
    seq->insertStep(-1, CalibrationTask{QStringLiteral(u"Zweite Kalibrierung – Port 2")});
}

// Calls fn with every attachment path field of the document, its stored
// name and its size.
void forEachAttachment(WizardDocument &doc,
                       const std::function<void(QString &path, const QString &name, Size size)> &fn)
{
    for (auto &seq : doc.sequences)
        for (auto &step : seq->steps) {
            if (auto *p = step->as<PromptTask>())
                for (auto &image : p->images)
                    fn(image.TransImageName, image.ImageName, image.Image_filesize);
            if (auto *s = step->as<SaveTask>())
                fn(s->logo.TransImageName, s->logo.ImageName, s->logo.Image_filesize);
            if (auto *r = step->as<ReportTask>())
                fn(r->logo.TransImageName, r->logo.ImageName, r->logo.Image_filesize);
            if (auto *l = step->as<LoadTask>())
                fn(l->SetupfileName, QFileInfo(l->SetupfileName).fileName(), l->SetupfileSize);
        }
}

// Checks every restored attachment against its source file (same bytes, same
// file name, a fresh working copy) and then clears the path fields, which
// name different folders on the writing and the reading side.
void checkAndClearAttachments(WizardDocument &doc, const QString &sourceDir)
{
    forEachAttachment(doc, [&](QString &path, const QString &name, Size size) {
        if (size > 0) {
            EXPECT_TRUE(test::isWorkingCopyOf(path, name)) << qPrintable(path);
            EXPECT_TRUE(path.startsWith(WorkingCopies::instance().folder())) << qPrintable(path);
            EXPECT_EQ(test::readAll(path), test::readAll(sourceDir + u'/' + name))
                << qPrintable(name);
        }
        path.clear();
    });
}

void clearPaths(WizardDocument &doc)
{
    forEachAttachment(doc, [](QString &path, const QString &, Size) { path.clear(); });
}

void expectSameDocument(const WizardDocument &actual, const WizardDocument &expected)
{
    EXPECT_EQ(actual.Title, expected.Title);
    EXPECT_EQ(actual.SeqEndOption, expected.SeqEndOption);
    ASSERT_EQ(actual.sequenceCount(), expected.sequenceCount());
    for (int i = 0; i < expected.sequenceCount(); ++i) {
        EXPECT_EQ(actual.sequence(i)->Title, expected.sequence(i)->Title);
        ASSERT_EQ(actual.sequence(i)->stepCount(), expected.sequence(i)->stepCount());
        for (int j = 0; j < expected.sequence(i)->stepCount(); ++j)
            EXPECT_TRUE(*actual.sequence(i)->step(j) == *expected.sequence(i)->step(j))
                << "sequence " << i << " step " << j;
    }
}

class ProcedureFile : public ::testing::Test {
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    bool save(WizardDocument &d, const QString &f) { return test::saveWizard(d, f, &m_sink); }
    int read(WizardDocument &d, const QString &f) { return test::readWizard(f, d, &m_sink); }
    // A wizard holding one hand-written step body, read back.
    TaskStep readStepBody(const QString &name, const QString &body)
    {
        int result = 0;
        const auto records =
            test::readBodies({QStringLiteral("<Task_Step_Name DValue=\"%1\"/>%2").arg(name, body)},
                             &m_sink, &result);
        return onlyStep(records, result);
    }
    // Writes one record and reads it back.
    TaskStep roundTrip(const TaskRecord &record, const QString &file)
    {
        WizardDocument doc = test::oneSequence({record});
        EXPECT_TRUE(save(doc, file));
        int result = 0;
        const auto records = test::readRecords(file, &m_sink, &result);
        return onlyStep(records, result);
    }
    static TaskStep onlyStep(const std::vector<TaskRecord> &records, int result)
    {
        EXPECT_EQ(result, 1);
        return records.size() == 1 ? TaskStep(records[0]) : TaskStep(HoldTask{"<step not read>"});
    }

    QTemporaryDir m_dir;
    CollectingMessageSink m_sink;
};

// ---------------------------------------------------------------- reference files

TEST_F(ProcedureFile, ReferenceFilesReadIntoTheExpectedRecordsAndTheWriterReproducesThem)
{
    const std::pair<const char *, void (*)(WizardDocument &, const QString &)> cases[] = {
        {"prompt.wzd", promptDocument},
        {"save.wzd", saveDocument},
        {"report.wzd", reportDocument},
        {"load.wzd", loadDocument},
        {"description_only.wzd", descriptionDocument}};
    for (const auto &[file, build] : cases) {
        SCOPED_TRACE(file);
        const QString reference = kFixtures + u'/' + QLatin1String(file);
        WizardDocument doc;
        ASSERT_EQ(read(doc, reference), 1);
        checkAndClearAttachments(doc, kFixtures);
        WizardDocument expected;
        build(expected, kFixtures);
        clearPaths(expected);
        expectSameDocument(doc, expected);

        WizardDocument written;
        build(written, kFixtures);
        const QString out = path(QLatin1String(file));
        ASSERT_TRUE(save(written, out));
        QString text = QString::fromUtf8(test::readAll(reference));
        text.replace("@DIR@", kFixtures.toHtmlEscaped());
        const QByteArray bytes = test::normalizedXml(test::readAll(out));
        ASSERT_FALSE(bytes.isEmpty());
        EXPECT_EQ(bytes.toStdString(), test::normalizedXml(text.toUtf8()).toStdString());
    }
    EXPECT_TRUE(m_sink.messages.empty()) << qPrintable(m_sink.texts().join(u'\n'));
}

// ---------------------------------------------------------------- round trips

TEST_F(ProcedureFile, AwkwardValuesSurviveARoundTrip)
{
    const QString awkward =
        QStringLiteral(u"line one\nline two\ttab \"quoted\" <&> 'ü' 日本 \U0001F4E1");
    PromptTask prompt;
    prompt.Description = awkward;
    prompt.Manual_operation = 2; // any non-zero flag is kept as stored
    prompt.Move_forward_Mode = 3, prompt.DelayTime = 600;
    prompt.images[9] = AttachedImage{awkward, "antenna.png", kFixtures + "/antenna.png", 73, 4, 5};
    SaveTask saveTask;
    saveTask.Description = awkward;
    saveTask.SaveMode = 7, saveTask.Storage = 0; // codes without a text
    saveTask.Report_Format = -1, saveTask.ColorInversion = 0, saveTask.MarkerReadings = 99;
    saveTask.Technology = QString(kFixedText512, u'T'), saveTask.Site_ID = awkward;
    saveTask.Company_Check = 2, saveTask.Remark_Check = 5, saveTask.Remark_Name = awkward;
    ReportTask report;
    report.SaveMode = 0, report.Filetype = 0;
    report.Test_type = awkward, report.Workfolder = QString(kFixedText512, u'W');
    report.Address_Check = 9;
    LoadTask load;
    load.Mode = 3, load.SetupfileName = kFixtures + "/site_dtf.xml";
    load.SetupfileSize = 823, load.Setup_Info = awkward, load.Description = awkward;

    const TaskRecord records[] = {prompt,
                                  saveTask,
                                  report,
                                  load,
                                  CalibrationTask{awkward},
                                  HoldTask{awkward},
                                  AutoScaleTask{awkward}};
    int n = 0;
    for (const TaskRecord &record : records) {
        SCOPED_TRACE(n);
        WizardDocument expected = test::oneSequence({record});
        TaskStep back = roundTrip(record, path(QStringLiteral("rt%1.wzd").arg(n++)));
        WizardDocument actual = test::oneSequence({back.record});
        checkAndClearAttachments(actual, kFixtures);
        clearPaths(expected);
        expectSameDocument(actual, expected);
    }
    EXPECT_TRUE(m_sink.messages.empty()) << qPrintable(m_sink.texts().join(u'\n'));
}

// ---------------------------------------------------------------- codes on the wire

TEST_F(ProcedureFile, SaveChecksAndFormatsUseTheInstrumentsCodes)
{
    struct Case {
        int SaveTask::*field;
        int value;
        const char *element; // below the step element
        const char *attributes;
        int readBack;
    };
    const Case cases[] = {
        {&SaveTask::Report_Check, 3, "Report/Check", "DValue=True;LValue=3", 3},
        {&SaveTask::Report_Check, 1, "Report/Check", "DValue=False;LValue=0", 0},
        {&SaveTask::Screen_Check, 4, "Screen/Check", "DValue=True;LValue=4", 4},
        {&SaveTask::Screen_Check, 3, "Screen/Check", "DValue=False;LValue=0", 0},
        {&SaveTask::Trace_Check, 4, "Trace/Check", "DValue=False;LValue=0", 0},
        {&SaveTask::Result_Prev, 2, "Result_Prev/Check", "DValue=True;LValue=1", 1},
        {&SaveTask::Company_Check, 2, "Company_Info/Company/Check", "DValue=True;LValue=2", 2},
        {&SaveTask::ColorInversion, 7, "Screen/ColorInversion", "DValue=On;LValue=7", 7},
        {&SaveTask::ColorInversion, 8, "Screen/ColorInversion", "DValue=Off;LValue=8", 8},
        {&SaveTask::MarkerReadings, 9, "Screen/MarkerReadings", "DValue=On;LValue=9", 9},
        {&SaveTask::MarkerReadings, 10, "Screen/MarkerReadings", "DValue=Off;LValue=10", 10},
        {&SaveTask::Trace_Format, 0, "Trace/Format", "DValue=NoFormat;LValue=0", 0},
        {&SaveTask::Trace_Format, -1, "Trace/Format", "LValue=-1", -1},
        {&SaveTask::Report_Format, 11, "Report/Format", "LValue=11", 11},
        {&SaveTask::SaveMode, 0, "SaveMode", "LValue=0", 0},
        {&SaveTask::Storage, 2, "Storage", "DValue=External;LValue=2", 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.element) + " " + std::to_string(c.value));
        SaveTask record;
        record.*c.field = c.value;
        const QString file = path("wire.wzd");
        const TaskStep back = roundTrip(record, file);
        EXPECT_EQ(test::stepAttributes(file, QLatin1String(c.element)), c.attributes);
        ASSERT_TRUE(back.as<SaveTask>());
        EXPECT_EQ(back.as<SaveTask>()->*c.field, c.readBack);
    }
}

TEST_F(ProcedureFile, LoadWritesTheSetupFileOnlyWhenItCarriesOne)
{
    struct Case {
        int mode;
        Size size;
        QStringList children;
    };
    const QStringList bare{"Task_Step_Name", "Description", "Mode"};
    const QStringList full{"Task_Step_Name", "Description",   "Mode",     "SetupfileName",
                           "Setup_Info",     "SetupfileSize", "ImageData"};
    const Case cases[] = {{1, 823, bare}, {0, 823, bare}, {4, 823, bare},
                          {2, 0, bare},   {2, 823, full}, {3, 823, full}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode * 10000 + int(c.size));
        LoadTask load;
        load.Mode = c.mode, load.SetupfileSize = c.size;
        load.SetupfileName = kFixtures + "/site_dtf.xml";
        load.Setup_Info = "summary";
        const QString file = path("load.wzd");
        const TaskStep back = roundTrip(load, file);
        EXPECT_EQ(test::stepChildren(file), c.children);
        ASSERT_TRUE(back.as<LoadTask>());
        EXPECT_EQ(back.as<LoadTask>()->SetupfileSize, c.children == full ? c.size : 0u);
        EXPECT_EQ(back.as<LoadTask>()->Setup_Info.isEmpty(), c.children != full);
    }
}

TEST_F(ProcedureFile, FixedTextsHoldAtMost511Characters)
{
    const QString longText(600, u'x');
    SaveTask saveTask;
    saveTask.Termination = longText;
    ReportTask report;
    report.WorkorderID = longText;
    const QString saveFile = path("s.wzd"), reportFile = path("r.wzd");
    const TaskStep savedBack = roundTrip(saveTask, saveFile);
    const TaskStep reportBack = roundTrip(report, reportFile);
    EXPECT_EQ(test::stepAttributes(saveFile, "TagID/Termination"),
              "DValue=" + longText.left(511).toStdString());
    EXPECT_EQ(savedBack.as<SaveTask>()->Termination, longText.left(511));
    EXPECT_EQ(reportBack.as<ReportTask>()->WorkorderID, longText.left(511));

    // A file from elsewhere may carry more; the record still holds 511.
    const TaskStep read = readStepBody(
        "Report", QStringLiteral("<TagID><Test_type DValue=\"%1\"/></TagID>").arg(longText));
    EXPECT_EQ(read.as<ReportTask>()->Test_type, longText.left(511));
}

// ---------------------------------------------------------------- reader defaults

TEST_F(ProcedureFile, StepsWithoutElementsTakeTheReaderDefaults)
{
    PromptTask prompt; // a file that does not say advances by itself
    prompt.Move_forward_Mode = 1;
    LoadTask load; // and loads nothing
    load.Mode = 0;
    EXPECT_TRUE(readStepBody("Prompt", {}) == TaskStep(prompt));
    EXPECT_TRUE(readStepBody("Load", {}) == TaskStep(load));
    EXPECT_TRUE(readStepBody("Save", {}) == TaskStep(SaveTask{}));
    EXPECT_TRUE(readStepBody("Report", {}) == TaskStep(ReportTask{}));
    EXPECT_TRUE(readStepBody("Hold", {}) == TaskStep(HoldTask{}));
}

TEST_F(ProcedureFile, PromptDelayBelowFiveIsRaisedToFive)
{
    // The comparison is unsigned, as on the instrument: a negative delay is
    // not "below five" and is left for the instrument to judge.
    const std::pair<const char *, int> cases[] = {{"2", 5},   {"0", 5}, {"4", 5},  {"5", 5},
                                                  {"30", 30}, {"x", 5}, {"-1", -1}};
    for (const auto &[stored, expected] : cases) {
        SCOPED_TRACE(stored);
        const TaskStep step = readStepBody(
            "Prompt",
            QStringLiteral(
                "<Move_forward><Mode DValue=\"Manual\" LValue=\"0\"/><DelayTime DValue=\"%1\"/>"
                "</Move_forward>")
                .arg(QLatin1String(stored)));
        ASSERT_TRUE(step.as<PromptTask>());
        EXPECT_EQ(step.as<PromptTask>()->DelayTime, expected);
        EXPECT_EQ(step.as<PromptTask>()->Move_forward_Mode, 0);
    }
}

TEST_F(ProcedureFile, LoadKeepsOnlyTheFileNameOfTheStoredPath)
{
    const QByteArray content("<QRTSetup/>\n");
    const QString body = QStringLiteral(
        "<Mode DValue=\"FromPC\" LValue=\"%1\"/><SetupfileName DValue=\"%2\"/><Setup_Info "
        "DValue=\"i\"/>"
        "<SetupfileSize DValue=\"12\"/><ImageData xmlns:dt=\"urn:schemas-microsoft-com:datatypes\" "
        "dt:dt=\"bin.base64\">%3</ImageData>");
    const std::pair<const char *, const char *> cases[] = {
        {"C:\\Users\\field\\Setups\\tower 7.xml", "tower 7.xml"},
        {"/home/field/setups/mast.xml", "mast.xml"},
        {"..\\..\\..\\escape.xml", "escape.xml"},
        {"plain.xml", "plain.xml"},
    };
    for (const auto &[stored, name] : cases) {
        SCOPED_TRACE(stored);
        const TaskStep step =
            readStepBody("Load", body.arg("2", QString::fromLatin1(stored).toHtmlEscaped(),
                                          QString::fromLatin1(content.toBase64())));
        const LoadTask *load = step.as<LoadTask>();
        ASSERT_TRUE(load);
        EXPECT_EQ(QFileInfo(load->SetupfileName).fileName(), QLatin1String(name));
        EXPECT_TRUE(load->SetupfileName.startsWith(WorkingCopies::instance().folder()));
        EXPECT_EQ(test::readAll(load->SetupfileName), content);
        EXPECT_EQ(load->SetupfileSize, 12u);
    }
    // A factory preset carries no file, whatever a foreign writer put beside it.
    const TaskStep preset = readStepBody("Load", body.arg("1", "x.xml", QString()));
    EXPECT_TRUE(preset.as<LoadTask>()->SetupfileName.isEmpty());
    EXPECT_EQ(preset.as<LoadTask>()->SetupfileSize, 0u);
    EXPECT_TRUE(m_sink.messages.empty()) << qPrintable(m_sink.texts().join(u'\n'));
}

// ---------------------------------------------------------------- attachment failures

TEST_F(ProcedureFile, AFileThatCannotBeStoredIsReportedAndTheStepStillWritten)
{
    const QString ghost = path("ghost.png");
    const AttachedImage missing{QString(), "ghost.png", ghost, 10, 1, 1};
    PromptTask prompt;
    prompt.images[2] = missing;
    SaveTask saveTask;
    saveTask.logo = missing;
    ReportTask report;
    report.logo = missing;
    LoadTask load;
    load.Mode = 2, load.SetupfileSize = 10, load.SetupfileName = ghost;
    const std::tuple<TaskRecord, QString, const char *> cases[] = {
        {prompt, "Prompt task item-Failed to Save (ghost.png)", "Move_forward"},
        {saveTask, "Save task item-Failed to Save (ghost.png)", "Result_Prev"},
        {report, "Report task item-Failed to Save (ghost.png)", "Job_Info"},
        {load, QStringLiteral("Load task item-Failed to Save (%1)").arg(ghost), "SetupfileSize"},
    };
    for (const auto &[record, message, lastElement] : cases) {
        SCOPED_TRACE(qPrintable(message));
        m_sink.messages.clear();
        const QString file = path("fail.wzd");
        WizardDocument doc = test::oneSequence({record});
        EXPECT_TRUE(save(doc, file));
        EXPECT_EQ(m_sink.texts(), QStringList{message});
        ASSERT_EQ(m_sink.messages.size(), 1u);
        EXPECT_EQ(m_sink.messages[0].icon, MessageIcon::Warning);
        EXPECT_EQ(test::stepChildren(file).value(test::stepChildren(file).size() - 1),
                  QLatin1String(lastElement));
    }
}

TEST_F(ProcedureFile, AFileThatCannotBeRestoredIsReportedAndTheReadGoesOn)
{
    // A stored name with no usable file part is never written anywhere.
    const QString picture = QStringLiteral(
        "<ImageName DValue=\"..\"/><Image_filesize DValue=\"4\"/><ImageWidth DValue=\"1\"/>"
        "<ImageHeight DValue=\"1\"/><ImageData xmlns:dt=\"urn:schemas-microsoft-com:datatypes\" "
        "dt:dt=\"bin.base64\">AAAAAA==</ImageData>");
    const std::tuple<const char *, QString, QString> cases[] = {
        {"Prompt", QStringLiteral("<ImageNum_4>%1</ImageNum_4>").arg(picture),
         "Prompt task item-Failed to Load (..)"},
        {"Save", QStringLiteral("<Company_Info><Logo>%1</Logo></Company_Info>").arg(picture),
         "Save task item-Failed to Load (..)"},
        {"Report", QStringLiteral("<Company_Info><Logo>%1</Logo></Company_Info>").arg(picture),
         "Report task item-Failed to Load (..)"},
        {"Load",
         QStringLiteral("<Mode LValue=\"3\"/><SetupfileName DValue=\"C:\\setups\\\"/>"
                        "<SetupfileSize DValue=\"4\"/><ImageData>AAAAAA==</ImageData>"),
         "Load task item-Failed to Load (C:\\setups\\)"},
    };
    for (const auto &[kind, body, message] : cases) {
        SCOPED_TRACE(kind);
        m_sink.messages.clear();
        const TaskStep step = readStepBody(QLatin1String(kind), body);
        // The kind's message, with the slot and why on a line below it.
        ASSERT_EQ(m_sink.messages.size(), 1u);
        EXPECT_TRUE(m_sink.texts().first().startsWith(message + u'\n'))
            << m_sink.texts().first().toStdString();
        EXPECT_EQ(step.kind(), kindFromStoredName(QLatin1String(kind)));
    }
}

} // namespace
