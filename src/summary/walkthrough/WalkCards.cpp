// The walk-through cards, one function per kind of step. Settings are the
// testing summary's rows (never worded twice); the rest says in plain words
// what the technician sees and what the instrument does.
#include "summary/walkthrough/WalkCards.h"

#include "common/NumberText.h"
#include "document/ModelTables.h"
#include "document/NameTables.h"
#include "summary/SummaryRows.h"

#include <QHash>

#include <type_traits>

namespace stepvane {

namespace {

// The right cells of a step's summary rows after its first (description)
// row, without the empty closing rows.
QStringList summaryWords(const QStringList &rows)
{
    QStringList words;
    words.reserve(rows.size());
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QString &row = rows[i];
        const qsizetype bar = row.indexOf(kCellSeparator);
        const QStringView cell = QStringView(row).mid(bar < 0 ? 0 : bar + 1).trimmed();
        if (!cell.isEmpty())
            words << (cell.size() == row.size() ? row : cell.toString());
    }
    return words;
}

// The block label of the first summary row "n.label|...".
QString labelOfRows(const QStringList &rows)
{
    if (rows.isEmpty())
        return QString();
    QStringView left = rows.first();
    if (const qsizetype bar = left.indexOf(kCellSeparator); bar >= 0)
        left = left.left(bar);
    return left.mid(left.indexOf(u'.') + 1).toString();
}

// The summary's group markers ("<File type>") as the headings a reader
// expects; "<Prompts>" heads nothing the card does not show already.
QString headingOf(const QString &marker)
{
    static const QHash<QString, QString> headings = {
        {QStringLiteral("<File type>"), QStringLiteral("File types:")},
        {QStringLiteral("<TagID>"), QStringLiteral("Tags:")},
        {QStringLiteral("<Company Info>"), QStringLiteral("Company information:")},
        {QStringLiteral("<Job Info>"), QStringLiteral("Job information:")},
        {QStringLiteral("<Display>"), QStringLiteral("Display:")},
        {QStringLiteral("<Limit>"), QStringLiteral("Limit:")},
    };
    return headings.value(marker);
}

bool isMarker(const QString &cell)
{
    return cell.startsWith(u'<') && cell.endsWith(u'>');
}

// The unit the editor page shows beside a number of the step; empty for none.
QString unitOf(const TaskStep &step, QStringView label, QStringView group)
{
    if (label.isEmpty())
        return QString();
    for (const char *frequency :
         {"Start frequency", "Stop frequency", "Center frequency", "Span", "Frequency"})
        if (label == QLatin1String(frequency))
            return QStringLiteral(" MHz");
    if (const auto *r = step.as<FrequencyDistanceTask>();
        r && label.endsWith(QLatin1String(" distance")))
        return QStringLiteral(" ") + distanceFacts(r->Units).unitLabel;
    if (const auto *r = step.as<RfPowerTask>()) {
        if (label == QLatin1String("External offset"))
            return QStringLiteral(" dB");
        if (label == QLatin1String("Minimum") || label == QLatin1String("Maximum")) {
            const QString unit =
                rfScale(group == QLatin1String("<Limit>") ? r->Limit_Mode : r->Display_Mode).unit;
            return unit.startsWith(u':') ? unit : QStringLiteral(" ") + unit;
        }
    }
    if (step.as<OpticalPowerTask>()) {
        if (label == QLatin1String("Threshold"))
            return QStringLiteral(" dBm");
        if (label == QLatin1String("Wavelength"))
            return QStringLiteral(" nm");
    }
    return QString();
}

// The summary's cells as the technician meets them: headings instead of its
// markers, and numbers with their units. The printed summary keeps its rows.
QStringList technicianWords(const TaskStep &step, const QStringList &cells)
{
    QStringList words;
    words.reserve(cells.size());
    QString group;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const QString &cell = cells[i];
        if (isMarker(cell)) {
            group = cell;
            const QString heading = headingOf(cell);
            // A heading with nothing under it says nothing.
            if (!heading.isEmpty() && i + 1 < cells.size() && !isMarker(cells[i + 1]))
                words << heading;
            continue;
        }
        const qsizetype colon = cell.indexOf(QLatin1String(" : "));
        const QStringView label = colon < 0 ? QStringView() : QStringView(cell).left(colon);
        const QString unit = unitOf(step, label, group);
        const bool number = !cell.isEmpty() && (cell.back().isDigit());
        words << (number && !unit.isEmpty() ? cell + unit : cell);
    }
    return words;
}

WalkLine lineOf(const AttachedImage &image)
{
    WalkLine line;
    line.text = image.Comment;
    if (image.Image_filesize > 0 || !image.ImageName.isEmpty()) {
        line.pictureName = image.ImageName;
        line.picturePath = image.TransImageName;
        line.width = image.ImageWidth;
        line.height = image.ImageHeight;
    }
    return line;
}

void promptCard(WalkCard &card, const PromptTask &r)
{
    for (const AttachedImage &image : r.images)
        if (!image.Comment.isEmpty() || image.Image_filesize > 0 || !image.ImageName.isEmpty())
            card.lines.push_back(lineOf(image));
    card.what << (r.Manual_operation
                      ? QStringLiteral("The technician may work the instrument by hand meanwhile.")
                      : QStringLiteral("The instrument cannot be worked by hand meanwhile."));
    // With manual operation on the page has no move-forward choice: Next it is.
    if (!r.Manual_operation && r.Move_forward_Mode) {
        card.advance = WalkAdvance::Auto;
        card.delaySeconds = r.DelayTime;
    } else {
        card.advance = WalkAdvance::Manual;
    }
}

void loadCard(WalkCard &card, const LoadTask &r)
{
    if (r.Mode == 1) {
        card.what << QStringLiteral("Loads the factory preset.");
    } else if ((r.Mode == 2 || r.Mode == 3) && r.SetupfileSize > 0) {
        const QString path = r.SetupfileName;
        const QString name =
            path.mid(std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1);
        card.what << QStringLiteral("Loads the attached setup file %1:").arg(name);
        for (const QString &line : r.Setup_Info.split(u'\n'))
            if (!line.trimmed().isEmpty())
                card.what << line.trimmed();
    } else {
        card.what << QStringLiteral("Goes on with the instrument's current settings.");
    }
}

// The base name with the extension of each chosen output; the screen capture
// has no extension of its own in the wizard, so it is named as such.
QString extensionOf(int formatCode)
{
    switch (formatCode) {
    case 1:
        return QStringLiteral(".tra");
    case 2:
        return QStringLiteral(".csv");
    case 3:
        return QStringLiteral(".xml");
    case 4:
        return QStringLiteral(".bin");
    case 5:
        return QStringLiteral(".pdf");
    case 6:
        return QStringLiteral(".html");
    default:
        return QString();
    }
}

QString filePath(const QString &folder, const QString &name)
{
    return folder.isEmpty() ? name : folder + u'/' + name;
}

// The files a save or report step writes in automation mode, as
// "folder/name.ext"; none in manual mode (the technician names them).
QStringList filesOf(const TaskStep &step)
{
    QStringList files;
    if (const auto *s = step.as<SaveTask>(); s && s->SaveMode != 2) {
        if (s->Trace_Check == 1)
            files << filePath(s->BaseFolderName, s->BaseFileName + extensionOf(s->Trace_Format));
        if (s->Report_Check == 3)
            files << filePath(s->BaseFolderName, s->BaseFileName + extensionOf(s->Report_Format));
        if (s->Screen_Check == 4)
            files << filePath(s->BaseFolderName, s->BaseFileName) +
                         QStringLiteral(" (screen capture)");
    } else if (const auto *r = step.as<ReportTask>(); r && r->SaveMode != 2) {
        files << filePath(r->BaseFolderName, r->BaseFileName + extensionOf(r->Filetype));
    }
    return files;
}

void saveCard(WalkCard &card, const TaskStep &step, const QStringList &summary, int saveMode)
{
    if (saveMode == 2) {
        card.what << QStringLiteral("The technician names the files on the instrument.");
        card.what << summary;
        return;
    }
    card.files = filesOf(step);
    if (card.files.isEmpty())
        card.what << QStringLiteral("No file type is chosen: the step writes nothing.");
    card.what << summary;
}

// What a marker does on the instrument, from its record: where it goes, not
// the on/off flag the file never stores.
QString markerWords(const MarkerSetting &m)
{
    static const char *const types[] = {"", "Normal", "Delta", "Delta Pair"};
    const QString type = m.Type >= 1 && m.Type <= 3 ? QString::fromLatin1(types[m.Type])
                                                    : QStringLiteral("type %1").arg(m.Type);
    static const char *const moves[] = {
        nullptr,
        "moves to the highest peak of the trace",
        "moves to the next peak",
        "moves to the next peak to the left",
        "moves to the next peak to the right",
        "moves to the lowest valley of the trace",
    };
    const QString action = m.Search_mode >= 1 && m.Search_mode <= 5
                               ? QString::fromLatin1(moves[m.Search_mode])
                               : QStringLiteral("is placed at %1").arg(formatDecimal(m.X_Value, 2));
    return QStringLiteral("M%1 (%2) %3.").arg(m.Name).arg(type, action);
}

QString conditionWords(const MarkerPeakTask &r)
{
    static const char *const signs[] = {"above", "below", "equal to"};
    const QString sign = r.Equality_sign >= 0 && r.Equality_sign <= 2
                             ? QString::fromLatin1(signs[r.Equality_sign])
                             : QStringLiteral("compared (sign %1) with").arg(r.Equality_sign);
    return QStringLiteral("The step fails when M%1's %2 value is %3 %4.")
        .arg(r.MarkerName + 1)
        .arg(r.Axis ? QStringLiteral("Y") : QStringLiteral("X"), sign, r.Threshold_Fail);
}

// Marker/peak: each marker in words; the condition in words; the "do the
// following" rows become the fail entries, the rest are the summary's rows.
void markerCard(WalkCard &card, const MarkerPeakTask &r, const QStringList &summary)
{
    for (const MarkerSetting &m : r.markers)
        if (m.Name >= 1 && m.Name <= kMarkerCount)
            card.what << markerWords(m);
    if (card.what.isEmpty())
        card.what << QStringLiteral("No marker is placed.");
    bool inEntries = false;
    for (const QString &row : summary) {
        if (row.contains(QStringLiteral("Marker name :")) ||
            row.startsWith(QStringLiteral("If Condition")))
            continue;
        if (row.startsWith(QStringLiteral("Do the following:"))) {
            inEntries = true;
            continue;
        }
        if (inEntries && row.startsWith(QStringLiteral("Search between")))
            inEntries = false;
        if (!inEntries)
            card.what << row;
    }
    card.passFail = r.Condition_Check != 0;
    if (card.passFail) {
        card.condition = conditionWords(r);
        for (const AttachedImage &image : r.images)
            card.failEntries.push_back(lineOf(image));
    }
}

void limitCard(WalkCard &card, const LimitTask &r, const QStringList &summary)
{
    for (const QString &row : summary) {
        if (row.startsWith(QStringLiteral("If fail, do the following:")))
            break;
        card.what << row;
    }
    card.passFail = true;
    card.condition =
        r.SelectMode
            ? QStringLiteral("The trace is tested against the limit line.")
            : QStringLiteral("The trace is tested against the mask file %1.").arg(r.MSLfileName);
    if (r.Condition_Check)
        for (const AttachedImage &image : r.images)
            card.failEntries.push_back(lineOf(image));
}

void zoomCard(WalkCard &card, const ZoomZonesTask &r, const QStringList &summary)
{
    const double starts[] = {r.Zone1_Start_Frequency, r.Zone2_Start_Frequency,
                             r.Zone3_Start_Frequency};
    const double stops[] = {r.Zone1_Stop_Frequency, r.Zone2_Stop_Frequency, r.Zone3_Stop_Frequency};
    const int checks[] = {r.Zone1_Check, r.Zone2_Check, r.Zone3_Check};
    int on = 0;
    for (int i = 0; i < 3; ++i)
        if (checks[i]) {
            card.what << QStringLiteral("Zooms into zone %1: %2 to %3 MHz.")
                             .arg(i + 1)
                             .arg(formatDecimal(starts[i], 2), formatDecimal(stops[i], 2));
            ++on;
        }
    if (!on)
        card.what << QStringLiteral("No zone is switched on: nothing is zoomed.");
    if (!summary.isEmpty())
        card.what << summary.last(); // the peak/valley search row
}

} // namespace

QString endOptionWords(int seqEndOption)
{
    if (seqEndOption == 1)
        return QStringLiteral("Automation: after the last step the wizard ends by itself.");
    if (seqEndOption == 2)
        return QStringLiteral("Manual: after the last step the technician ends the wizard.");
    return QStringLiteral("Not set (%1): the instrument decides how the wizard ends.")
        .arg(seqEndOption);
}

WalkCard buildWalkCard(const TestingSequence &sequence, int sequenceIndex, int stepIndex, int model)
{
    WalkCard card;
    card.sequence = sequenceIndex;
    card.step = stepIndex;
    const TaskStep *step = sequence.step(stepIndex);
    if (!step)
        return card;
    card.kind = step->kind();
    const QStringList rows = summaryStepRows(*step, stepIndex + 1, model);
    card.label = labelOfRows(rows);
    const QStringList summary = technicianWords(*step, summaryWords(rows));
    std::visit([&](const auto &r) { card.description = r.Description; }, step->record);

    switch (card.kind) {
    case TaskPrompt:
        promptCard(card, *step->as<PromptTask>());
        break;
    case TaskLoad:
        loadCard(card, *step->as<LoadTask>());
        break;
    case TaskSave:
        saveCard(card, *step, summary, step->as<SaveTask>()->SaveMode);
        break;
    case TaskReport:
        saveCard(card, *step, summary, step->as<ReportTask>()->SaveMode);
        break;
    case TaskMarkerPeak:
        markerCard(card, *step->as<MarkerPeakTask>(), summary);
        break;
    case TaskLimit:
        limitCard(card, *step->as<LimitTask>(), summary);
        break;
    case TaskZoomZones:
        zoomCard(card, *step->as<ZoomZonesTask>(), summary);
        break;
    case TaskCalibration:
        card.what << QStringLiteral("The instrument leads the technician through its calibration.");
        break;
    case TaskHold:
        card.what << QStringLiteral("The instrument holds the trace: the sweep stops.");
        break;
    case TaskAutoScale:
        card.what << QStringLiteral("The instrument scales the amplitude axis to fit the trace.");
        break;
    default: // the measurement settings, in the summary's words
        card.what << QStringLiteral("The instrument applies:") << summary;
        break;
    }

    // A name an earlier step of the sequence already writes is overwritten
    // (or refused) on the instrument: say so on the later step.
    for (const QString &file : card.files)
        for (int i = 0; i < stepIndex; ++i) {
            const TaskStep *earlier = sequence.step(i);
            if (earlier && filesOf(*earlier).contains(file, Qt::CaseInsensitive)) {
                card.warnings << QStringLiteral("Step %1 of this sequence already writes %2.")
                                     .arg(i + 1)
                                     .arg(file);
                break;
            }
        }
    return card;
}

Walkthrough buildWalkthrough(const WizardDocument &doc, int model)
{
    Walkthrough walk;
    walk.title = doc.Title;
    walk.model = modelName(model);
    walk.endOption = endOptionWords(doc.SeqEndOption);
    for (int s = 0; s < doc.sequenceCount(); ++s) {
        const TestingSequence &sequence = *doc.sequence(s);
        WalkSequence ws;
        ws.title = sequence.Title;
        for (int t = 0; t < sequence.stepCount(); ++t)
            ws.cards.push_back(buildWalkCard(sequence, s, t, model));
        walk.sequences.push_back(std::move(ws));
    }
    walk.end.step = -1;
    walk.end.label = QStringLiteral("End");
    walk.end.what << QStringLiteral("End Option : ") + walk.endOption;

    return walk;
}

} // namespace stepvane
