// The review diff as a web page, for stepvane-cli diff --html.
#include "cli/DiffWebPage.h"

#include "cli/CliCommand.h"
#include "review/diff/DiffHtml.h"
#include "summary/walkthrough/HtmlPage.h"

#include <QFileInfo>

namespace stepvane::cli {

bool writeDiffWebPage(const WizardDiff &diff, const WizardDocument &oldDoc, const QString &oldPath,
                      const WizardDocument &newDoc, const QString &newPath, const QString &dir)
{
    const WebPageResult result =
        exportDiffPage(diff, {oldDoc, QFileInfo(oldPath).fileName(), fileSha256(oldPath)},
                       {newDoc, QFileInfo(newPath).fileName(), fileSha256(newPath)}, dir);
    for (const QString &problem : result.problems)
        printError(problem);
    if (!result.ok) {
        printError(result.error);
        return false;
    }
    printOut(dir + QStringLiteral("/index.html"));
    return result.problems.isEmpty();
}

} // namespace stepvane::cli
