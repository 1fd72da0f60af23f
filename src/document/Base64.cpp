// Base64 encoding with line breaks and whitespace-tolerant decoding, written
// for speed: embedded files make up nearly all of a large wizard.
#include "document/Base64.h"

#include "document/Sha256.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace stepvane {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr signed char kSkip = -2;
constexpr signed char kBad = -1;
constexpr signed char kPad = -3;

constexpr std::array<signed char, 256> makeDecodeTable()
{
    std::array<signed char, 256> t{};
    for (auto &v : t)
        v = kBad;
    for (int i = 0; i < 64; ++i)
        t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
    t[' '] = t['\t'] = t['\r'] = t['\n'] = t['\f'] = t['\v'] = kSkip;
    t['='] = kPad;
    return t;
}

constexpr auto kDecode = makeDecodeTable();

// The same table once per place in a group of four, each value already
// shifted there: a group is then four loads and three ORs, and any
// character outside the alphabet sets a bit above the 24 of data.
constexpr unsigned kNotDigit = 0xff000000u;
using ShiftedTable = std::array<std::uint32_t, 256>;
constexpr std::array<ShiftedTable, 4> makeShiftedTables()
{
    std::array<ShiftedTable, 4> t{};
    for (int place = 0; place < 4; ++place)
        for (int c = 0; c < 256; ++c)
            t[place][c] =
                kDecode[c] >= 0 ? std::uint32_t(kDecode[c]) << (18 - 6 * place) : kNotDigit;
    return t;
}

constexpr auto kShifted = makeShiftedTables();

} // namespace

QByteArray encodeBase64Lines(const QByteArray &bytes)
{
    const qsizetype n = bytes.size();
    const qsizetype encoded = (n + 2) / 3 * 4;
    const qsizetype breaks = encoded > 0 ? (encoded - 1) / kBase64LineLength : 0;
    QByteArray out(encoded + breaks, Qt::Uninitialized);
    char *dst = out.data();
    const auto *src = reinterpret_cast<const unsigned char *>(bytes.constData());
    int column = 0;
    auto put = [&](char c) {
        if (column == kBase64LineLength) {
            *dst++ = '\n';
            column = 0;
        }
        *dst++ = c;
        ++column;
    };
    qsizetype i = 0;
    for (; i + 2 < n; i += 3) {
        const unsigned v = (unsigned(src[i]) << 16) | (unsigned(src[i + 1]) << 8) | src[i + 2];
        put(kAlphabet[(v >> 18) & 63]);
        put(kAlphabet[(v >> 12) & 63]);
        put(kAlphabet[(v >> 6) & 63]);
        put(kAlphabet[v & 63]);
    }
    if (i < n) {
        unsigned v = unsigned(src[i]) << 16;
        if (i + 1 < n)
            v |= unsigned(src[i + 1]) << 8;
        put(kAlphabet[(v >> 18) & 63]);
        put(kAlphabet[(v >> 12) & 63]);
        put(i + 1 < n ? kAlphabet[(v >> 6) & 63] : '=');
        put('=');
    }
    return out;
}

namespace {

// The rules of every decoding below, resumable so that a text may come in
// pieces. With Write false it only checks and counts. Whole groups of four
// alphabet characters, nearly all of a wizard's text, are taken four at a
// time; the rest (line breaks, padding, a group a line break splits) one at
// a time. Returns where the text stops being base64, or n.
template <bool Write>
qsizetype scanPart(Base64ScanState &st, const unsigned char *s, qsizetype n, char *dst)
{
    qsizetype i = 0;
    while (i < n) {
        if (st.have == 0 && st.padding == 0) {
            for (; i + 4 <= n; i += 4) {
                const std::uint32_t v = kShifted[0][s[i]] | kShifted[1][s[i + 1]] |
                                        kShifted[2][s[i + 2]] | kShifted[3][s[i + 3]];
                if (v & kNotDigit)
                    break;
                if constexpr (Write) {
                    dst[st.written] = char(v >> 16);
                    dst[st.written + 1] = char(v >> 8);
                    dst[st.written + 2] = char(v);
                }
                st.written += 3;
            }
            if (i >= n)
                break;
        }
        const qsizetype at = i;
        const signed char v = kDecode[s[i++]];
        if (v >= 0) {
            if (st.padding) // data after padding
                return at;
            st.acc = (st.acc << 6) | unsigned(v);
            if (++st.have == 4) {
                if constexpr (Write) {
                    dst[st.written] = char(st.acc >> 16);
                    dst[st.written + 1] = char(st.acc >> 8);
                    dst[st.written + 2] = char(st.acc);
                }
                st.written += 3;
                st.have = 0;
                st.acc = 0;
            }
        } else if (v == kPad) {
            ++st.padding;
            if (st.padding > 2 || st.have + st.padding > 4)
                return at;
        } else if (v != kSkip) {
            return at;
        }
    }
    return n;
}

// The end of the text: false where it ends badly.
template <bool Write> bool finishScan(Base64ScanState &st, char *dst)
{
    // Padding is optional at the end, but a lone sixth of a byte is not data.
    if (st.have == 1 || (st.padding && st.have + st.padding != 4))
        return false;
    if (st.have == 2) {
        if constexpr (Write)
            dst[st.written] = char(st.acc >> 4);
        st.written += 1;
    } else if (st.have == 3) {
        if constexpr (Write) {
            dst[st.written] = char(st.acc >> 10);
            dst[st.written + 1] = char(st.acc >> 2);
        }
        st.written += 2;
    }
    st.have = 0;
    return true;
}

template <bool Write> qsizetype scanWhole(const QByteArray &text, char *dst)
{
    Base64ScanState st;
    const auto *s = reinterpret_cast<const unsigned char *>(text.constData());
    if (scanPart<Write>(st, s, text.size(), dst) != text.size() || !finishScan<Write>(st, dst))
        return -1;
    return st.written;
}

const unsigned char *bytesOf(const char *text)
{
    return reinterpret_cast<const unsigned char *>(text);
}

} // namespace

bool decodeBase64(const QByteArray &text, QByteArray &out)
{
    out = QByteArray(text.size() / 4 * 3 + 3, Qt::Uninitialized);
    const qsizetype written = scanWhole<true>(text, out.data());
    if (written < 0) {
        out.clear();
        return false;
    }
    out.truncate(written);
    return true;
}

qsizetype decodedBase64Size(const QByteArray &text)
{
    return scanWhole<false>(text, nullptr);
}

void Base64ProblemScan::feed(const char *text, qsizetype n)
{
    for (qsizetype i = 0; i < n && m_found.isEmpty(); ++i) {
        const unsigned char c = bytesOf(text)[i];
        const signed char v = kDecode[c];
        if (v == kPad) {
            m_padding = true;
        } else if (v >= 0) {
            if (m_padding)
                m_found = QStringLiteral("'=' in mid-stream");
            ++m_digits;
        } else if (c == '-' || c == '_') {
            m_found = QStringLiteral("'%1' of the URL alphabet").arg(QLatin1Char(c));
        } else if (v == kBad) {
            m_found = QStringLiteral("the character 0x%1, which is not base64")
                          .arg(uint(c), 2, 16, QLatin1Char('0'));
        }
    }
}

QString Base64ProblemScan::problem() const
{
    if (!m_found.isEmpty())
        return m_found;
    return m_digits % 4 == 1 ? QStringLiteral("a truncated last group")
                             : QStringLiteral("bad padding");
}

QString base64Problem(const QByteArray &text)
{
    if (decodedBase64Size(text) >= 0)
        return QString();
    Base64ProblemScan scan;
    scan.feed(text.constData(), text.size());
    return scan.problem();
}

Base64Stream::Base64Stream(Base64Keeps keeps) : m_keeps(keeps)
{
    if (keeps == Base64Keeps::Digest)
        m_hash = std::make_unique<Sha256Stream>();
}

Base64Stream::~Base64Stream() = default;
Base64Stream::Base64Stream(Base64Stream &&) noexcept = default;
Base64Stream &Base64Stream::operator=(Base64Stream &&) noexcept = default;

void Base64Stream::feed(const char *text, qsizetype n)
{
    if (n <= 0 || m_finished)
        return;
    if (!m_failed) {
        qsizetype at = 0;
        if (m_keeps == Base64Keeps::Bytes) {
            // Room for every group this piece can complete, and the two
            // bytes a short last group gives at the end. Parsers hand text
            // over a few hundred bytes at a time: the room starts at a
            // picture's worth and doubles, so that few texts are ever moved.
            const qsizetype need = m_state.written + (n + 3) / 4 * 3 + 3;
            constexpr qsizetype kFirstRoom = 256 * 1024;
            if (m_bytes.size() < need)
                m_bytes.resize(std::max({need, m_bytes.size() * 2, kFirstRoom}));
            at = scanPart<true>(m_state, bytesOf(text), n, m_bytes.data());
        } else if (m_keeps == Base64Keeps::Digest) {
            at = scanStaged(text, n);
        } else {
            at = scanPart<false>(m_state, bytesOf(text), n, nullptr);
        }
        if (at == n)
            return;
        fail();
        text += at;
        n -= at;
    }
    m_problem.feed(text, n);
}

// Decodes into a small buffer that is hashed whenever it fills, so that a
// digest never needs the whole of the bytes.
qsizetype Base64Stream::scanStaged(const char *text, qsizetype n)
{
    constexpr qsizetype kStage = 64 * 1024;
    const qsizetype room = (n + 3) / 4 * 3 + 3;
    if (m_staged + room > m_bytes.size()) {
        hashStaged();
        if (room > m_bytes.size())
            m_bytes.resize(std::max(room, kStage));
    }
    Base64ScanState here = m_state;
    here.written = 0; // counts this piece, written from the buffer's free part
    const qsizetype at = scanPart<true>(here, bytesOf(text), n, m_bytes.data() + m_staged);
    m_staged += here.written;
    here.written += m_state.written;
    m_state = here;
    return at;
}

void Base64Stream::hashStaged()
{
    m_hash->add(m_bytes.constData(), m_staged);
    m_staged = 0;
}

bool Base64Stream::finish()
{
    if (m_failed || std::exchange(m_finished, true))
        return !m_failed;
    bool ended = false;
    if (m_keeps == Base64Keeps::Digest) {
        // Every piece left room for the two bytes of a short last group.
        Base64ScanState here = m_state;
        here.written = 0;
        ended = finishScan<true>(here, m_bytes.data() + m_staged);
        m_staged += here.written;
        m_state.written += here.written;
        m_state.have = here.have;
    } else {
        ended = m_keeps == Base64Keeps::Bytes ? finishScan<true>(m_state, m_bytes.data())
                                              : finishScan<false>(m_state, nullptr);
    }
    if (!ended) {
        fail();
        return false;
    }
    if (m_keeps == Base64Keeps::Digest) {
        hashStaged();
        m_digest = m_hash->result();
        m_bytes = QByteArray();
    } else if (m_keeps == Base64Keeps::Bytes) {
        // The room grew by doubling; what is kept is the bytes alone.
        m_bytes.truncate(m_state.written);
        m_bytes.squeeze();
    }
    return true;
}

void Base64Stream::fail()
{
    // What the text held up to here, as the words for it need to know.
    m_problem.resume(m_state.padding > 0, m_state.written / 3 * 4 + m_state.have);
    m_failed = true;
    m_bytes = QByteArray();
}

QByteArray Base64Stream::takeBytes()
{
    return m_failed || m_keeps != Base64Keeps::Bytes ? QByteArray()
                                                     : std::exchange(m_bytes, QByteArray());
}

} // namespace stepvane
