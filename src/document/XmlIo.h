// How XML bytes travel between files and libxml2: a mapped file handed to the
// parser in the blocks it asks for, and the output side of a save, which
// writes each attached file's base64 where the tree holds only a short
// placeholder for it. A tree with every picture of a large wizard in it as
// text held the whole file's worth of base64 in memory before a byte was
// written; now each file is read and encoded as its place in the output
// comes, one at a time.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <functional>
#include <vector>

namespace stepvane {

// A stretch of base64 text that libxml2 is not shown: the text right after a
// start tag that ends in bin.base64"> , made only of characters the parser
// would hand over unchanged, up to the next '<'. The decoding parse takes it
// whole from the mapping where the element starts, instead of libxml2
// scanning it and handing it over a few hundred bytes at a time.
struct SkippedText {
    size_t begin = 0; // in the file
    size_t end = 0;
    size_t shownAt = 0; // where it would be in what libxml2 is shown
    size_t lines = 0;   // line feeds in it
};

// The stretches of data that may be skipped, in file order. None when the
// file declares an encoding other than UTF-8: offsets would not match.
std::vector<SkippedText> skippableTexts(const char *data, size_t size);

// A mapped file handed to libxml2 through readMapped, less its skipped
// stretches; the pages already parsed (and taken) leave the process's memory
// as the parse goes on.
struct MappedInput {
    MappedInput(const char *bytes, size_t length) : data(bytes), size(length) {}
    const char *data = nullptr;
    size_t size = 0;
    size_t done = 0;
    size_t released = 0;
    std::vector<SkippedText> skipped;
    size_t passed = 0; // skipped stretches the reader has gone past
    size_t taken = 0;  // skipped stretches the parse has taken
};
int readMapped(void *context, char *buffer, int len);
// libxml2's close callback for I/O it does not own.
int closeNothing(void *);

// An attached file whose base64 the output writes in place of a placeholder:
// the file (or held copy) and the byte count it had when it was attached.
struct PendingAttachment {
    QString path;
    qint64 size = 0;
};

// The placeholder text for the pending attachment at index. It is made of
// control characters and digits: no attribute value can hold those (the
// writer refuses them) and no parsed text either, so nothing else in an
// output can look like one.
QByteArray attachmentPlaceholder(size_t index);
// Whether text (a text node's content) holds a placeholder at all.
bool holdsPlaceholder(const char *text);

// Passes bytes on to a sink, putting the base64 lines of each pending
// attachment where its placeholder stands. Bytes come in pieces of any size
// (libxml2 flushes its output every 4000 bytes or so), so a placeholder may
// be split between two calls; only the few bytes of an unfinished
// placeholder are kept between them. Anything that is not a whole
// placeholder of a known attachment passes unchanged.
class AttachmentSplicer {
public:
    // The sink takes bytes in order; false stops the output.
    using Sink = std::function<bool(const char *data, qsizetype size)>;
    AttachmentSplicer(const std::vector<PendingAttachment> &files, Sink sink);

    bool write(const char *data, qsizetype size);
    // Hands on what is left of an unfinished placeholder; call at the end.
    bool finish();
    // Why an attachment could not be written (naming the file), or empty
    // when the sink refused or nothing failed.
    QString errorText() const { return m_error; }

    // libxml2's output callback, with a splicer as context.
    static int libxmlWrite(void *context, const char *buffer, int len);

private:
    bool splice();
    bool passPending(); // the unfinished placeholder, as it came

    const std::vector<PendingAttachment> &m_files;
    Sink m_sink;
    bool m_inPlaceholder = false;
    QByteArray m_digits; // of the placeholder being read
    QString m_error;
};

} // namespace stepvane
