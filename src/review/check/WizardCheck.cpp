// The wizard check: the wizard and its sequences, the walk over the steps, and
// the findings as text and JSON.
#include "review/check/WizardCheck.h"

#include "common/NumberText.h"
#include "document/NameTables.h"
#include "review/check/InstrumentLimits.h"
#include "review/check/StepChecks.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace stepvane {

// ---------------------------------------------------------------- StepCheck

QString StepCheck::modelText() const
{
    return modelName(m_options.model);
}

void StepCheck::error(const QString &field, const QString &message)
{
    m_out.push_back({Severity::Error, m_sequence, m_step, field, message});
}

void StepCheck::warning(const QString &field, const QString &message)
{
    m_out.push_back({Severity::Warning, m_sequence, m_step, field, message});
}

bool StepCheck::knownCode(const QString &field, int code, std::initializer_list<int> codes,
                          const QString &what)
{
    for (int c : codes)
        if (c == code)
            return true;
    error(field,
          QStringLiteral("The %1 code %2 is unknown to the instrument.").arg(what).arg(code));
    return false;
}

bool StepCheck::knownCode(const QString &field, int code, int count, const QString &what)
{
    if (code >= 0 && code < count)
        return true;
    error(field,
          QStringLiteral("The %1 code %2 is unknown to the instrument.").arg(what).arg(code));
    return false;
}

bool StepCheck::inRange(const QString &field, double value, const Bounds &bounds,
                        const QString &what, const QString &unit, const QString &range)
{
    if (withinBounds(value, bounds))
        return true;
    const QString accepted =
        range.isEmpty() ? QStringLiteral("%1 to %2%3")
                              .arg(numberText(bounds.lower), numberText(bounds.upper), unit)
                        : range;
    error(field, QStringLiteral("The %1 %2%3 lies outside what the %4 accepts (%5).")
                     .arg(what, numberText(value), unit, modelText(), accepted));
    return false;
}

void StepCheck::maxLength(const QString &field, const QString &text, int limit, const QString &what)
{
    if (text.size() > limit)
        error(field, QStringLiteral("The %1 has %2 characters; the instrument keeps at most %3.")
                         .arg(what)
                         .arg(text.size())
                         .arg(limit));
}

QString numberText(double value)
{
    // Up to four decimals (cable values have four), without trailing zeros.
    QString text = formatDecimal(value, 4);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

bool withinBounds(double value, const Bounds &bounds)
{
    // The editor's fields clamp in single precision, so 4916.72 ft as a field
    // stores it is inside the range that the table states as 4916.72.
    if (std::isnan(value))
        return false;
    const float v = float(value);
    return v >= float(bounds.lower) && v <= float(bounds.upper);
}

// ---------------------------------------------------------------- the walk

namespace {

QString descriptionOf(const TaskStep &step)
{
    return std::visit([](const auto &r) { return r.Description; }, step.record);
}

void checkHeader(const WizardDocument &doc, const CheckOptions &options, std::vector<Finding> &out)
{
    StepCheck wizard(out, options, -1, -1);
    if (!options.testingUnit) {
        if (doc.sequenceCount() == 0)
            wizard.error(QString(), QStringLiteral("The wizard has no testing sequences."));
        if (doc.Title.trimmed().isEmpty())
            wizard.warning(QStringLiteral("Title"), QStringLiteral("The wizard has no title."));
        wizard.knownCode(QStringLiteral("SeqEndOption"), doc.SeqEndOption, {1, 2},
                         QStringLiteral("end option"));
    }
    if (doc.sequenceCount() > kMaxSequences)
        wizard.error(QString(),
                     QStringLiteral("The wizard has %1 testing sequences; the instrument takes at "
                                    "most %2.")
                         .arg(doc.sequenceCount())
                         .arg(kMaxSequences));
}

void checkSequence(const TestingSequence &sequence, int index, const CheckOptions &options,
                   std::optional<int> &measurement, std::vector<Finding> &out)
{
    StepCheck whole(out, options, index, -1);
    if (sequence.Title.trimmed().isEmpty())
        whole.warning(QStringLiteral("Title"), QStringLiteral("The sequence has no title."));
    if (sequence.stepCount() == 0)
        whole.warning(QString(), QStringLiteral("The sequence has no steps."));
    if (sequence.stepCount() > kMaxSteps)
        whole.error(QString(), QStringLiteral("The sequence has %1 steps; the instrument takes at "
                                              "most %2.")
                                   .arg(sequence.stepCount())
                                   .arg(kMaxSteps));

    for (int i = 0; i < sequence.stepCount(); ++i) {
        const TaskStep &step = *sequence.step(i);
        StepCheck check(out, options, index, i);
        check.measurement = measurement;
        check.maxLength(QStringLiteral("Description"), descriptionOf(step), kDescriptionMaxLength,
                        QStringLiteral("description"));
        checkSettingStep(check, step);
        checkProcedureStep(check, step);
        checkAnalysisStep(check, step);
        checkAttachments(check, step);
        checkPictureNames(check, step);
        // What the instrument measures from here on, as far as the wizard says.
        if (const auto *mode = step.as<MeasureModeTask>())
            measurement = mode->Measurement;
        else if (step.as<LoadTask>())
            measurement.reset(); // a loaded setup brings its own mode
    }
}

} // namespace

std::vector<Finding> checkWizard(const WizardDocument &doc, const CheckOptions &options)
{
    std::vector<Finding> out;
    if (!findModelFacts(options.model)) {
        StepCheck(out, options, -1, -1)
            .error(QString(), QStringLiteral("The model index %1 is unknown; the wizard cannot be "
                                             "checked.")
                                  .arg(options.model));
        return out;
    }
    checkHeader(doc, options, out);
    // The mode set by one sequence still holds when the next one starts.
    std::optional<int> measurement;
    for (int s = 0; s < doc.sequenceCount(); ++s)
        checkSequence(*doc.sequence(s), s, options, measurement, out);
    checkInstrumentLimits(doc, options, out);
    checkFileNotes(doc, out);
    // Findings of the passes over the whole wizard join those of their places.
    std::stable_sort(out.begin(), out.end(), [](const Finding &a, const Finding &b) {
        return std::pair(a.sequence, a.step) < std::pair(b.sequence, b.step);
    });
    return out;
}

int errorCount(const std::vector<Finding> &findings)
{
    return int(std::count_if(findings.begin(), findings.end(),
                             [](const Finding &f) { return f.severity == Severity::Error; }));
}

int warningCount(const std::vector<Finding> &findings)
{
    return int(findings.size()) - errorCount(findings);
}

// ---------------------------------------------------------------- output

QString findingPlace(const Finding &finding, const WizardDocument &doc)
{
    const TestingSequence *sequence = doc.sequence(finding.sequence);
    if (!sequence)
        return QStringLiteral("wizard");
    QString place =
        QStringLiteral("sequence %1 \"%2\"").arg(finding.sequence + 1).arg(sequence->Title);
    if (const TaskStep *step = sequence->step(finding.step))
        place +=
            QStringLiteral(", step %1 %2").arg(finding.step + 1).arg(taskListName(step->kind()));
    return place;
}

QStringList findingsAsText(const std::vector<Finding> &findings, const WizardDocument &doc)
{
    QStringList lines;
    for (const Finding &f : findings) {
        QString line =
            f.severity == Severity::Error ? QStringLiteral("error: ") : QStringLiteral("warning: ");
        line += findingPlace(f, doc);
        if (!f.field.isEmpty())
            line += QStringLiteral(" [%1]").arg(findingFieldLabel(f, doc));
        lines << line + QStringLiteral(": ") + f.message;
    }
    return lines;
}

QString findingsTally(const std::vector<Finding> &findings)
{
    auto count = [](int n, const char *one, const char *many) {
        if (n == 0)
            return QStringLiteral("no %1").arg(QLatin1String(many));
        return n == 1 ? QStringLiteral("1 %1").arg(QLatin1String(one))
                      : QStringLiteral("%1 %2").arg(n).arg(QLatin1String(many));
    };
    return count(errorCount(findings), "error", "errors") + QStringLiteral(", ") +
           count(warningCount(findings), "warning", "warnings");
}

QJsonObject findingsAsJson(const std::vector<Finding> &findings, const WizardDocument &doc,
                           int model)
{
    QJsonArray list;
    for (const Finding &f : findings) {
        const TestingSequence *sequence = doc.sequence(f.sequence);
        const TaskStep *step = sequence ? sequence->step(f.step) : nullptr;
        list.append(QJsonObject{
            {QStringLiteral("severity"),
             f.severity == Severity::Error ? QStringLiteral("error") : QStringLiteral("warning")},
            {QStringLiteral("sequence"), sequence ? QJsonValue(f.sequence + 1) : QJsonValue()},
            {QStringLiteral("sequenceTitle"),
             sequence ? QJsonValue(sequence->Title) : QJsonValue()},
            {QStringLiteral("step"), step ? QJsonValue(f.step + 1) : QJsonValue()},
            {QStringLiteral("task"), step ? QJsonValue(taskListName(step->kind())) : QJsonValue()},
            {QStringLiteral("field"), f.field},
            {QStringLiteral("label"), findingFieldLabel(f, doc)},
            {QStringLiteral("message"), f.message},
        });
    }
    return QJsonObject{{QStringLiteral("model"), modelName(model)},
                       {QStringLiteral("errors"), errorCount(findings)},
                       {QStringLiteral("warnings"), warningCount(findings)},
                       {QStringLiteral("findings"), list}};
}

} // namespace stepvane
