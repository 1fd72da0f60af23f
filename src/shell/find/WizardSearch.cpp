// Find over the wizard's own texts.
#include "shell/find/WizardSearch.h"

#include "editors/framework/EditorPage.h"

namespace stepvane {

namespace {

class Collector {
public:
    Collector(const QString &text, std::vector<SearchHit> &hits) : m_text(text), m_hits(hits) {}

    void check(const QString &value, int sequence, int step, const QString &field, int part = 0)
    {
        if (value.contains(m_text, Qt::CaseInsensitive))
            m_hits.push_back({sequence, step, part, field});
    }
    void checkImages(const std::vector<AttachedImage> &images, int sequence, int step,
                     const QString &name)
    {
        for (size_t i = 0; i < images.size(); ++i)
            check(images[i].Comment, sequence, step, QStringLiteral("%1 %2").arg(name).arg(i + 1),
                  int(i) + 1);
    }

private:
    const QString &m_text;
    std::vector<SearchHit> &m_hits;
};

} // namespace

std::vector<SearchHit> searchWizard(const WizardDocument &doc, const QString &text)
{
    std::vector<SearchHit> hits;
    if (text.isEmpty())
        return hits;
    Collector found(text, hits);
    found.check(doc.Title, -1, -1, QStringLiteral("Wizard title"));
    for (int s = 0; s < doc.sequenceCount(); ++s) {
        const TestingSequence &sequence = *doc.sequence(s);
        found.check(sequence.Title, s, -1, QStringLiteral("Title"));
        for (int t = 0; t < sequence.stepCount(); ++t) {
            const TaskStep &step = *sequence.step(t);
            found.check(stepDescription(step), s, t, QStringLiteral("Description"));
            if (const auto *prompt = step.as<PromptTask>())
                found.checkImages(prompt->images, s, t, QStringLiteral("Prompt"));
            else if (const auto *marker = step.as<MarkerPeakTask>())
                found.checkImages(marker->images, s, t, QStringLiteral("Comment"));
            else if (const auto *limit = step.as<LimitTask>())
                found.checkImages(limit->images, s, t, QStringLiteral("Comment"));
        }
    }
    return hits;
}

bool comesAfter(const SearchHit &a, const SearchHit &b)
{
    if (a.sequence != b.sequence)
        return a.sequence > b.sequence;
    if (a.step != b.step)
        return a.step > b.step;
    return a.part > b.part;
}

} // namespace stepvane
