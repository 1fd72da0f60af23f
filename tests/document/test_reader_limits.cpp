// Counts at their limits: the reader's messages about passed-over content
// stop after five with one line for the rest, and the send estimate counts
// the line breaks the base64 text really has.
#include "document/Base64.h"
#include "document/VX_CAAXML_PARSER.h"
#include "review/check/SendEstimate.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

const QString kMoreOfTheSame =
    QStringLiteral("The file holds more of the same; the check lists them all.");

// Reads a wizard whose header holds `copies` second Title elements.
struct RepeatedTitles {
    explicit RepeatedTitles(int copies)
    {
        WizardDocument written;
        written.Title = QStringLiteral("Site");
        VX_CAAXML_PARSER writer(&written, 1);
        const QString path = dir.filePath(QStringLiteral("w.wzd"));
        EXPECT_TRUE(writer.Save_Wizard(path));
        QByteArray text = readAll(path);
        const QByteArray title = "<Title DValue=\"Site\"/>";
        QByteArray extra;
        for (int i = 0; i < copies; ++i)
            extra += "<Title DValue=\"copy " + QByteArray::number(i) + "\"/>";
        EXPECT_TRUE(text.contains(title));
        text.replace(title, title + extra);
        writeAll(path, text);
        VX_CAAXML_PARSER reader(&doc, 1, &sink);
        ok = reader.Read_Wizard_File(path) == 1;
    }
    QTemporaryDir dir;
    WizardDocument doc;
    CollectingMessageSink sink;
    bool ok = false;
};

} // namespace

TEST(ReaderNotes, FiveAreToldOneByOneThenOneLineForTheRest)
{
    for (const int copies : {4, 5, 6, 9}) {
        SCOPED_TRACE(copies);
        const RepeatedTitles read(copies);
        ASSERT_TRUE(read.ok);
        EXPECT_EQ(read.doc.FileNotes.size(), size_t(copies)) << "the document keeps every note";
        const QStringList texts = read.sink.texts();
        const int told = std::min(copies, 5);
        ASSERT_EQ(texts.size(), told + (copies > 5 ? 1 : 0)) << texts.join(u'\n').toStdString();
        for (int i = 0; i < told; ++i)
            EXPECT_TRUE(texts[i].contains(QStringLiteral("a second Title element")))
                << texts[i].toStdString();
        EXPECT_EQ(texts.last().trimmed() == kMoreOfTheSame, copies > 5);
    }
}

TEST(SendEstimate, EmbeddedSizeIsTheBase64TextAsWritten)
{
    // 57 bytes fill one 76-character line exactly: no line break follows the
    // last full line, one starts the next.
    for (const qint64 size : {1, 56, 57, 58, 113, 114, 115, 57 * 100, 57 * 100 + 1}) {
        const QByteArray text = encodeBase64Lines(QByteArray(size, '\x5a'));
        EXPECT_EQ(embeddedBytes(size), text.size()) << size;
    }
    EXPECT_EQ(embeddedBytes(0), 0);
}
