// The walk-through with the check's findings placed on its cards.
#include "review/check/CheckedWalkthrough.h"

namespace stepvane {

Walkthrough buildWalkthrough(const WizardDocument &doc, int model,
                             const std::vector<Finding> &findings)
{
    Walkthrough walk = buildWalkthrough(doc, model);
    for (const Finding &f : findings) {
        const WalkFinding wf{f.severity == Severity::Error, f.message};
        if (f.sequence < 0 || size_t(f.sequence) >= walk.sequences.size()) {
            walk.findings.push_back(wf);
            continue;
        }
        WalkSequence &ws = walk.sequences[size_t(f.sequence)];
        if (f.step >= 0 && size_t(f.step) < ws.cards.size())
            ws.cards[size_t(f.step)].findings.push_back(wf);
        else if (!ws.cards.empty())
            ws.cards.front().findings.push_back(wf);
        else
            walk.findings.push_back(wf);
    }
    // The window shows the wizard's own findings where the walk ends.
    walk.end.findings = walk.findings;
    return walk;
}

} // namespace stepvane
