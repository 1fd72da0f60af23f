// One-sequence wizards for the step-kind tests: built from records, saved to a
// scratch file, or written from hand-written step bodies, and read back.
#pragma once

#include "support/WizardText.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace stepvane::test {

inline WizardDocument oneSequence(const std::vector<TaskRecord> &records,
                                  const QString &title = "t", const QString &sequenceTitle = "s",
                                  int seqEnd = 2)
{
    WizardDocument doc;
    doc.Title = title, doc.SeqEndOption = seqEnd;
    TestingSequence *seq = doc.appendSequence();
    seq->Title = sequenceTitle;
    for (const TaskRecord &r : records)
        seq->insertStep(-1, r);
    return doc;
}

// The records of a wizard file; the reader's result goes to *result.
inline std::vector<TaskRecord> readRecords(const QString &path, MessageSink *sink = nullptr,
                                           int *result = nullptr)
{
    WizardDocument doc;
    const int r = readWizard(path, doc, sink);
    if (result)
        *result = r;
    return recordsOf(doc);
}

// The records of a wizard of these step bodies (from Task_Step_Name on).
inline std::vector<TaskRecord> readBodies(const QStringList &bodies, MessageSink *sink = nullptr,
                                          int *result = nullptr)
{
    QTemporaryDir dir;
    EXPECT_TRUE(writeAll(dir.filePath("r.wzd"), wizardAround(bodies)));
    return readRecords(dir.filePath("r.wzd"), sink, result);
}

// The records saved as a one-sequence wizard in a scratch folder; its path.
inline QString savedRecords(const std::vector<TaskRecord> &records, MessageSink *sink = nullptr)
{
    static QTemporaryDir dir;
    WizardDocument doc = oneSequence(records);
    EXPECT_TRUE(saveWizard(doc, dir.filePath("saved.wzd"), sink));
    return dir.filePath("saved.wzd");
}

} // namespace stepvane::test
