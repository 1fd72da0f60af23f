// The rows of one task step in the printed summary, one function per kind.
// Row texts are "left|right"; a row that continues a block has a single blank
// as its left cell. A code with no text leaves its row out.
#include "summary/SummaryRows.h"

#include "common/NumberText.h"

#include <array>
#include <type_traits>

namespace stepvane {

namespace {

QString real2(double v)
{
    return formatDecimal(v, 2);
}

QString real4(double v)
{
    return formatDecimal(v, 4);
}

QString onOffWord(int flag)
{
    return flag ? QStringLiteral("on") : QStringLiteral("off");
}

// The entry of a fixed list, or a null string when the code lies outside it.
template <size_t N> QString listEntry(const std::array<const char *, N> &list, int code)
{
    if (code < 0 || size_t(code) >= N)
        return QString();
    return QString::fromLatin1(list[size_t(code)]);
}

// Collects the rows of one block. add() takes a row prefix and an optional
// user text that is made safe for a cell first.
class Rows {
public:
    void add(const char *row) { m_rows << QString::fromLatin1(row); }
    void add(const QString &row) { m_rows << row; }
    void addText(const char *prefix, const QString &userText)
    {
        m_rows << QString::fromLatin1(prefix) + summaryCellText(userText);
    }
    // Adds prefix + the entry when the code has one.
    template <size_t N>
    void addCode(const char *prefix, const std::array<const char *, N> &list, int code)
    {
        const QString entry = listEntry(list, code);
        if (!entry.isNull())
            add(QString::fromLatin1(prefix) + entry);
    }
    QStringList take() { return std::move(m_rows); }

private:
    QStringList m_rows;
};

constexpr std::array<const char *, 11> kSaveFormats = {
    "NoFormat", "TRA", "CSV", "XML", "Binary", "PDF", "HTML", "on", "off", "on", "off"};

constexpr std::array<const char *, 23> kMeasureModes = {"Reflection VSWR",
                                                        "Reflection Return Loss",
                                                        "DTF VSWR",
                                                        "DTF Return Loss",
                                                        "1 Port Cable Loss",
                                                        "1 Port Phase",
                                                        "2 Port Transmission",
                                                        "2 Port Phase",
                                                        "Smith Chart",
                                                        "RF Power",
                                                        "Optical Power",
                                                        "Fiber Inspection",
                                                        "CAA_SYSTEM",
                                                        "CAA_AMPLITUDE",
                                                        "CAA_LOAD_CAL",
                                                        "TRACE_MATH",
                                                        "COUNT",
                                                        "Fiber Inspection",
                                                        "RF_SOURCE",
                                                        "CAA_INSERIONLOSS",
                                                        "CAA_INSERION_HG",
                                                        "CAA_INSERION_LG",
                                                        ""};

constexpr std::array<const char *, 2> kUnits = {" |Display units : Meter",
                                                " |Display units : Foot"};

constexpr std::array<const char *, 5> kWindowing = {
    " |Mode : Rectangular", " |Mode : Blackman", " |Mode : NSL (Norminal Side Lobe)",
    " |Mode : LSL (Low Side Lobe)", " |Mode : MSL (Minimum Side Lobe)"};

constexpr std::array<const char *, 4> kPowerModes = {" |Average", " |Peak", " |VSWR", " |Pulse"};

constexpr std::array<const char *, 6> kFiberProfiles = {
    " |Profile : MM (IEC-61300-3-35)",
    " |Profile : Ribbon, MM (IEC-61300-3-35)",
    " |Profile : Ribbon, SM APC (IEC-61300-3-35)",
    " |Profile : SM APC (IEC-61300-3-35)",
    " |Profile : SM PC (IEC-61300-3-35)",
    " |Profile : SM UPC (IEC-61300-3-35)"};

constexpr std::array<const char *, 7> kMarkerNames = {"None", "M1", "M2", "M3", "M4", "M5", "M6"};
// Type codes from 1; "Off" (0) has no text here, so such a marker prints no row.
constexpr std::array<const char *, 3> kMarkerTypes = {"Normal", "Delta", "Delta Pair"};
constexpr std::array<const char *, 6> kSearchModes = {
    "None", "Peak Search", "Next Peak", "Next Peak Left", "Next Peak Right", "Valley Search"};
constexpr std::array<const char *, 3> kSigns = {">", "<", "=="};
constexpr std::array<const char *, 3> kSearchBetween = {"None", "Peak", "Valley"};
constexpr std::array<const char *, 4> kPeakValley = {"None", "Peak all zones", "Valley all zones",
                                                     "Peak and Valley all zones"};

// The file name part of a path: after the last "\" or "/"; the whole text
// when it has neither.
QString fileNamePart(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1);
}

// Tag, company and job rows of Save and Report steps. The record types spell
// some tag fields differently, so the caller passes the tag texts in order.
template <typename Rec>
void addTagCompanyJob(Rows &rows, const Rec &r, const std::array<const QString *, 7> &tags)
{
    static constexpr std::array<const char *, 7> kTagLabels = {
        " |            Work Folder : ", " |            Work Order ID : ",
        " |            Site-ID : ",     " |            Sector : ",
        " |            Technology : ",  " |            TestType : ",
        " |            Termination : "};
    rows.add(" |<TagID>");
    for (size_t i = 0; i < tags.size(); ++i)
        if (!tags[i]->isEmpty())
            rows.addText(kTagLabels[i], *tags[i]);

    rows.add(" |<Company Info>");
    if (r.Company_Check)
        rows.addText(" |            Company Name : ", r.Company_Name);
    if (r.Address_Check)
        rows.addText(" |            Address : ", r.Address_Name);
    if (r.logo.Image_filesize > 0)
        rows.addText(" |            Logo File : ", r.logo.ImageName);

    rows.add(" |<Job Info>");
    if (r.Engineer_Check)
        rows.addText(" |            Engineer : ", r.Engineer_Name);
    if (r.TestPurpose_Check)
        rows.addText(" |            Test Purpose : ", r.TestPurpose_Name);
    if (r.Site_Information_Check)
        rows.addText(" |            Site Information : ", r.Site_Information_Name);
    if (r.Result_Check)
        rows.addText(" |            Result : ", r.Result_Name);
    if (r.Remark_Check)
        rows.addText(" |            Remark : ", r.Remark_Name);
}

void saveRows(Rows &rows, const SaveTask &r)
{
    rows.add(r.Result_Prev ? " |Measurement result preview : On"
                           : " |Measurement result preview : Off");
    if (r.SaveMode == 2) {
        rows.add(" |Mode : Manual");
        return;
    }
    rows.add(" |Mode : Automation");
    if (r.Storage == 1)
        rows.add(" |Storage : Internal");
    else if (r.Storage == 2)
        rows.add(" |Storage : External(USB)");
    rows.addText(" |File name : ", r.BaseFileName);
    rows.addText(" |Folder name : ", r.BaseFolderName);
    rows.add(" |<File type>");
    if (r.Trace_Check == 1)
        rows.addCode(" |             Trace : ", kSaveFormats, r.Trace_Format);
    if (r.Report_Check == 3)
        rows.addCode(" |             Report : ", kSaveFormats, r.Report_Format);
    if (r.Screen_Check == 4) {
        rows.addCode(" |             Color Inversion : ", kSaveFormats, r.ColorInversion);
        rows.addCode(" |             Marker Readings : ", kSaveFormats, r.MarkerReadings);
    }
    addTagCompanyJob(rows, r,
                     {&r.WorkFolder, &r.WorkOrderID, &r.Site_ID, &r.Sector, &r.Technology,
                      &r.Test_Type, &r.Termination});
    rows.add(" |");
}

void reportRows(Rows &rows, const ReportTask &r)
{
    if (r.SaveMode == 2) {
        rows.add(" |Mode : Manual");
        return;
    }
    rows.add(" |Mode : Automation");
    rows.addText(" |File name : ", r.BaseFileName);
    rows.addText(" |Folder name : ", r.BaseFolderName);
    if (r.Filetype == 5)
        rows.add(" |File type : PDF");
    else if (r.Filetype == 6)
        rows.add(" |File type : HTML");
    addTagCompanyJob(rows, r,
                     {&r.Workfolder, &r.WorkorderID, &r.Site_ID, &r.Sector, &r.Technology,
                      &r.Test_type, &r.Termination});
    rows.add(" |");
}

void promptRows(Rows &rows, const PromptTask &r)
{
    rows.add(" |<Prompts>");
    // Always ten comment rows, whatever the record holds.
    for (int i = 0; i < kPromptImageSlots; ++i) {
        const AttachedImage *slot = size_t(i) < r.images.size() ? &r.images[size_t(i)] : nullptr;
        rows.add(QStringLiteral(" |               %1. Comment : ").arg(i + 1) +
                 summaryCellText(slot ? slot->Comment : QString()));
        if (slot && slot->Image_filesize > 0)
            rows.addText(" |                  Image file : ", slot->ImageName);
    }
    if (r.Manual_operation) {
        rows.add(" |Manual operation on instrument : Enable");
        rows.add(" |");
        return;
    }
    rows.add(" |Manual operation on instrument : Disable");
    if (r.Move_forward_Mode)
        rows.add(QStringLiteral(" |Move forward : Auto , Delay tiem %1(sec)").arg(r.DelayTime));
    else
        rows.add(" |Move forward : Manual");
}

void loadRows(Rows &rows, const LoadTask &r)
{
    if (r.Mode == 1) {
        rows.add(" |Setup Mode : Factory_preset");
    } else if (r.Mode == 2 || r.Mode == 3) {
        rows.add(" |Setup Mode : Saved file (.sta)");
        rows.addText(" |Setup File Name : ", fileNamePart(r.SetupfileName));
    }
}

void frequencyRows(Rows &rows, const FrequencyDistanceTask &r)
{
    rows.add(r.Alt_DTF_Band_Check ? " |Alt DTF Band : On" : " |Alt DTF Band : Off");
    if (r.Start_Frequency_Check)
        rows.add(QStringLiteral(" |Start frequency : ") + real2(r.Start_Frequency));
    if (r.Stop_Frequency_Check)
        rows.add(QStringLiteral(" |Stop frequency : ") + real2(r.Stop_Frequency));
    double center = 0, span = 0;
    if (summaryCenterAndSpan(r, center, span)) {
        rows.add(QStringLiteral(" |Center frequency : ") + real2(center));
        rows.add(QStringLiteral(" |Span : ") + real2(span));
    }
    if (r.Start_Distance_Check)
        rows.add(QStringLiteral(" |Start distance : ") + real2(r.Start_Distance));
    if (r.Stop_Distance_Check)
        rows.add(QStringLiteral(" |Stop distance : ") + real2(r.Stop_Distance));
    rows.addCode("", kUnits, r.Units);
    rows.add(" |");
}

void generalRows(Rows &rows, const GeneralTask &r, int model)
{
    rows.add(r.Interference_Rejection ? " |Interference rejection : On"
                                      : " |Interference rejection : Off");
    if (model == 2 || model == 3) {
        rows.addText("|Output power : ", r.OutputPower);
        rows.addText(" |Average : ", r.Average);
    }
}

void cableRows(Rows &rows, const DtfTask &r)
{
    if (r.Mode == 2) {
        rows.add(" |Mode : Manual");
        return;
    }
    rows.add(" |Mode : Auto");
    rows.add(QStringLiteral(" |Propagation velocity : ") + real4(r.Propagation_Velocity));
    rows.add(QStringLiteral(" |Cable loss(dB/m) : %1  @1Ghz").arg(real4(r.Cable_Loss)));
    rows.addText(" |Cable name : ", r.Cable_Name);
    rows.addCode("", kUnits, r.Units);
}

void rfPowerRows(Rows &rows, const RfPowerTask &r)
{
    rows.add(QStringLiteral(" |Frequency : ") + real2(r.Frequency));
    rows.add(QStringLiteral(" |External offset : ") + real2(r.External_offset));
    rows.add(" |<Display>");
    rows.addCode("", kPowerModes, r.Display_Mode);
    rows.add(QStringLiteral(" |Minimum : ") + real2(r.Display_Minimum));
    rows.add(QStringLiteral(" |Maximum : ") + real2(r.Display_Maximum));
    rows.add(" |<Limit>");
    rows.addCode("", kPowerModes, r.Limit_Mode);
    rows.add(QStringLiteral(" |Minimum : ") + real2(r.Limit_Minimum));
    rows.add(QStringLiteral(" |Maximum : ") + real2(r.Limit_Maximum));
}

void opticalRows(Rows &rows, const OpticalPowerTask &r)
{
    if (r.Wavelength_Mode == 1)
        rows.add(" |Wavelength : Auto");
    else if (r.Wavelength_Mode == 2)
        rows.add(QStringLiteral(" |Wavelength : Manual - %1").arg(r.Wavelength_Param));
    if (r.Threshold_On_Off)
        rows.add(QStringLiteral(" |Threshold : on -> ") + real2(r.Threshold_Param));
    else
        rows.add(" |Threshold : off");
}

void fiberRows(Rows &rows, const FiberTask &r)
{
    rows.addCode("", kFiberProfiles, r.Profile);
    if (r.Profile == 1 || r.Profile == 2)
        rows.add(r.Tip == 0 ? " |Tip : Ribbon Tips" : " |Tip : Ribbon Tips - LongReach");
    else if (r.Profile == 0 || (r.Profile >= 3 && r.Profile <= 5))
        rows.add(r.Tip == 0 ? " |Tip : Standard Tips (with RKA2)"
                            : " |Tip : Simplex Long Reach (-L) Tips");
}

void biasTeeRows(Rows &rows, const BiasTeeTask &r)
{
    if (r.Mode == 1) {
        rows.add(" |Mode : Auto");
        if (r.Voltage_On_Off)
            rows.add(QStringLiteral(" |Bias Tee on : %1 V").arg(r.Voltage_Param));
        else
            rows.add(" |Bias Tee off");
    } else if (r.Mode == 2) {
        rows.add(" |Mode : Manual");
    }
}

// The numbered comment and picture rows of condition pictures.
void conditionImageRows(Rows &rows, const std::vector<AttachedImage> &images)
{
    int i = 0;
    for (const AttachedImage &image : images) {
        rows.add(QStringLiteral(" |%1. Comment : ").arg(++i) + summaryCellText(image.Comment));
        if (image.Image_filesize > 0)
            rows.addText(" |    Image file name : ", image.ImageName);
    }
}

void markerRows(Rows &rows, const MarkerPeakTask &r)
{
    int i = 0;
    for (const MarkerSetting &m : r.markers) {
        ++i;
        if (i > kMarkerCount)
            break;
        if (m.Name == 0)
            continue;
        const QString name = listEntry(kMarkerNames, m.Name);
        const QString type = m.Type > 0 ? listEntry(kMarkerTypes, m.Type - 1) : QString();
        const QString search = listEntry(kSearchModes, m.Search_mode);
        if (name.isNull() || type.isNull() || search.isNull())
            continue;
        rows.add(QStringLiteral(" |%1. Marker name : %2 Type : %3 , on/off : %4, X value : %5, "
                                "Search mode : %6")
                     .arg(QString::number(i), name, type, onOffWord(m.On_Off), real2(m.X_Value),
                          search));
    }
    const QString sign = listEntry(kSigns, r.Equality_sign);
    if (!sign.isNull())
        rows.add(QStringLiteral(" |If Condition  Marker: M%1, on/off: %2, Sign : %3, Axis : %4, "
                                "MarkValue : ")
                     .arg(QString::number(qint64(r.MarkerName) + 1), onOffWord(r.Condition_Check),
                          sign, r.Axis ? QStringLiteral("Y") : QStringLiteral("X")) +
                 summaryCellText(r.Threshold_Fail));
    rows.add(" |Do the following:");
    conditionImageRows(rows, r.images);
    const QString between = listEntry(kSearchBetween, r.Search_between);
    if (!between.isNull())
        rows.add(QStringLiteral(" |Search between : %1 ").arg(between));
    rows.add(r.M1toM2_M5 ? " |M1 to M2:M5 on " : " |M1 to M2:M5 off ");
    rows.add(r.M3toM4_M6 ? " |M3 to M4:M6 on " : " |M3 to M4:M6 off ");
}

void limitRows(Rows &rows, const LimitTask &r)
{
    if (r.SelectMode) {
        rows.add(" |Mode : Limit line");
        rows.add(QStringLiteral(" |Fail threshold on/off : %1, Value : %2")
                     .arg(onOffWord(r.Limit_Line_On_Off), real2(r.Move_Limit)));
        rows.add(QStringLiteral(" |Warning threshold on/off : %1, Value : %2")
                     .arg(onOffWord(r.Warning_On_Off), real2(r.Param)));
    } else {
        rows.add(" |Mode : MSL");
        rows.addText(" |MSL file name : ", r.MSLfileName);
    }
    rows.add(r.Pass_Fail ? " |Pass/fail text display : on" : " |Pass/fail text display : off");
    if (r.Condition_Check) {
        rows.add(" |Condition on/off : on");
        rows.add(" |If fail, do the following:");
        conditionImageRows(rows, r.images);
    } else {
        rows.add(" |Condition on/off: off");
    }
    rows.add(" |");
}

void zoomRows(Rows &rows, const ZoomZonesTask &r)
{
    const std::array<Flag, 3> checks = {r.Zone1_Check, r.Zone2_Check, r.Zone3_Check};
    const std::array<double, 3> starts = {r.Zone1_Start_Frequency, r.Zone2_Start_Frequency,
                                          r.Zone3_Start_Frequency};
    const std::array<double, 3> stops = {r.Zone1_Stop_Frequency, r.Zone2_Stop_Frequency,
                                         r.Zone3_Stop_Frequency};
    for (size_t i = 0; i < 3; ++i) {
        if (checks[i])
            rows.add(QStringLiteral(" |Zone%1 : on, start frequency : %2, stop frequency : %3")
                         .arg(QString::number(i + 1), real2(starts[i]), real2(stops[i])));
        else
            rows.add(QStringLiteral(" |Zone%1 : off").arg(i + 1));
    }
    const QString search = listEntry(kPeakValley, r.Peak_Valley_Search);
    rows.add(QStringLiteral(" |Peak/Valley search : ") +
             (search.isNull() ? QStringLiteral("None") : search));
}

} // namespace

bool summaryCenterAndSpan(const FrequencyDistanceTask &task, double &center, double &span)
{
    if (!task.Start_Frequency_Check || !task.Stop_Frequency_Check)
        return false;
    center = (task.Start_Frequency + task.Stop_Frequency) * 0.5;
    span = task.Stop_Frequency - task.Start_Frequency;
    return true;
}

QStringList summaryStepRows(const TaskStep &step, int n, int model)
{
    const TaskKind kind = step.kind();
    const QString label = QString::fromLatin1(summaryKindLabels(kind).block);
    Rows rows;
    std::visit(
        [&](const auto &r) {
            using R = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<R, CalibrationTask> || std::is_same_v<R, HoldTask> ||
                          std::is_same_v<R, AutoScaleTask>) {
                rows.add(QStringLiteral("%1.%2|").arg(QString::number(n), label) +
                         summaryCellText(r.Description));
                return;
            } else {
                rows.add(QStringLiteral("%1.%2|Description : ").arg(QString::number(n), label) +
                         summaryCellText(r.Description));
            }
            if constexpr (std::is_same_v<R, SaveTask>)
                saveRows(rows, r);
            else if constexpr (std::is_same_v<R, ReportTask>)
                reportRows(rows, r);
            else if constexpr (std::is_same_v<R, PromptTask>)
                promptRows(rows, r);
            else if constexpr (std::is_same_v<R, LoadTask>)
                loadRows(rows, r);
            else if constexpr (std::is_same_v<R, MeasureModeTask>)
                rows.addCode(" |Select mode : ", kMeasureModes, r.Measurement);
            else if constexpr (std::is_same_v<R, FrequencyDistanceTask>)
                frequencyRows(rows, r);
            else if constexpr (std::is_same_v<R, AmplitudeTask>) {
                rows.add(QStringLiteral(" |Top : ") + real2(r.Top));
                rows.add(QStringLiteral(" |Bottom : ") + real2(r.Bottom));
            } else if constexpr (std::is_same_v<R, GeneralTask>)
                generalRows(rows, r, model);
            else if constexpr (std::is_same_v<R, DataPointTask>)
                rows.add(QStringLiteral(" |Point : %1").arg(r.Param));
            else if constexpr (std::is_same_v<R, WindowingTask>)
                rows.addCode("", kWindowing, r.Param);
            else if constexpr (std::is_same_v<R, DtfTask>)
                cableRows(rows, r);
            else if constexpr (std::is_same_v<R, RfPowerTask>)
                rfPowerRows(rows, r);
            else if constexpr (std::is_same_v<R, OpticalPowerTask>)
                opticalRows(rows, r);
            else if constexpr (std::is_same_v<R, FiberTask>)
                fiberRows(rows, r);
            else if constexpr (std::is_same_v<R, BiasTeeTask>)
                biasTeeRows(rows, r);
            else if constexpr (std::is_same_v<R, MarkerPeakTask>)
                markerRows(rows, r);
            else if constexpr (std::is_same_v<R, LimitTask>)
                limitRows(rows, r);
            else if constexpr (std::is_same_v<R, ZoomZonesTask>)
                zoomRows(rows, r);
        },
        step.record);
    return rows.take();
}

} // namespace stepvane
