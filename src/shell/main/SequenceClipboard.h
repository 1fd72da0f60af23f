// Copy and paste of whole testing sequences through the program's own
// clipboards. Each step travels through the task clipboard, so after a copy
// or a paste the task clipboard holds the sequence's last step.
#pragma once

#include <memory>

namespace stepvane {

struct AppState;
struct TestingSequence;
struct WizardDocument;

// Takes a deep copy of the sequence. A sequence without steps is not copied
// and the clipboard keeps what it had; false then.
bool copySequenceToClipboard(AppState &state, const TestingSequence &sequence);

// A deep copy of the clipboard's sequence to paste (nullptr when the clipboard
// holds no steps); the clipboard keeps its content.
std::unique_ptr<TestingSequence> sequenceFromClipboard(AppState &state);

} // namespace stepvane
