// The main window's Print button: the testing summary of the whole wizard on
// a printer the user picks in the print dialog (copies included; Qt's dialog
// can also print to a PDF file). Cancelling prints nothing.
#pragma once

#include "document/WizardDocument.h"

#include <functional>

class QPrinter;
class QWidget;

namespace stepvane {

// Lets the user set up the printer; false cancels. The default shows the
// standard print dialog; tests pass their own.
using PrinterChooser = std::function<bool(QPrinter &printer, QWidget *parent)>;

// Prints the wizard for the model. Once a printer is chosen, every Frequency /
// Distance step with both frequencies checked keeps the center and span it
// printed (the one change the summary makes to the wizard).
void PrintSummary(QWidget *parent, WizardDocument &doc, int model,
                  const PrinterChooser &choose = {});
// The same for a wizard that may not be changed: nothing is stored.
void PrintSummary(QWidget *parent, const WizardDocument &doc, int model,
                  const PrinterChooser &choose = {});

// Paints the summary on a chosen printer, as many copies as it asks for when
// the printer cannot make them itself. False when printing failed.
bool PrintSummaryOn(QPrinter &printer, const WizardDocument &doc, int model);

} // namespace stepvane
