// stepvane-cli version: the application and firmware versions written into files.
#include "cli/CliCommand.h"
#include "document/NameTables.h"

namespace stepvane::cli {
namespace {

const CliRegistration reg{{
    QStringLiteral("version"),
    QStringLiteral("version"),
    QStringLiteral("usage: stepvane-cli version\n\nPrints the application and firmware versions "
                   "that Stepvane writes into every wizard file."),
    [](const QStringList &) {
        printOut(
            QStringLiteral("Stepvane %1 (firmware %2)").arg(kApplicationVersion, kFirmwareVersion));
        return kExitOk;
    },
}};

} // namespace
} // namespace stepvane::cli
