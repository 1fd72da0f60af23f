// The labels the editor pages show for the fields a finding names.
#include "review/check/WizardCheck.h"

#include <QHash>
#include <QRegularExpression>

namespace stepvane {

namespace {

using Labels = QHash<QString, QString>;

// Fields whose label depends on the page they are on.
Labels kindLabels(TaskKind kind)
{
    switch (kind) {
    case TaskLoad:
        return {{"Mode", "Load setup from"}};
    case TaskDataPoint:
        return {{"Param", "Data points"}};
    case TaskWindowing:
        return {{"Param", "Window"}};
    case TaskMarkerPeak:
        return {{"Condition", "IF"},
                {"Condition/MarkerName", "IF marker"},
                {"Condition/Equality_sign", "IF sign"},
                {"Condition/Threshold_Fail", "IF value"}};
    case TaskLimit:
        return {{"Condition", "If fails, do the following"}};
    case TaskZoomZones:
        return {{"Peak_Valley_Search", "Search"}};
    default:
        return {};
    }
}

const Labels &commonLabels()
{
    static const Labels labels = {
        {"SaveMode", "Mode"},
        {"BaseFileName", "File name"},
        {"BaseFolderName", "Folder name"},
        {"Trace_Check", "Trace"},
        {"Trace_Format", "Trace"},
        {"Report_Format", "Report"},
        {"Filetype", "File type"},
        {"ColorInversion", "Color inversion"},
        {"MarkerReadings", "Marker readings"},
        {"WorkFolder", "Work folder"},
        {"Workfolder", "Work folder"},
        {"WorkOrderID", "Work order ID"},
        {"WorkorderID", "Work order ID"},
        {"Site-ID", "Site ID"},
        {"DelayTime", "Delay"},
        {"SetupfileName", "Setup file"},
        {"Setup", "Setup file"},
        {"Measurement", "Select mode"},
        {"Units", "Display units"},
        {"OutputPower", "Output power"},
        {"Cable_Loss", "Cable loss (dB/m)"},
        {"RF_Model", "Model"},
        {"Wavelength_Mode", "Wavelength"},
        {"Wavelength_Param", "Wavelength value"},
        {"Threshold_Param", "Threshold level"},
        {"Voltage_Param", "Voltage"},
        {"Peak_Valley/Search_between", "Search between"},
        {"MSL", "MSL file"},
        {"Limit_Line/Move_Limit", "Threshold Pass/Fail"},
        {"Limit_Line/Warning/Param", "Threshold Warning"},
        {"SeqEndOption", "Sequence end option"},
        {"Description", "Description"},
        {"Storage", "Storage"},
        {"Start_Frequency", "Start frequency"},
        {"Stop_Frequency", "Stop frequency"},
        {"Start_Distance", "Start distance"},
        {"Stop_Distance", "Stop distance"},
        {"Top", "Top"},
        {"Bottom", "Bottom"},
        {"Average", "Average"},
        {"Mode", "Mode"},
        {"Propagation_Velocity", "Propagation velocity"},
        {"Frequency", "Frequency"},
        {"External_offset", "External offset"},
        {"Display_Mode", "Display mode"},
        {"Display_Minimum", "Display minimum"},
        {"Display_Maximum", "Display maximum"},
        {"Limit_Mode", "Limit mode"},
        {"Limit_Minimum", "Limit minimum"},
        {"Limit_Maximum", "Limit maximum"},
        {"Profile", "Profile"},
        {"Tip", "Tip"},
        {"Test_Type", "Test type"},
        {"Technology", "Technology"},
        {"Sector", "Sector"},
        {"Termination", "Termination"},
        {"Logo", "Logo"},
    };
    return labels;
}

// "Stop_Frequency" reads "Stop frequency"; of a path, its last part.
QString plainWords(const QString &field)
{
    QString words = field.section(u'/', -1);
    words.replace(u'_', u' ');
    for (qsizetype i = 1; i < words.size(); ++i)
        if (words.at(i - 1) == u' ' && words.at(i).isUpper() &&
            (i + 1 >= words.size() || !words.at(i + 1).isUpper()))
            words[i] = words.at(i).toLower();
    return words;
}

// Fields of numbered rows: pictures, marker rows, zoom zones.
QString numberedLabel(const QString &field, TaskKind kind)
{
    static const QRegularExpression picture(QStringLiteral("^ImageNum_(\\d+)$"));
    static const QRegularExpression marker(QStringLiteral("^Num(\\d+)/(\\w+)$"));
    static const QRegularExpression zone(QStringLiteral("^Zone(\\d+)/(\\w+)$"));
    QRegularExpressionMatch m = picture.match(field);
    if (m.hasMatch())
        return QStringLiteral("%1 %2")
            .arg(kind == TaskPrompt ? QStringLiteral("Prompt") : QStringLiteral("Picture"))
            .arg(m.captured(1).toInt() + 1);
    m = marker.match(field);
    if (m.hasMatch()) {
        const QString part =
            m.captured(2) == QLatin1String("Search_mode")
                ? QStringLiteral("search")
                : plainWords(m.captured(2))
                      .toLower()
                      .replace(QStringLiteral("x value"), QStringLiteral("X value"));
        return QStringLiteral("Marker %1 %2").arg(m.captured(1), part);
    }
    m = zone.match(field);
    if (m.hasMatch())
        return QStringLiteral("Zone %1 %2").arg(m.captured(1), plainWords(m.captured(2)).toLower());
    return QString();
}

} // namespace

QString findingFieldLabel(const Finding &finding, const WizardDocument &doc)
{
    const QString &field = finding.field;
    if (field.isEmpty())
        return QString();
    const TestingSequence *sequence = doc.sequence(finding.sequence);
    const TaskStep *step = sequence ? sequence->step(finding.step) : nullptr;
    if (field == QLatin1String("Title"))
        return sequence ? QStringLiteral("Sequence title") : QStringLiteral("Wizard title");
    const TaskKind kind = step ? step->kind() : TaskUnknown;
    const Labels own = kindLabels(kind);
    if (own.contains(field))
        return own.value(field);
    if (commonLabels().contains(field))
        return commonLabels().value(field);
    // Anything else names an element of the file itself (a second copy of
    // one, say), which its message names the same way.
    const QString numbered = numberedLabel(field, kind);
    return numbered.isEmpty() ? field : numbered;
}

} // namespace stepvane
