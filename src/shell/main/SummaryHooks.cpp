// Testing summary doors: the sequence summary dialog and the printed summary.
#include "shell/main/SummaryHooks.h"

#include "shell/summary/PrintSummary.h"
#include "shell/summary/SequenceSummaryDlg.h"
#include "widgets/UserInterface.h"

namespace stepvane {

void showSequenceSummary(UserInterface &ui, const TestingSequence &sequence, int, QWidget *parent)
{
    SequenceSummaryDlg dialog(sequence, parent);
    ui.runModal(dialog);
}

void printWizardSummary(UserInterface &ui, WizardDocument &document, int modelIndex,
                        QWidget *parent)
{
    PrintSummary(parent, document, modelIndex, [&ui](QPrinter &printer, QWidget *owner) {
        return ui.choosePrinter(printer, owner);
    });
}

} // namespace stepvane
