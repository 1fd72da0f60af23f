// Checks of the analysis steps: markers with their condition, limits and zoom zones.
#include "review/check/StepChecks.h"

#include <array>

namespace stepvane {

namespace {

// Condition pictures: how many come back from a file, and their comments.
void conditionPictures(StepCheck &c, const std::vector<AttachedImage> &images)
{
    if (int(images.size()) > kMaxConditionImages)
        c.error(QStringLiteral("Condition"),
                QStringLiteral("The step has %1 pictures to show; only the first %2 are read back "
                               "from the file.")
                    .arg(images.size())
                    .arg(kMaxConditionImages));
    for (size_t i = 0; i < images.size(); ++i)
        c.maxLength(QStringLiteral("ImageNum_%1").arg(i), images[i].Comment, kCommentMaxLength,
                    QStringLiteral("comment of picture %1").arg(i + 1));
}

void markerRows(StepCheck &c, const MarkerPeakTask &r)
{
    std::array<int, kMarkerCount + 1> rowOfName{}; // first row naming M1..M6, from 1
    for (size_t i = 0; i < r.markers.size(); ++i) {
        const MarkerSetting &m = r.markers[i];
        const QString row = QStringLiteral("Num%1/").arg(i + 1);
        const QString what = QStringLiteral("marker %1 ").arg(i + 1);
        const bool named = c.knownCode(row + QStringLiteral("Name"), m.Name, kMarkerCount + 1,
                                       what + QStringLiteral("name"));
        c.knownCode(row + QStringLiteral("Type"), m.Type, 4, what + QStringLiteral("type"));
        c.knownCode(row + QStringLiteral("Search_mode"), m.Search_mode, 6,
                    what + QStringLiteral("search mode"));
        if (!named || m.Name == 0)
            continue;
        c.inRange(row + QStringLiteral("X_Value"), m.X_Value, kMarkerXBounds,
                  what + QStringLiteral("X value"));
        if (rowOfName[size_t(m.Name)] == 0)
            rowOfName[size_t(m.Name)] = int(i) + 1;
        else
            c.warning(row + QStringLiteral("Name"),
                      QStringLiteral("Rows %1 and %2 both set marker M%3.")
                          .arg(rowOfName[size_t(m.Name)])
                          .arg(i + 1)
                          .arg(m.Name));
    }
}

void markerCondition(StepCheck &c, const MarkerPeakTask &r)
{
    if (!c.knownCode(QStringLiteral("Condition/Equality_sign"), r.Equality_sign, 3,
                     QStringLiteral("condition sign")) ||
        !c.knownCode(QStringLiteral("Condition/MarkerName"), r.MarkerName, kMarkerCount,
                     QStringLiteral("condition marker")) ||
        !r.Condition_Check)
        return;
    bool set = false;
    for (const MarkerSetting &m : r.markers)
        set = set || (m.Name == r.MarkerName + 1 && m.Type != 0);
    if (!set)
        c.error(QStringLiteral("Condition/MarkerName"),
                QStringLiteral("The condition tests marker M%1, which no marker row sets.")
                    .arg(r.MarkerName + 1));
    if (r.Threshold_Fail.trimmed().isEmpty())
        c.error(QStringLiteral("Condition/Threshold_Fail"),
                QStringLiteral("The condition has no marker value to compare with."));
}

void marker(StepCheck &c, const MarkerPeakTask &r)
{
    markerRows(c, r);
    markerCondition(c, r);
    c.knownCode(QStringLiteral("Peak_Valley/Search_between"), r.Search_between, 3,
                QStringLiteral("search between"));
    conditionPictures(c, r.images);
}

void limit(StepCheck &c, const LimitTask &r)
{
    if (r.SelectMode == 0) {
        if (r.MSLfileSize == 0)
            c.error(QStringLiteral("MSL"),
                    QStringLiteral("The limit uses a mask file (MSL), but none is attached."));
    } else {
        if (r.Limit_Line_On_Off)
            c.inRange(QStringLiteral("Limit_Line/Move_Limit"), r.Move_Limit, kLimitValueBounds,
                      QStringLiteral("fail threshold"));
        if (r.Limit_Line_On_Off && r.Warning_On_Off)
            c.inRange(QStringLiteral("Limit_Line/Warning/Param"), r.Param, kLimitValueBounds,
                      QStringLiteral("warning threshold"));
    }
    if (r.Condition_Check && r.images.empty())
        c.warning(QStringLiteral("Condition"),
                  QStringLiteral("\"If fails, do the following\" is on, but its list is empty."));
    conditionPictures(c, r.images);
}

void zoomZones(StepCheck &c, const ZoomZonesTask &r)
{
    const ModelFacts &model = modelFacts(c.model());
    const std::array<Flag, 3> on = {r.Zone1_Check, r.Zone2_Check, r.Zone3_Check};
    const std::array<double, 3> start = {r.Zone1_Start_Frequency, r.Zone2_Start_Frequency,
                                         r.Zone3_Start_Frequency};
    const std::array<double, 3> stop = {r.Zone1_Stop_Frequency, r.Zone2_Stop_Frequency,
                                        r.Zone3_Stop_Frequency};
    for (size_t i = 0; i < 3; ++i) {
        if (!on[i])
            continue; // a zone that is off keeps its numbers unused
        const QString zone = QStringLiteral("Zone%1").arg(i + 1);
        const QString what = QStringLiteral("zone %1 ").arg(i + 1);
        const bool startOk = c.inRange(zone + QStringLiteral("/Start_Frequency"), start[i],
                                       model.frequency, what + QStringLiteral("start frequency"),
                                       QStringLiteral(" MHz"), model.frequencyHelp);
        const bool stopOk = c.inRange(zone + QStringLiteral("/Stop_Frequency"), stop[i],
                                      model.frequency, what + QStringLiteral("stop frequency"),
                                      QStringLiteral(" MHz"), model.frequencyHelp);
        if (startOk && stopOk && start[i] > stop[i])
            c.error(zone + QStringLiteral("/Start_Frequency"),
                    QStringLiteral("Zone %1 starts at %2 MHz, above its stop frequency %3 MHz.")
                        .arg(i + 1)
                        .arg(numberText(start[i]), numberText(stop[i])));
    }
    c.knownCode(QStringLiteral("Peak_Valley_Search"), r.Peak_Valley_Search, 4,
                QStringLiteral("peak/valley search"));
}

} // namespace

void checkAnalysisStep(StepCheck &c, const TaskStep &step)
{
    if (const auto *r = step.as<MarkerPeakTask>())
        marker(c, *r);
    else if (const auto *r = step.as<LimitTask>())
        limit(c, *r);
    else if (const auto *r = step.as<ZoomZonesTask>())
        zoomZones(c, *r);
}

} // namespace stepvane
