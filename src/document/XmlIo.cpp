// XML bytes in and out of libxml2: the mapped reader and the attachment
// splicer of a save.
#include "document/XmlIo.h"

#include "document/Base64.h"
#include "document/WorkingCopyDigests.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace stepvane {

namespace {

constexpr char kMark = '\x01';
// Enough for any count of attachments a document can hold.
constexpr qsizetype kMaxDigits = 9;

} // namespace

int readMapped(void *context, char *buffer, int len)
{
    auto *in = static_cast<MappedInput *>(context);
    const size_t n = std::min(size_t(std::max(len, 0)), in->size - in->done);
    std::memcpy(buffer, in->data + in->done, n);
    in->done += n;
    constexpr size_t kReleaseEvery = size_t(1) << 20;
    static const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t upto = in->done / page * page;
    if (upto - in->released >= kReleaseEvery) {
        madvise(const_cast<char *>(in->data) + in->released, upto - in->released, MADV_DONTNEED);
        in->released = upto;
    }
    return int(n);
}

int closeNothing(void *)
{
    return 0;
}

QByteArray attachmentPlaceholder(size_t index)
{
    return kMark + QByteArray::number(qulonglong(index)) + kMark;
}

bool holdsPlaceholder(const char *text)
{
    return text && std::strchr(text, kMark);
}

AttachmentSplicer::AttachmentSplicer(const std::vector<PendingAttachment> &files, Sink sink)
    : m_files(files), m_sink(std::move(sink))
{
}

bool AttachmentSplicer::write(const char *data, qsizetype size)
{
    if (m_files.empty())
        return m_sink(data, size);
    while (size > 0) {
        if (!m_inPlaceholder) {
            const auto *mark = static_cast<const char *>(std::memchr(data, kMark, size_t(size)));
            const qsizetype plain = mark ? mark - data : size;
            if (plain > 0 && !m_sink(data, plain))
                return false;
            if (!mark)
                return true;
            data += plain + 1;
            size -= plain + 1;
            m_inPlaceholder = true;
            m_digits.clear();
            continue;
        }
        const char c = *data;
        if (c == kMark) {
            ++data;
            --size;
            if (!splice())
                return false;
        } else if (c >= '0' && c <= '9' && m_digits.size() < kMaxDigits) {
            m_digits += c;
            ++data;
            --size;
        } else {
            // Not one of ours: what was held goes out as it came, and this
            // byte is read again as ordinary output.
            if (!passPending())
                return false;
            m_inPlaceholder = false;
        }
    }
    return true;
}

bool AttachmentSplicer::finish()
{
    if (!m_inPlaceholder)
        return true;
    m_inPlaceholder = false;
    return passPending();
}

bool AttachmentSplicer::passPending()
{
    const QByteArray held = kMark + m_digits;
    m_digits.clear();
    return m_sink(held.constData(), held.size());
}

bool AttachmentSplicer::splice()
{
    bool ok = false;
    const qulonglong index = m_digits.toULongLong(&ok);
    if (!ok || index >= m_files.size()) {
        // The closing mark may open the next placeholder: stay inside.
        return passPending();
    }
    m_inPlaceholder = false;
    m_digits.clear();
    const PendingAttachment &file = m_files[size_t(index)];
    QString why;
    const std::optional<QByteArray> bytes = workingCopyBytes(file.path, &why);
    if (!bytes) {
        m_error = QStringLiteral("Cannot embed %1: %2").arg(file.path, why);
        return false;
    }
    // Checked when it was attached; a file that changed since would no
    // longer match the size its record states.
    if (bytes->size() != file.size) {
        m_error = QStringLiteral("Cannot embed %1: it changed from %2 to %3 bytes since it was "
                                 "attached")
                      .arg(file.path)
                      .arg(file.size)
                      .arg(bytes->size());
        return false;
    }
    // Whole lines at a time give the same text as encoding the file at
    // once, without all of it as text in memory.
    constexpr qsizetype kLineBytes = kBase64LineLength / 4 * 3;
    constexpr qsizetype kSlice = kLineBytes * 16384;
    for (qsizetype at = 0; at < bytes->size(); at += kSlice) {
        if (at > 0 && !m_sink("\n", 1))
            return false;
        const qsizetype n = std::min(kSlice, bytes->size() - at);
        const QByteArray text =
            encodeBase64Lines(QByteArray::fromRawData(bytes->constData() + at, n));
        if (!m_sink(text.constData(), text.size()))
            return false;
    }
    return true;
}

int AttachmentSplicer::libxmlWrite(void *context, const char *buffer, int len)
{
    auto *splicer = static_cast<AttachmentSplicer *>(context);
    return splicer->write(buffer, qsizetype(std::max(len, 0))) ? len : -1;
}

} // namespace stepvane
