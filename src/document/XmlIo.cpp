// XML bytes in and out of libxml2: the mapped reader and the attachment
// splicer of a save.
#include "document/XmlIo.h"

#include "document/Base64.h"
#include "document/WorkingCopyDigests.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace stepvane {

namespace {

constexpr char kMark = '\x01';
// Enough for any count of attachments a document can hold.
constexpr qsizetype kMaxDigits = 9;

// What the parser hands over unchanged as character data: the base64
// alphabet, '=', and the spaces a writer breaks lines with. A carriage
// return is not among them (the parser turns it into a line feed).
constexpr std::array<bool, 256> makeCleanTable()
{
    std::array<bool, 256> t{};
    for (size_t c = 'A'; c <= 'Z'; ++c)
        t[c] = t[c - 'A' + 'a'] = true;
    for (int c = '/'; c <= '9'; ++c)
        t[size_t(c)] = true;
    t['+'] = t['='] = t[' '] = t['\t'] = t['\n'] = true;
    return t;
}

constexpr auto kClean = makeCleanTable();

// How many bytes from s on are clean, sixteen at a time where the
// processor allows; lines counts the line feeds among them.
size_t cleanRun(const char *s, size_t n, size_t &lines)
{
    size_t i = 0;
    lines = 0;
#if defined(__SSE2__)
    const auto within = [](__m128i v, char low, char high) {
        return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(char(low - 1))),
                             _mm_cmplt_epi8(v, _mm_set1_epi8(char(high + 1))));
    };
    const auto is = [](__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
    // Line feeds are counted in byte lanes (each match is -1), summed into
    // lines before a lane can overflow.
    __m128i counts = _mm_setzero_si128();
    int inLanes = 0;
    const auto sumLanes = [&] {
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        lines += size_t(_mm_cvtsi128_si32(sums)) + size_t(_mm_extract_epi16(sums, 4));
        counts = _mm_setzero_si128();
        inLanes = 0;
    };
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        const __m128i feeds = is(v, '\n');
        __m128i ok = _mm_or_si128(within(v, 'A', 'Z'), within(v, 'a', 'z'));
        ok = _mm_or_si128(ok, _mm_or_si128(within(v, '/', '9'), is(v, '+')));
        ok = _mm_or_si128(ok, _mm_or_si128(is(v, '='), is(v, ' ')));
        ok = _mm_or_si128(ok, _mm_or_si128(is(v, '\t'), feeds));
        if (_mm_movemask_epi8(ok) != 0xffff)
            break;
        counts = _mm_sub_epi8(counts, feeds);
        if (++inLanes == 255)
            sumLanes();
    }
    sumLanes();
#endif
    for (; i < n && kClean[static_cast<unsigned char>(s[i])]; ++i)
        lines += s[i] == '\n';
    return i;
}

// Whether the XML declaration names an encoding other than UTF-8; then the
// parser converts and its offsets are no longer the file's.
bool declaresOtherEncoding(const char *data, size_t size)
{
    const std::string_view head(data, std::min(size, size_t(256)));
    const size_t end = head.find("?>");
    const size_t at = head.substr(0, end).find("encoding");
    if (at == std::string_view::npos)
        return false;
    const size_t quote = head.find_first_of("\"'", at);
    const size_t close =
        quote == std::string_view::npos ? quote : head.find(head[quote], quote + 1);
    if (close == std::string_view::npos)
        return true;
    const QByteArray name = QByteArray(head.data() + quote + 1, qsizetype(close - quote - 1));
    return name.compare("UTF-8", Qt::CaseInsensitive) != 0 &&
           name.compare("UTF8", Qt::CaseInsensitive) != 0;
}

} // namespace

std::vector<SkippedText> skippableTexts(const char *data, size_t size)
{
    // Shorter texts are not worth a stretch of their own.
    constexpr size_t kLeast = 256;
    constexpr std::string_view kType = "bin.base64";
    std::vector<SkippedText> found;
    if (declaresOtherEncoding(data, size))
        return found;
    size_t at = 0;
    size_t hidden = 0;
    while (at < size) {
        const auto *hit =
            static_cast<const char *>(memmem(data + at, size - at, kType.data(), kType.size()));
        if (!hit)
            break;
        at = size_t(hit - data) + kType.size();
        if (at + 2 > size || (data[at] != '"' && data[at] != '\'') || data[at + 1] != '>')
            continue;
        const size_t begin = at + 2;
        size_t lines = 0;
        const size_t end = begin + cleanRun(data + begin, size - begin, lines);
        if (end < size && data[end] == '<' && end - begin >= kLeast) {
            found.push_back({begin, end, begin - hidden, lines});
            hidden += end - begin;
            at = end;
        }
    }
    return found;
}

int readMapped(void *context, char *buffer, int len)
{
    auto *in = static_cast<MappedInput *>(context);
    size_t room = size_t(std::max(len, 0));
    size_t n = 0;
    while (room > 0 && in->done < in->size) {
        size_t stop = in->size;
        if (in->passed < in->skipped.size()) {
            const SkippedText &next = in->skipped[in->passed];
            if (in->done == next.begin) {
                in->done = next.end;
                ++in->passed;
                continue;
            }
            stop = next.begin;
        }
        const size_t take = std::min(room, stop - in->done);
        std::memcpy(buffer + n, in->data + in->done, take);
        n += take;
        room -= take;
        in->done += take;
    }
    // A stretch not yet taken stays, whatever the reader has passed.
    const size_t keep = in->taken < in->skipped.size()
                            ? std::min(in->done, in->skipped[in->taken].begin)
                            : in->done;
    constexpr size_t kReleaseEvery = size_t(1) << 20;
    static const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t upto = keep / page * page;
    if (upto > in->released && upto - in->released >= kReleaseEvery) {
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
