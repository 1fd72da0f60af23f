// The review diff of two wizards (or testing units): what changed in the
// header, which sequences and steps were added, removed, moved or changed,
// and for a changed step its values in the testing summary's words, old and
// new, with attached files compared by their bytes. Sequences and steps are
// matched on their content first, so one inserted step leaves the steps after
// it matched to themselves.
#pragma once

#include "document/WizardDocument.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace stepvane {

enum class DiffChange { Added, Removed, Moved, Changed };

struct ValueDiff {
    enum Kind {
        Value,   // one labelled summary value: "label : old → new"
        Row,     // a summary row only on one side (oldText or newText is null)
        Content, // an attached file whose bytes differ; old and new hold its names
    };
    Kind kind = Value;
    QString label; // summary words, with a context ("<Display> / Minimum") where one label repeats
    QString oldText;
    QString newText;
    bool operator==(const ValueDiff &) const = default;
};

struct StepDiff {
    DiffChange change = DiffChange::Changed;
    int oldIndex = -1; // positions from 0; -1 on the side the step is missing from
    int newIndex = -1;
    QString label;       // the summary's block label: "Frequency / Distance", "Cable", ...
    QString description; // of the new step, or of the old one when it was removed
    std::vector<ValueDiff> values; // Changed only
    // The records differ only where the summary shows nothing (a value hidden
    // by a mode, a switched-off check).
    bool hiddenChange = false;
};

struct SequenceDiff {
    DiffChange change = DiffChange::Changed;
    int oldIndex = -1;
    int newIndex = -1;
    QString oldTitle;
    QString newTitle;
    int oldSteps = 0;
    int newSteps = 0;
    std::vector<StepDiff> steps; // Changed only
};

struct WizardDiff {
    std::vector<ValueDiff> header;
    std::vector<SequenceDiff> sequences;
    bool isEqual() const { return header.empty() && sequences.empty(); }
};

struct DiffSide {
    const WizardDocument &doc;
    int model = 0; // the model the wizard was read for; the summary's rows depend on it
};

WizardDiff diffWizards(const DiffSide &oldSide, const DiffSide &newSide);

// The diff as indented text lines: one line per sequence and step change, the
// values of a changed step below it. Empty when the wizards are equal.
QStringList diffAsText(const WizardDiff &diff);
QJsonObject diffAsJson(const WizardDiff &diff);

} // namespace stepvane
