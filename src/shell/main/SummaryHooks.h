// The doors to the testing summary: the dialog of one sequence (a sequence
// row's summary button) and the printed summary of the whole wizard (the Print
// button).
#pragma once

class QWidget;

namespace stepvane {

struct TestingSequence;
struct WizardDocument;
class UserInterface;

void showSequenceSummary(UserInterface &ui, const TestingSequence &sequence, int modelIndex,
                         QWidget *parent);
void printWizardSummary(UserInterface &ui, WizardDocument &document, int modelIndex,
                        QWidget *parent);

} // namespace stepvane
