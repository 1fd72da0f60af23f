// The wizard check before stepvane-cli sends a file, as the editor runs it
// before "Send to EQP": errors stop the send, warnings are printed.
#pragma once

#include <QString>

namespace stepvane::cli {

// kContinue when the file may go (no errors, or not a wizard at all: it is
// then sent unchecked with a warning, as before); kExitFailure after printing
// the errors. Every line goes to stderr.
int checkBeforeSend(const QString &path);

} // namespace stepvane::cli
