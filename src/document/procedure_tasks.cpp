// Elements of the procedure task kinds (Prompt, Save, Report, Load and the
// description-only kinds) in wzd/tuf files, and the two setup-file services
// the load-setup editor uses: the summary text and the calibration strip.
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"

#include "common/NumberText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <type_traits>

namespace stepvane {

namespace {

// The instrument keeps the asset-service tags in 512-character buffers, so
// longer texts are never written; a surrogate pair is not split at the cut.
QString fixedText(const QString &text)
{
    if (text.size() <= kFixedText512)
        return text;
    int cut = kFixedText512;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut);
}

// A table entry, or a null text for an index the table does not hold (the
// writer then stores the code alone).
QString tableEntryOrNull(const QStringList &table, int index)
{
    if (index < 0 || index >= table.size())
        return QString();
    return table.at(index);
}

QString storageText(int storage)
{
    if (storage == 1)
        return QStringLiteral("Internal");
    if (storage == 2)
        return QStringLiteral("External");
    return QString();
}

QString loadModeText(int mode)
{
    switch (mode) {
    case 1:
        return QStringLiteral("Factory preset");
    case 2:
        return QStringLiteral("FromPC");
    case 3:
        return QStringLiteral("FromEQP");
    default:
        return QStringLiteral("None");
    }
}

bool loadCarriesFile(int mode)
{
    return mode == 2 || mode == 3;
}

// The last component of a stored path written on any system.
QString lastPathComponent(const QString &path)
{
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(cut + 1);
}

// Save and Report share the company and job groups and hold them in fields of
// the same names; these tables let one loop serve both records, const or not.
template <typename Text, typename FlagT> struct NamedCheck {
    const char *element;
    Text *name;
    FlagT *check;
};

template <typename R> auto companyEntries(R &r)
{
    using Text = std::remove_reference_t<decltype((r.Company_Name))>;
    using FlagT = std::remove_reference_t<decltype((r.Company_Check))>;
    return std::array<NamedCheck<Text, FlagT>, 2>{{
        {"Company", &r.Company_Name, &r.Company_Check},
        {"Address", &r.Address_Name, &r.Address_Check},
    }};
}

template <typename R> auto jobEntries(R &r)
{
    using Text = std::remove_reference_t<decltype((r.Engineer_Name))>;
    using FlagT = std::remove_reference_t<decltype((r.Engineer_Check))>;
    return std::array<NamedCheck<Text, FlagT>, 5>{{
        {"Engineer", &r.Engineer_Name, &r.Engineer_Check},
        {"TestPurpose", &r.TestPurpose_Name, &r.TestPurpose_Check},
        {"Site_Information", &r.Site_Information_Name, &r.Site_Information_Check},
        {"Result", &r.Result_Name, &r.Result_Check},
        {"Remark", &r.Remark_Name, &r.Remark_Check},
    }};
}

template <typename Text> struct TagEntry {
    const char *element;
    Text *text;
};

// Save spells three tags differently from Report; the file demands both forms.
template <typename R> auto saveTagEntries(R &r)
{
    using Text = std::remove_reference_t<decltype((r.WorkFolder))>;
    return std::array<TagEntry<Text>, 7>{{
        {"WorkFolder", &r.WorkFolder},
        {"WorkOrderID", &r.WorkOrderID},
        {"Site-ID", &r.Site_ID},
        {"Sector", &r.Sector},
        {"Technology", &r.Technology},
        {"Test_Type", &r.Test_Type},
        {"Termination", &r.Termination},
    }};
}

template <typename R> auto reportTagEntries(R &r)
{
    using Text = std::remove_reference_t<decltype((r.Workfolder))>;
    return std::array<TagEntry<Text>, 7>{{
        {"Workfolder", &r.Workfolder},
        {"WorkorderID", &r.WorkorderID},
        {"Site-ID", &r.Site_ID},
        {"Sector", &r.Sector},
        {"Technology", &r.Technology},
        {"Test_type", &r.Test_type},
        {"Termination", &r.Termination},
    }};
}

const QString kPromptSaveFail = QStringLiteral("Prompt task item-Failed to Save (%s)");
const QString kPromptLoadFail = QStringLiteral("Prompt task item-Failed to Load (%s)");
const QString kSaveSaveFail = QStringLiteral("Save task item-Failed to Save (%s)");
const QString kSaveLoadFail = QStringLiteral("Save task item-Failed to Load (%s)");
const QString kReportSaveFail = QStringLiteral("Report task item-Failed to Save (%s)");
const QString kReportLoadFail = QStringLiteral("Report task item-Failed to Load (%s)");
const QString kLoadSaveFail = QStringLiteral("Load task item-Failed to Save (%s)");
const QString kLoadLoadFail = QStringLiteral("Load task item-Failed to Load (%s)");

QString imageSlotName(int slot)
{
    return QString::asprintf("ImageNum_%d", slot);
}

// Setup files state frequencies in whole hertz stored as reals. A value that
// cannot be a frequency (not finite, beyond any integer) counts as 0.
double wholeHertz(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 9.0e18)
        return 0.0;
    return std::trunc(value);
}

} // namespace

// ---------------------------------------------------------------- writers

void VX_CAAXML_PARSER::writeDescriptionOnly(const QString &description)
{
    addD(QStringLiteral("Description"), description);
}

void VX_CAAXML_PARSER::writePrompt(const PromptTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addDL(QStringLiteral("Manual_operation"), onOff(r.Manual_operation), r.Manual_operation);
    // All ten slots are always present; a record with fewer writes empty ones.
    const AttachedImage empty;
    for (int i = 0; i < kPromptImageSlots; ++i) {
        const AttachedImage &image = i < int(r.images.size()) ? r.images[size_t(i)] : empty;
        openElement(imageSlotName(i));
        writeImage(image, true, false, kPromptSaveFail);
        closeElement();
    }
    openElement(QStringLiteral("Move_forward"));
    addDL(QStringLiteral("Mode"),
          r.Move_forward_Mode ? QStringLiteral("Automation") : QStringLiteral("Manual"),
          r.Move_forward_Mode);
    addD(QStringLiteral("DelayTime"), fmtInt(r.DelayTime));
    closeElement();
}

template <typename R> void VX_CAAXML_PARSER::writeCompanyAndJob(const R &r, const QString &saveFail)
{
    openElement(QStringLiteral("Company_Info"));
    for (const auto &entry : companyEntries(r)) {
        openElement(QLatin1String(entry.element));
        addCheck(*entry.check != 0, *entry.check);
        addD(QStringLiteral("Name"), *entry.name);
        closeElement();
    }
    openElement(QStringLiteral("Logo"));
    writeImage(r.logo, false, false, saveFail);
    closeElement();
    closeElement();

    openElement(QStringLiteral("Job_Info"));
    for (const auto &entry : jobEntries(r)) {
        openElement(QLatin1String(entry.element));
        addCheck(*entry.check != 0, *entry.check);
        addD(QStringLiteral("Name"), *entry.name);
        closeElement();
    }
    closeElement();
}

template <typename R> void VX_CAAXML_PARSER::readCompanyAndJob(R &r, const QString &loadFail)
{
    xmlNode *const step = Current_Node();
    const auto readChecks = [this](std::string_view group, const auto &entries) {
        readWithin(group, [&] {
            for (const auto &entry : entries) {
                readWithin(entry.element, [&] {
                    readL("Check", *entry.check);
                    readDText("Name", *entry.name);
                });
            }
        });
    };
    readChecks("Company_Info", companyEntries(r));
    if (enter("<Company_Info><Logo>"))
        readImage(r.logo, false, loadFail);
    Set_Current_Node(step);
    anchorHere();
    readChecks("Job_Info", jobEntries(r));
}

void VX_CAAXML_PARSER::writeSave(const SaveTask &r)
{
    const QStringList &formats = OutputFormatTable();
    addD(QStringLiteral("Description"), r.Description);
    addOptDL(QStringLiteral("SaveMode"), automationManual(r.SaveMode), r.SaveMode);
    addOptDL(QStringLiteral("Storage"), storageText(r.Storage), r.Storage);
    addD(QStringLiteral("BaseFileName"), r.BaseFileName);
    addD(QStringLiteral("BaseFolderName"), r.BaseFolderName);

    // The instrument tells the three checks apart by their codes 1, 3 and 4.
    openElement(QStringLiteral("Trace"));
    addCheck(r.Trace_Check == 1);
    addOptDL(QStringLiteral("Format"), tableEntryOrNull(formats, r.Trace_Format), r.Trace_Format);
    closeElement();

    openElement(QStringLiteral("Report"));
    addCheck(r.Report_Check == 3, 3);
    addOptDL(QStringLiteral("Format"), tableEntryOrNull(formats, r.Report_Format), r.Report_Format);
    closeElement();

    openElement(QStringLiteral("Screen"));
    addCheck(r.Screen_Check == 4, 4);
    addOptDL(QStringLiteral("ColorInversion"), tableEntryOrNull(formats, r.ColorInversion),
             r.ColorInversion);
    addOptDL(QStringLiteral("MarkerReadings"), tableEntryOrNull(formats, r.MarkerReadings),
             r.MarkerReadings);
    closeElement();

    openElement(QStringLiteral("TagID"));
    for (const auto &tag : saveTagEntries(r))
        addD(QLatin1String(tag.element), fixedText(*tag.text));
    closeElement();

    writeCompanyAndJob(r, kSaveSaveFail);

    openElement(QStringLiteral("Result_Prev"));
    addCheck(r.Result_Prev != 0);
    closeElement();
}

void VX_CAAXML_PARSER::writeReport(const ReportTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addOptDL(QStringLiteral("SaveMode"), automationManual(r.SaveMode), r.SaveMode);
    addD(QStringLiteral("BaseFolderName"), r.BaseFolderName);
    addD(QStringLiteral("BaseFileName"), r.BaseFileName);
    addOptDL(QStringLiteral("Filetype"), tableEntryOrNull(OutputFormatTable(), r.Filetype),
             r.Filetype);

    openElement(QStringLiteral("TagID"));
    for (const auto &tag : reportTagEntries(r))
        addD(QLatin1String(tag.element), fixedText(*tag.text));
    closeElement();

    writeCompanyAndJob(r, kReportSaveFail);
}

void VX_CAAXML_PARSER::writeLoad(const LoadTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addDL(QStringLiteral("Mode"), loadModeText(r.Mode), r.Mode);
    // A factory preset or an empty choice carries no file, whatever size is recorded.
    if (!loadCarriesFile(r.Mode) || r.SetupfileSize == 0)
        return;
    addD(QStringLiteral("SetupfileName"), r.SetupfileName);
    addD(QStringLiteral("Setup_Info"), r.Setup_Info);
    addD(QStringLiteral("SetupfileSize"), fmtInt(r.SetupfileSize));
    writeFileData(r.SetupfileName, kLoadSaveFail, r.SetupfileName);
}

// ---------------------------------------------------------------- readers

bool VX_CAAXML_PARSER::readDescriptionOnly(QString &description)
{
    anchorHere();
    description.clear();
    readDText("Description", description);
    return true;
}

bool VX_CAAXML_PARSER::readPrompt(PromptTask &r)
{
    anchorHere();
    xmlNode *const step = Current_Node();
    r = PromptTask{};
    r.Move_forward_Mode = 1; // a file without the element advances by itself
    r.images.assign(kPromptImageSlots, AttachedImage{});

    readDText("Description", r.Description);
    readL("Manual_operation", r.Manual_operation);
    for (int i = 0; i < kPromptImageSlots; ++i) {
        if (enter(NumberedName("ImageNum_", i)))
            readImage(r.images[size_t(i)], true, kPromptLoadFail);
        Set_Current_Node(step);
        anchorHere();
    }
    readWithin("Move_forward", [&] {
        readL("Mode", r.Move_forward_Mode);
        readDInt("DelayTime", r.DelayTime);
    });
    // The instrument waits at least five seconds; the comparison is unsigned,
    // as the instrument makes it.
    if (static_cast<unsigned>(r.DelayTime) < 5u)
        r.DelayTime = 5;
    return true;
}

bool VX_CAAXML_PARSER::readSave(SaveTask &r)
{
    anchorHere();
    r = SaveTask{};

    readDText("Description", r.Description);
    readL("SaveMode", r.SaveMode);
    readL("Storage", r.Storage);
    readDText("BaseFileName", r.BaseFileName);
    readDText("BaseFolderName", r.BaseFolderName);
    readWithin("Trace", [&] {
        readL("Check", r.Trace_Check);
        readL("Format", r.Trace_Format);
    });
    readWithin("Report", [&] {
        readL("Check", r.Report_Check);
        readL("Format", r.Report_Format);
    });
    readWithin("Screen", [&] {
        readL("Check", r.Screen_Check);
        readL("ColorInversion", r.ColorInversion);
        readL("MarkerReadings", r.MarkerReadings);
    });
    readWithin("TagID", [&] {
        for (const auto &tag : saveTagEntries(r))
            readDText(tag.element, *tag.text, kFixedText512);
    });
    readCompanyAndJob(r, kSaveLoadFail);
    readL("<Result_Prev><Check>", r.Result_Prev);
    return true;
}

bool VX_CAAXML_PARSER::readReport(ReportTask &r)
{
    anchorHere();
    r = ReportTask{};

    readDText("Description", r.Description);
    readL("SaveMode", r.SaveMode);
    readDText("BaseFolderName", r.BaseFolderName);
    readDText("BaseFileName", r.BaseFileName);
    readL("Filetype", r.Filetype);
    readWithin("TagID", [&] {
        for (const auto &tag : reportTagEntries(r))
            readDText(tag.element, *tag.text, kFixedText512);
    });
    readCompanyAndJob(r, kReportLoadFail);
    return true;
}

bool VX_CAAXML_PARSER::readLoad(LoadTask &r)
{
    // The setup file's slot, its message naming the file as given.
    auto setupSlot = [](const QString &name) {
        return Slot{SlotKind::Setup, QStringLiteral("SetupfileName"), name,
                    Message::fromText(kLoadLoadFail, {name}, MessageIcon::Warning)};
    };
    anchorHere();
    r = LoadTask{};
    r.Mode = 0; // a file that does not say loads nothing

    readDText("Description", r.Description);
    readL("Mode", r.Mode);
    if (!loadCarriesFile(r.Mode))
        return true;
    QString storedName;
    readDText("SetupfileName", storedName);
    readDSize("SetupfileSize", r.SetupfileSize);
    if (r.SetupfileSize == 0) {
        if (holdsData(m_anchor))
            noteUnsizedData(dValue("SetupfileSize"), setupSlot(storedName));
        return true;
    }
    readDText("Setup_Info", r.Setup_Info);
    // The stored path names the writing machine's folder; only the file name
    // is kept, and the copy goes into our own working folder.
    r.SetupfileName = workingPathFor(lastPathComponent(storedName));
    // A name with no usable file part gets no path; the message then names
    // what the file said so the user can tell which setup was lost.
    returnToAnchor();
    r.SetupfileSize = restoredSize(restoreFileData(
        r.SetupfileName, setupSlot(r.SetupfileName.isEmpty() ? storedName : r.SetupfileName)));
    returnToAnchor();
    return true;
}

// ---------------------------------------------------------------- setup files

QString VX_CAAXML_PARSER::Make_Setup_Info(const QString &fileName)
{
    double freqStart = 0, freqStop = 0, distStart = 0, distStop = 0, velocity = 0;
    std::array<long long, 4> displayMode{};
    long long selectDisplay = 0;
    QString cableName;

    const bool found =
        Go_Root() &&
        (Root_Name() == QLatin1String("QRTSetup") || Find_Child(QStringLiteral("QRTSetup"))) &&
        Find_Child(QStringLiteral("LoadInfo"));
    if (found) {
        anchorHere();
        auto real = [this](std::string_view name, double &out) {
            if (const auto v = lValue(name))
                out = toLeadingReal(*v);
        };
        auto integer = [this](std::string_view name, long long &out) {
            if (const auto v = lValue(name))
                out = toLeadingInt(*v);
        };
        real("llFreqStart", freqStart);
        real("llFreqStop", freqStop);
        real("fDistStart", distStart);
        real("fDistStop", distStop);
        real("fVelocity", velocity);
        for (int i = 0; i < 4; ++i)
            integer(NumberedName("Display_Mode", i + 1), displayMode[size_t(i)]);
        integer("nSelectDisplay", selectDisplay);
        if (const auto v = lValue("strCableName"))
            cableName = *v;
    }

    const QStringList &measurements = MeasurementNameTable();
    auto modeName = [&](int trace) {
        const long long index = displayMode[size_t(trace)];
        return index >= 0 && index < measurements.size() ? measurements.at(int(index)) : QString();
    };
    int traces = 0;
    switch (selectDisplay) {
    case 0:
        traces = 1;
        break;
    case 1:
    case 2:
        traces = 2;
        break;
    case 3:
        traces = 3;
        break;
    case 4:
        traces = 4;
        break;
    default:
        traces = 0;
        break;
    }
    QStringList names;
    for (int i = 0; i < traces; ++i)
        names << modeName(i);
    const QString modeText = names.join(QLatin1Char(','));
    const QString layout = selectDisplay >= 0 && selectDisplay < LayoutNameTable().size()
                               ? LayoutNameTable().at(int(selectDisplay))
                               : QString();

    const double startMHz = wholeHertz(freqStart) / 1000000.0;
    const double stopMHz = wholeHertz(freqStop) / 1000000.0;

    QString text =
        QStringLiteral(" 1. File Name: %1\n 2. Layout: %2\n 3. Mode: %3\n"
                       " 4. Frequency Band: %4 MHz - %5 MHz\n")
            .arg(fileName, layout, modeText, formatDecimal(startMHz, 2), formatDecimal(stopMHz, 2));
    if (modeText.contains(QLatin1String("DTF"))) {
        text += QStringLiteral(" 5. Distance: %1 - %2\n 6. Cable Name: %3\n"
                               " 7. Velocity Factory: %4\n")
                    .arg(formatDecimal(distStart, 2), formatDecimal(distStop, 2), cableName,
                         formatDecimal(velocity, 4));
    }
    return text;
}

void VX_CAAXML_PARSER::Strip_Calibration()
{
    if (!Go_Root())
        return;
    if (Root_Name() != QLatin1String("QRTSetup") && !Find_Child(QStringLiteral("QRTSetup")))
        return;
    if (!Find_Child(QStringLiteral("General")))
        return;
    static const char *const calibration[] = {"Cal_Method1", "Cal_Method2", "Cal_Method3",
                                              "Cal_Method4", "Cal_Current"};
    // Every copy goes: calibration data of the writing instrument must not
    // travel with the setup. Each removal returns the cursor to General.
    for (const char *name : calibration) {
        while (Find_Child(QLatin1String(name)) && Remove_Current()) {
        }
    }
}

} // namespace stepvane
