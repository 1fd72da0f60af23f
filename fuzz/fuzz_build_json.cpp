// libFuzzer target: the JSON that `stepvane-cli build` reads, turned into a
// wizard. Attachment paths resolve in an empty folder of the fuzzer's own, so
// no input reaches the files around it; a wizard that builds has its model's
// bounds, and its JSON form builds again.
#include "cli/WizardJson.h"
#include "document/NameTables.h"
#include "document/WorkingCopies.h"

#include <QDir>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

using namespace stepvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir base;
    const QJsonDocument json = QJsonDocument::fromJson(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!json.isObject())
        return 0;
    WizardDocument doc;
    const cli::JsonBuildResult built = cli::wizardFromJson(json.object(), base.path(), doc);
    if (built.ok) {
        if (built.model < 0 || built.model >= kModelCount || doc.sequenceCount() > kMaxSequences)
            std::abort();
        WizardDocument again;
        if (!cli::wizardFromJson(
                 QJsonDocument::fromJson(cli::wizardJsonText(doc, built.model)).object(),
                 base.path(), again)
                 .ok)
            std::abort();
    }
    WorkingCopies::instance().cleanup();
    return 0;
}
