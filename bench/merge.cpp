// The three-way merge of three largest wizards (100 sequences of 100 steps,
// about 50 MB of pictures each) as `stepvane-cli merge` runs it: read the
// three files, merge, write the result. Measured side by side with the bare
// libxml2 parse of the same three files, in one run.
#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"
#include "maximal_wizard.h"
#include "review/merge/WizardMerge.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <libxml/parser.h>

#include <cstdio>

using namespace stepvane;

namespace {

constexpr int kModel = 2;

// Ours changes a field in every tenth sequence, theirs moves a step's place
// (one removed at the end, one inserted at the start) in every seventh and
// changes another field of every tenth: the merge has matching, field
// merging, removals and insertions to do.
void edit(WizardDocument &doc, bool ours)
{
    for (int s = 0; s < doc.sequenceCount(); ++s) {
        TestingSequence &seq = *doc.sequence(s);
        if (s % 10 == 0)
            for (auto &step : seq.steps)
                if (auto *f = step->as<FrequencyDistanceTask>()) {
                    (ours ? f->Start_Frequency : f->Stop_Frequency) += 1;
                    break;
                }
        if (!ours && s % 7 == 0) {
            // A full sequence takes a step only when one goes.
            seq.removeStep(seq.stepCount() - 1);
            seq.insertStep(0, HoldTask{QStringLiteral("inserted")});
        }
    }
}

double seconds(const std::function<bool()> &work, bool &ok)
{
    QElapsedTimer timer;
    timer.start();
    ok = work() && ok;
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    WorkingCopies::instance().setBaseFolder(dir.filePath(QStringLiteral("restored")));
    const QStringList files = {dir.filePath("base.wzd"), dir.filePath("ours.wzd"),
                               dir.filePath("theirs.wzd")};
    {
        WizardDocument base = bench::makeMaximalWizard(dir.path(), kModel);
        for (int k = 0; k < 3; ++k) {
            WizardDocument doc = base;
            if (k > 0)
                edit(doc, k == 1);
            if (!VX_CAAXML_PARSER(&doc, kModel).Save_Wizard(files[k])) {
                std::fprintf(stderr, "could not write %s\n", qPrintable(files[k]));
                return 1;
            }
        }
    }

    bool ok = true;
    const double parse = seconds(
        [&] {
            for (const QString &file : files) {
                // From a descriptor: the core's entity loader (no outside
                // loads) would refuse a file name.
                QFile in(file);
                if (!in.open(QIODevice::ReadOnly))
                    return false;
                xmlDoc *xml =
                    xmlReadFd(in.handle(), nullptr, nullptr, XML_PARSE_HUGE | XML_PARSE_NONET);
                if (!xml) {
                    std::fprintf(stderr, "libxml2 could not parse %s\n", qPrintable(file));
                    return false;
                }
                xmlFreeDoc(xml);
            }
            return true;
        },
        ok);
    size_t conflicts = 0;
    double read = 0, merged = 0;
    QElapsedTimer timer;
    timer.start();
    const double merge = seconds(
        [&] {
            timer.start();
            WizardDocument docs[3];
            for (int k = 0; k < 3; ++k)
                if (VX_CAAXML_PARSER(&docs[k], kModel).Read_Wizard_File(files[k]) != 1)
                    return false;
            read = timer.nsecsElapsed() / 1e9;
            WizardMergeResult r =
                mergeWizards({docs[0], kModel}, {docs[1], kModel}, {docs[2], kModel});
            merged = timer.nsecsElapsed() / 1e9;
            conflicts = r.conflicts.size();
            return VX_CAAXML_PARSER(&r.doc, r.model).Save_Wizard(dir.filePath("merged.wzd"));
        },
        ok);

    std::printf("three wizards of %d sequences x %d steps, %.1f MiB each\n", kMaxSequences,
                kMaxSteps, QFileInfo(files[0]).size() / 1048576.0);
    std::printf("bare parse of the inputs: %.3f s\n", parse);
    std::printf(
        "merge (read three, merge, write): %.3f s (read %.3f, merge %.3f), %zu conflicts%s\n",
        merge, read, merged - read, conflicts, ok ? "" : ", FAILED");
    std::printf("merge / bare parse of the inputs: %.2f (target <= 4)\n", merge / parse);
    return ok ? 0 : 1;
}
