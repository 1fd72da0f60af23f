// Checks of the procedure steps: save, consolidated report, prompt and load.
#include "document/NameTables.h"
#include "review/check/StepChecks.h"

namespace stepvane {

namespace {

void outputFormat(StepCheck &c, const QString &field, int code, const QString &what)
{
    if (tableEntry(OutputFormatTable(), code).isEmpty())
        c.error(field,
                QStringLiteral("The %1 code %2 is unknown to the instrument.").arg(what).arg(code));
}

void tagTexts(StepCheck &c, std::initializer_list<std::pair<const char *, const QString *>> tags)
{
    for (const auto &[name, text] : tags)
        c.maxLength(QString::fromLatin1(name), *text, kFixedText512,
                    QStringLiteral("tag %1").arg(QLatin1String(name)));
}

void save(StepCheck &c, const SaveTask &r)
{
    c.knownCode(QStringLiteral("Storage"), r.Storage, {1, 2}, QStringLiteral("storage"));
    tagTexts(c, {{"WorkFolder", &r.WorkFolder},
                 {"WorkOrderID", &r.WorkOrderID},
                 {"Site-ID", &r.Site_ID},
                 {"Sector", &r.Sector},
                 {"Technology", &r.Technology},
                 {"Test_Type", &r.Test_Type},
                 {"Termination", &r.Termination}});
    if (!c.knownCode(QStringLiteral("SaveMode"), r.SaveMode, {1, 2}, QStringLiteral("save mode")) ||
        r.SaveMode != 1)
        return; // in Manual the operator chooses on the instrument
    const bool trace = r.Trace_Check == 1, report = r.Report_Check == 3,
               screen = r.Screen_Check == 4;
    if (!trace && !report && !screen)
        c.error(QStringLiteral("Trace_Check"),
                QStringLiteral("The save step runs in automation but saves nothing: choose the "
                               "trace, a report or the screen."));
    if (trace)
        outputFormat(c, QStringLiteral("Trace_Format"), r.Trace_Format,
                     QStringLiteral("trace format"));
    if (report)
        outputFormat(c, QStringLiteral("Report_Format"), r.Report_Format,
                     QStringLiteral("report format"));
    if (screen) {
        outputFormat(c, QStringLiteral("ColorInversion"), r.ColorInversion,
                     QStringLiteral("colour inversion"));
        outputFormat(c, QStringLiteral("MarkerReadings"), r.MarkerReadings,
                     QStringLiteral("marker readings"));
    }
}

void report(StepCheck &c, const ReportTask &r)
{
    tagTexts(c, {{"Workfolder", &r.Workfolder},
                 {"WorkorderID", &r.WorkorderID},
                 {"Site-ID", &r.Site_ID},
                 {"Sector", &r.Sector},
                 {"Technology", &r.Technology},
                 {"Test_type", &r.Test_type},
                 {"Termination", &r.Termination}});
    if (c.knownCode(QStringLiteral("SaveMode"), r.SaveMode, {1, 2},
                    QStringLiteral("report mode")) &&
        r.SaveMode == 1)
        outputFormat(c, QStringLiteral("Filetype"), r.Filetype, QStringLiteral("file type"));
}

void prompt(StepCheck &c, const PromptTask &r)
{
    for (size_t i = 0; i < r.images.size(); ++i)
        c.maxLength(QStringLiteral("ImageNum_%1").arg(i), r.images[i].Comment, kCommentMaxLength,
                    QStringLiteral("comment of prompt %1").arg(i + 1));
    // The delay counts only when the step moves on by itself.
    if (!r.Manual_operation && r.Move_forward_Mode)
        c.inRange(QStringLiteral("DelayTime"), r.DelayTime, kPromptDelayBounds,
                  QStringLiteral("delay"), QStringLiteral(" s"));
}

void load(StepCheck &c, const LoadTask &r)
{
    if (!c.knownCode(QStringLiteral("Mode"), r.Mode, {1, 2, 3}, QStringLiteral("setup source")))
        return;
    if (r.Mode == 2 && r.SetupfileSize == 0)
        c.error(QStringLiteral("SetupfileName"),
                QStringLiteral("The load step loads a saved setup from the PC, but no setup file "
                               "is attached."));
    else if (r.Mode == 3 && r.SetupfileSize == 0)
        c.error(QStringLiteral("SetupfileName"),
                QStringLiteral("The load step loads the instrument's settings, but none were "
                               "fetched."));
}

} // namespace

void checkProcedureStep(StepCheck &c, const TaskStep &step)
{
    if (const auto *r = step.as<SaveTask>())
        save(c, *r);
    else if (const auto *r = step.as<ReportTask>())
        report(c, *r);
    else if (const auto *r = step.as<PromptTask>())
        prompt(c, *r);
    else if (const auto *r = step.as<LoadTask>())
        load(c, *r);
}

} // namespace stepvane
