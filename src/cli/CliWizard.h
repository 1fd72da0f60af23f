// Opening a wizard or testing unit file for the CLI commands the way the
// editor opens one: the model from the file (or --model), the password check,
// then the reader.
#pragma once

#include "document/WizardDocument.h"

#include <QString>
#include <QStringList>

namespace stepvane::cli {

struct OpenedWizard {
    bool ok = false;
    QString error;        // the message to print when !ok
    QStringList warnings; // messages of a read that went on (attachments)
    // Attached files that could not be written to their working copies
    // ("PATH: reason"); the document names no path for them.
    QStringList restoreFailures;
    int model = 0;
    bool testingUnit = false;
};

// modelOption < 0 takes the model from the file (an unknown model counts as 0).
// password is compared with the file's when the file carries one.
// typeFromContent: a wizard or a testing unit by the file's document element
// (git hands merge drivers and textconv filters files without their names);
// otherwise by the name, and a testing unit named .wzd is refused.
OpenedWizard openWizardFile(const QString &path, int modelOption, const QString &password,
                            bool passwordGiven, WizardDocument &doc, bool typeFromContent = false);

bool isTestingUnitPath(const QString &path);

class CliArgs;

// FILE, --model N and --password PW as info, dump and summary take them.
// Each returns the exit code to stop with, or kContinue.
int readWizardOptions(CliArgs &args, const QString &synopsis, int &model);
// Opens path with the password given as passwordOption, printing the read's
// warnings and, on failure, its error; false when it could not be opened.
bool openAndReport(const QString &path, int model, const CliArgs &args,
                   const QString &passwordOption, WizardDocument &doc, OpenedWizard &opened,
                   bool typeFromContent = false);
// Opens the FILE positional the same way.
int openWizardFromArgs(const CliArgs &args, int model, WizardDocument &doc, OpenedWizard &opened);

} // namespace stepvane::cli
