// The walk-through of a wizard: each step as the technician meets it, in
// words. One card per step (and one for the end of the wizard) holds what the
// step shows and does: prompt lines with their pictures, how it moves on, the
// settings it applies (the testing summary's own rows), the pass/fail
// condition with what the technician is shown on a fail, the files it saves
// and the check's findings. The walk-through window and the web page both
// draw these cards; nothing here knows how.
#pragma once

#include "document/WizardDocument.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace stepvane {

// A line of text with an optional picture (a prompt line, a fail entry).
struct WalkLine {
    QString text;
    QString pictureName; // the name the author chose; empty without a picture
    QString picturePath; // the working copy holding its bytes
    int width = 0;
    int height = 0;
    bool hasPicture() const { return !pictureName.isEmpty() || !picturePath.isEmpty(); }
};

enum class WalkAdvance {
    Instrument, // the instrument goes on when the step is done
    Auto,       // by itself after delaySeconds
    Manual,     // when the technician presses Next
};

struct WalkFinding {
    bool error = true;
    QString message;
};

struct WalkCard {
    TaskKind kind = TaskUnknown;
    int sequence = -1; // from 0
    int step = -1;     // from 0; -1 for the end card
    QString label;     // the summary's block label: "Frequency / Distance", "Cable", ...
    QString description;
    QStringList what;            // what the step does, in words (one entry a line)
    std::vector<WalkLine> lines; // prompt lines with their pictures
    WalkAdvance advance = WalkAdvance::Instrument;
    int delaySeconds = 0;
    // Marker/peak and limit steps with a pass/fail outcome.
    bool passFail = false;
    QString condition;                 // the condition in words
    std::vector<WalkLine> failEntries; // "do the following", shown on a fail
    QStringList files;                 // save/report: every file the step makes
    QStringList warnings;              // an earlier step writing the same name, ...
    std::vector<WalkFinding> findings; // the wizard check's, for this step
    bool isEnd() const { return step < 0; }
};

struct WalkSequence {
    QString title;
    std::vector<WalkCard> cards;
};

struct Walkthrough {
    QString title;
    QString model;     // the model's name
    QString endOption; // what the end option does, in words
    std::vector<WalkSequence> sequences;
    WalkCard end; // after the last step of the last sequence; holds the wizard's findings too
    std::vector<WalkFinding> findings; // the check's findings about the wizard itself
};

// The cards of the whole wizard for the model, without findings (the
// review layer places the wizard check's on them).
Walkthrough buildWalkthrough(const WizardDocument &doc, int model);

// The card of one step; earlier steps of its sequence decide the duplicate-
// name warning.
WalkCard buildWalkCard(const TestingSequence &sequence, int sequenceIndex, int stepIndex,
                       int model);

// The end option in words: "Automation" or "Manual" and what it does.
QString endOptionWords(int seqEndOption);

} // namespace stepvane
