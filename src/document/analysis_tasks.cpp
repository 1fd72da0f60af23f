// Step elements of the analysis task kinds Marker_Peak, Limit and Zoom Zones:
// the writer and reader of each, with the pictures a pass/fail condition
// carries and the mask file of a limit step.
//
// Writers run with the cursor on the step element; readers run with the cursor
// on the step element and look every value up from there.
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"

namespace stepvane {

namespace {

QString markerNameText(int name)
{
    return entryOrNull({"None", "M1", "M2", "M3", "M4", "M5", "M6"}, name, 0);
}
QString markerTypeText(int type)
{
    return entryOrNull({"Off", "Normal", "Delta", "Delta Pair"}, type, 0);
}
QString equalityText(int sign)
{
    return entryOrNull({">", "<", "=="}, sign, 0);
}
QString searchBetweenText(int mode)
{
    return entryOrNull({"None", "Peak", "Valley"}, mode, 0);
}

// These two always have a text: anything unknown is shown as "None".
QString searchModeText(int mode)
{
    const QString text = entryOrNull(
        {"Peak Search", "Next Peak", "Next Peak Left", "Next Peak Right", "Valley Search"}, mode,
        1);
    return text.isNull() ? QStringLiteral("None") : text;
}
QString peakValleyText(int mode)
{
    const QString text =
        entryOrNull({"Peak all zones", "Valley all zones", "Peak and Valley all zones"}, mode, 1);
    return text.isNull() ? QStringLiteral("None") : text;
}

QString imageElementName(int index)
{
    return QStringLiteral("ImageNum_%1").arg(index);
}

const QString kMarkerSaveFail = QStringLiteral("Marker/Peak task item-Failed to Save (%s)");
const QString kMarkerLoadFail = QStringLiteral("Marker/Peak task item-Failed to Load (%s)");
const QString kLimitSaveFail = QStringLiteral("Limit task item-Failed to Save (%s)");
const QString kLimitMaskLoadFail = QStringLiteral("Limit task item-Failed to Load (%s)");
// Spelled as the program has always shown it.
const QString kLimitPictureLoadFail = QStringLiteral("Lmit task item-Failed to Load (%s)");

} // namespace

// --- Marker_Peak -------------------------------------------------------------

void VX_CAAXML_PARSER::writeMarkerPeak(const MarkerPeakTask &r)
{
    addD(QStringLiteral("Description"), r.Description);

    openElement(QStringLiteral("Marker"));
    xmlNode *const marker = Current_Node();
    // All six markers are always written, unused ones as "None".
    for (int k = 0; k < kMarkerCount; ++k) {
        Set_Current_Node(marker);
        const MarkerSetting m =
            size_t(k) < r.markers.size() ? r.markers[size_t(k)] : MarkerSetting{};
        openElement(QStringLiteral("Num%1").arg(k + 1));
        addOptDL(QStringLiteral("Name"), markerNameText(m.Name), m.Name);
        addOptDL(QStringLiteral("Type"), markerTypeText(m.Type), m.Type);
        addD(QStringLiteral("X_Value"), fmtReal2(m.X_Value));
        addDL(QStringLiteral("Search_mode"), searchModeText(m.Search_mode), m.Search_mode);
    }
    Set_Current_Node(marker);
    closeElement();

    openElement(QStringLiteral("Condition"));
    addCheck(r.Condition_Check != 0);
    addDL(QStringLiteral("MarkerName"), QStringLiteral("M") + fmtInt((long long)r.MarkerName + 1),
          r.MarkerName);
    addDL(QStringLiteral("Axis"), r.Axis ? QStringLiteral("Y") : QStringLiteral("X"), r.Axis);
    addOptDL(QStringLiteral("Equality_sign"), equalityText(r.Equality_sign), r.Equality_sign);
    addD(QStringLiteral("Threshold_Fail"), r.Threshold_Fail);
    writeConditionImages(r.images, false, kMarkerSaveFail);
    closeElement();

    openElement(QStringLiteral("Peak_Valley"));
    addOptDL(QStringLiteral("Search_between"), searchBetweenText(r.Search_between),
             r.Search_between);
    addDL(QStringLiteral("M1toM2_M5"), onOff(r.M1toM2_M5), r.M1toM2_M5);
    addDL(QStringLiteral("M3toM4_M6"), onOff(r.M3toM4_M6), r.M3toM4_M6);
    closeElement();
}

bool VX_CAAXML_PARSER::readMarkerPeak(MarkerPeakTask &r)
{
    r = MarkerPeakTask{}; // every marker off, no condition, no pictures
    anchorHere();
    readDText("Description", r.Description);

    // Each marker is looked up on its own, so a missing one keeps its defaults
    // and does not hide the others.
    readWithin("Marker", [&] {
        for (int k = 0; k < kMarkerCount; ++k) {
            MarkerSetting &m = r.markers[size_t(k)];
            readWithin(NumberedName("Num", k + 1), [&] {
                readL("Name", m.Name);
                readL("Type", m.Type);
                readDReal("X_Value", m.X_Value);
                readL("Search_mode", m.Search_mode);
            });
        }
    });

    readWithin("Condition", [&] {
        readL("Check", r.Condition_Check);
        readL("MarkerName", r.MarkerName);
        readL("Axis", r.Axis);
        readL("Equality_sign", r.Equality_sign);
        readDText("Threshold_Fail", r.Threshold_Fail);
    });
    readConditionImages(r.images, kMarkerLoadFail);

    readWithin("Peak_Valley", [&] {
        readL("Search_between", r.Search_between);
        readL("M1toM2_M5", r.M1toM2_M5);
        readL("M3toM4_M6", r.M3toM4_M6);
    });
    return true;
}

// --- Limit -------------------------------------------------------------------

void VX_CAAXML_PARSER::writeLimit(const LimitTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addDL(QStringLiteral("SelectMode"),
          r.SelectMode ? QStringLiteral("Limit Line") : QStringLiteral("MSL"), r.SelectMode);

    // Only the group of the selected mode is written.
    if (r.SelectMode) {
        openElement(QStringLiteral("Limit_Line"));
        addDL(QStringLiteral("On_Off"), onOff(r.Limit_Line_On_Off), r.Limit_Line_On_Off);
        addD(QStringLiteral("Move_Limit"), fmtReal2(r.Move_Limit));
        openElement(QStringLiteral("Warning"));
        addDL(QStringLiteral("On_Off"), onOff(r.Warning_On_Off), r.Warning_On_Off);
        addD(QStringLiteral("Param"), fmtReal2(r.Param));
        closeElement();
        closeElement();
    } else {
        openElement(QStringLiteral("MSL"));
        xmlNode *const msl = Current_Node();
        if (r.MSLfileSize > 0) {
            addD(QStringLiteral("MSLfileName"), r.MSLfileName);
            addD(QStringLiteral("TransMSLfileName"), r.TransMSLfileName);
            addD(QStringLiteral("MSLfileSize"), fmtInt(r.MSLfileSize));
            writeFileData(r.TransMSLfileName, kLimitSaveFail, r.MSLfileName);
        }
        Set_Current_Node(msl);
        closeElement();
    }

    addDL(QStringLiteral("Pass_Fail"), onOff(r.Pass_Fail), r.Pass_Fail);

    openElement(QStringLiteral("Condition"));
    addCheck(r.Condition_Check != 0);
    writeConditionImages(r.images, true, kLimitSaveFail);
    closeElement();
}

bool VX_CAAXML_PARSER::readLimit(LimitTask &r)
{
    // SelectMode and Pass_Fail are always written; a file without them gets a
    // new record's Limit Line and Off.
    r = LimitTask{};
    anchorHere();
    xmlNode *const step = Current_Node();
    readDText("Description", r.Description);
    readL("SelectMode", r.SelectMode);

    // Inside the selected group a missing value is 0 or empty.
    r.Limit_Line_On_Off = 0;
    r.Move_Limit = 0;
    r.Warning_On_Off = 0;
    r.Param = 0;
    r.MSLfileName.clear();
    r.TransMSLfileName.clear();
    r.MSLfileSize = 0;
    if (r.SelectMode) {
        readWithin("Limit_Line", [&] {
            readL("On_Off", r.Limit_Line_On_Off);
            readDReal("Move_Limit", r.Move_Limit);
            readL("<Warning><On_Off>", r.Warning_On_Off);
            readDReal("<Warning><Param>", r.Param);
        });
    } else {
        readDText("<MSL><MSLfileName>", r.MSLfileName);
        readDSize("<MSL><MSLfileSize>", r.MSLfileSize);
        // The mask gets its own working copy; an unsafe stored name gets none
        // and the restore reports the failure.
        if (enter("MSL")) {
            const auto slot = [&r] {
                return Slot{
                    SlotKind::Mask, QStringLiteral("MSL"), r.MSLfileName,
                    Message::fromText(kLimitMaskLoadFail, {r.MSLfileName}, MessageIcon::Warning)};
            };
            if (r.MSLfileSize > 0) {
                r.TransMSLfileName = workingPathFor(r.MSLfileName, false);
                r.MSLfileSize = restoredSize(restoreFileData(r.TransMSLfileName, slot()));
            } else if (holdsData(Current_Node())) {
                noteUnsizedData(dValue("<MSL><MSLfileSize>"), slot());
            }
            Set_Current_Node(step);
            anchorHere();
        }
    }

    readL("Pass_Fail", r.Pass_Fail);

    readL("<Condition><Check>", r.Condition_Check);
    readConditionImages(r.images, kLimitPictureLoadFail);
    return true;
}

// --- Condition pictures (Marker_Peak and Limit) ------------------------------

// The cursor is on the Condition element; it is back there afterwards.
void VX_CAAXML_PARSER::writeConditionImages(const std::vector<AttachedImage> &images,
                                            bool sizeWithLValue, const QString &saveFail)
{
    xmlNode *const condition = Current_Node();
    for (size_t i = 0; i < images.size(); ++i) {
        Set_Current_Node(condition);
        openElement(imageElementName(int(i)));
        writeImage(images[i], true, sizeWithLValue, saveFail);
    }
    Set_Current_Node(condition);
}

// Anchored at the step; numbers 0..9 are looked for and a missing number
// leaves no gap in the list.
void VX_CAAXML_PARSER::readConditionImages(std::vector<AttachedImage> &images,
                                           const QString &loadFail)
{
    xmlNode *const step = Current_Node();
    const xmlNode *const condition = Element_At(m_anchor, "Condition");
    for (int i = 0; condition && i < kMaxConditionImages; ++i) {
        xmlNode *picture = Child_Element(condition, NumberedName("ImageNum_", i));
        if (!picture)
            continue;
        Set_Current_Node(picture);
        AttachedImage image;
        readImage(image, true, loadFail);
        images.push_back(std::move(image));
        Set_Current_Node(step);
        anchorHere();
    }
}

// --- Zoom Zones --------------------------------------------------------------

void VX_CAAXML_PARSER::writeZoomZones(const ZoomZonesTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    const auto zone = [this](int number, Flag check, double start, double stop) {
        openElement(QStringLiteral("Zone%1").arg(number));
        addCheck(check != 0);
        addD(QStringLiteral("Start_Frequency"), fmtReal2(start));
        addD(QStringLiteral("Stop_Frequency"), fmtReal2(stop));
        closeElement();
    };
    zone(1, r.Zone1_Check, r.Zone1_Start_Frequency, r.Zone1_Stop_Frequency);
    zone(2, r.Zone2_Check, r.Zone2_Start_Frequency, r.Zone2_Stop_Frequency);
    zone(3, r.Zone3_Check, r.Zone3_Start_Frequency, r.Zone3_Stop_Frequency);
    addDL(QStringLiteral("Peak_Valley_Search"), peakValleyText(r.Peak_Valley_Search),
          r.Peak_Valley_Search);
}

bool VX_CAAXML_PARSER::readZoomZones(ZoomZonesTask &r)
{
    // Unlike a new record, a zone the file does not describe is empty.
    r = ZoomZonesTask{};
    r.Zone1_Start_Frequency = r.Zone2_Start_Frequency = r.Zone3_Start_Frequency = 0;
    r.Zone1_Stop_Frequency = r.Zone2_Stop_Frequency = r.Zone3_Stop_Frequency = 0;

    anchorHere();
    readDText("Description", r.Description);
    const auto zone = [this](int number, Flag &check, double &start, double &stop) {
        readWithin(NumberedName("Zone", number), [&] {
            readL("Check", check);
            readDReal("Start_Frequency", start);
            readDReal("Stop_Frequency", stop);
        });
    };
    zone(1, r.Zone1_Check, r.Zone1_Start_Frequency, r.Zone1_Stop_Frequency);
    zone(2, r.Zone2_Check, r.Zone2_Start_Frequency, r.Zone2_Stop_Frequency);
    zone(3, r.Zone3_Check, r.Zone3_Start_Frequency, r.Zone3_Stop_Frequency);
    readL("Peak_Valley_Search", r.Peak_Valley_Search);
    return true;
}

} // namespace stepvane
