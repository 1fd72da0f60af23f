// Whitespace-tolerant base64 decoding, written for speed: embedded files make
// up nearly all of a large wizard. The encoder is in Base64Encode.cpp.
#include "document/Base64.h"

#include "document/Sha256.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// The vector decoders classify each character by its two halves: a byte is
// in the alphabet when the bits its low half marks as wrong share none with
// the bits of its high half's class (2: "+/", 3: digits, 4 and 6: letters
// from 1, 5 and 7: letters up to 0xA; any other high half is never base64,
// whitespace and '=' among them). Its value is then the byte plus an offset
// the high half chooses, '/' taking the place below '+'.
constexpr std::array<std::uint8_t, 16> kLowWrong = {0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                                    0x11, 0x11, 0x13, 0x1a, 0x1b, 0x1b, 0x1b, 0x1a};
constexpr std::array<std::uint8_t, 16> kHighClass = {
    0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10};
constexpr std::array<std::int8_t, 16> kOffset = {0, 16, 19, 4, -65, -65, -71, -71};

constexpr bool classifiesAsTable()
{
    for (int c = 0; c < 256; ++c) {
        const bool digit = (kLowWrong[c & 15] & kHighClass[c >> 4]) == 0;
        if (digit != (kDecode[c] >= 0))
            return false;
        if (digit && c + kOffset[(c >> 4) - (c == '/')] != kDecode[c])
            return false;
    }
    return true;
}
static_assert(classifiesAsTable());

// A run decoder takes the whole groups of a run of alphabet characters from
// s, and whitespace between groups, a vector at a time while whole vectors
// fit in the n characters; it writes three bytes to dst + written for each
// group (nothing where dst is null) and returns how many characters it took.
// It stops before anything else and leaves that to the scalar code.
using RunDecoder = qsizetype (*)(const unsigned char *s, qsizetype n, char *dst,
                                 qsizetype &written);

qsizetype noVectors(const unsigned char *, qsizetype, char *, qsizetype &)
{
    return 0;
}

#if defined(__x86_64__)

// After a vector (at s + i, its bytes decoded in decoded) that holds a
// character outside the alphabet at first: takes the whole groups before it,
// and that character too where it is whitespace between groups. Returns
// whether to go on with the next vector.
template <bool Write>
bool takeGroupsBefore(const unsigned char *s, int first, const char *decoded, char *dst,
                      qsizetype &i, qsizetype &out)
{
    const qsizetype whole = first / 4 * 4;
    const bool resume = first % 4 == 0 && kDecode[s[i + first]] == kSkip;
    if constexpr (Write)
        std::memcpy(dst + out, decoded, std::size_t(whole / 4 * 3));
    out += whole / 4 * 3;
    i += resume ? whole + 1 : whole;
    return resume;
}

// 16 characters at a time: byte shuffles as the look-ups, then the four
// six-bit values of each group merged into 24 bits by two multiply-adds and
// put in order, 12 bytes.
template <bool Write>
__attribute__((target("ssse3"))) qsizetype ssse3Run(const unsigned char *s, qsizetype n, char *dst,
                                                    qsizetype &written)
{
    const __m128i lowWrong = _mm_loadu_si128(reinterpret_cast<const __m128i *>(kLowWrong.data()));
    const __m128i highClass = _mm_loadu_si128(reinterpret_cast<const __m128i *>(kHighClass.data()));
    const __m128i offset = _mm_loadu_si128(reinterpret_cast<const __m128i *>(kOffset.data()));
    const __m128i nibble = _mm_set1_epi8(0x0f);
    const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    qsizetype i = 0;
    qsizetype out = written; // a local: stores through dst may alias written
    while (i + 16 <= n) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        const __m128i high = _mm_and_si128(_mm_srli_epi32(c, 4), nibble);
        const __m128i wrong = _mm_and_si128(_mm_shuffle_epi8(lowWrong, _mm_and_si128(c, nibble)),
                                            _mm_shuffle_epi8(highClass, high));
        const unsigned bad =
            ~unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(wrong, _mm_setzero_si128()))) & 0xffffu;
        const __m128i at = _mm_add_epi8(high, _mm_cmpeq_epi8(c, _mm_set1_epi8('/')));
        __m128i v = _mm_add_epi8(c, _mm_shuffle_epi8(offset, at));
        v = _mm_maddubs_epi16(v, _mm_set1_epi32(0x01400140));
        v = _mm_shuffle_epi8(_mm_madd_epi16(v, _mm_set1_epi32(0x00011000)), order);
        if (bad == 0) {
            if constexpr (Write) {
                _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + out), v);
                const int rest = _mm_cvtsi128_si32(_mm_srli_si128(v, 8));
                std::memcpy(dst + out + 8, &rest, 4);
            }
            out += 12;
            i += 16;
            continue;
        }
        alignas(16) char bytes[16];
        if constexpr (Write)
            _mm_store_si128(reinterpret_cast<__m128i *>(bytes), v);
        if (!takeGroupsBefore<Write>(s, __builtin_ctz(bad), bytes, dst, i, out))
            break;
    }
    written = out;
    return i;
}

// The same 32 characters at a time; each half's twelve bytes are then moved
// together, 24 bytes.
template <bool Write>
__attribute__((target("avx2"))) qsizetype avx2Run(const unsigned char *s, qsizetype n, char *dst,
                                                  qsizetype &written)
{
    const __m256i lowWrong = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(kLowWrong.data())));
    const __m256i highClass = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(kHighClass.data())));
    const __m256i offset = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(kOffset.data())));
    const __m256i nibble = _mm256_set1_epi8(0x0f);
    const __m256i order = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1,
                                           2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    const __m256i together = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    qsizetype i = 0;
    qsizetype out = written; // a local: stores through dst may alias written
    while (i + 32 <= n) {
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + i));
        const __m256i high = _mm256_and_si256(_mm256_srli_epi32(c, 4), nibble);
        const __m256i wrong =
            _mm256_and_si256(_mm256_shuffle_epi8(lowWrong, _mm256_and_si256(c, nibble)),
                             _mm256_shuffle_epi8(highClass, high));
        const unsigned bad =
            ~unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(wrong, _mm256_setzero_si256())));
        const __m256i at = _mm256_add_epi8(high, _mm256_cmpeq_epi8(c, _mm256_set1_epi8('/')));
        __m256i v = _mm256_add_epi8(c, _mm256_shuffle_epi8(offset, at));
        v = _mm256_maddubs_epi16(v, _mm256_set1_epi32(0x01400140));
        v = _mm256_shuffle_epi8(_mm256_madd_epi16(v, _mm256_set1_epi32(0x00011000)), order);
        v = _mm256_permutevar8x32_epi32(v, together);
        if (bad == 0) {
            if constexpr (Write) {
                _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + out), _mm256_castsi256_si128(v));
                _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + out + 16),
                                 _mm256_extracti128_si256(v, 1));
            }
            out += 24;
            i += 32;
            continue;
        }
        alignas(32) char bytes[32];
        if constexpr (Write)
            _mm256_store_si256(reinterpret_cast<__m256i *>(bytes), v);
        if (!takeGroupsBefore<Write>(s, __builtin_ctz(bad), bytes, dst, i, out))
            break;
    }
    written = out;
    return i;
}

#endif

template <bool Write> RunDecoder runDecoder(Base64Kernel kernel)
{
#if defined(__x86_64__)
    if (kernel == Base64Kernel::Avx2)
        return avx2Run<Write>;
    if (kernel == Base64Kernel::Ssse3)
        return ssse3Run<Write>;
#endif
    (void)kernel;
    return noVectors;
}

bool processorHas(Base64Kernel kernel)
{
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (kernel == Base64Kernel::Avx2)
        return __builtin_cpu_supports("avx2");
    if (kernel == Base64Kernel::Ssse3)
        return __builtin_cpu_supports("ssse3");
#endif
    return kernel == Base64Kernel::Scalar;
}

// The kernel in use: the widest the processor has, looked up once.
std::atomic<Base64Kernel> &kernelInUse()
{
    static std::atomic<Base64Kernel> kernel{processorHas(Base64Kernel::Avx2) ? Base64Kernel::Avx2
                                            : processorHas(Base64Kernel::Ssse3)
                                                ? Base64Kernel::Ssse3
                                                : Base64Kernel::Scalar};
    return kernel;
}

} // namespace

Base64Kernel base64Kernel()
{
    return kernelInUse().load(std::memory_order_relaxed);
}

bool useBase64Kernel(Base64Kernel kernel)
{
    if (!processorHas(kernel))
        return false;
    kernelInUse().store(kernel, std::memory_order_relaxed);
    return true;
}

namespace {

// The rules of every decoding below, resumable so that a text may come in
// pieces. With Write false it only checks and counts. Runs of whole groups,
// nearly all of a wizard's text, go to the vector decoder where there is
// one, and whole groups of four alphabet characters are taken four at a
// time; the rest (padding, a group a line break splits, a bad character)
// one at a time. Returns where the text stops being base64, or n.
template <bool Write>
qsizetype scanPart(Base64ScanState &st, const unsigned char *s, qsizetype n, char *dst)
{
    const RunDecoder run = runDecoder<Write>(base64Kernel());
    qsizetype i = 0;
    while (i < n) {
        if (st.have == 0 && st.padding == 0) {
            i += run(s + i, n - i, dst, st.written);
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
            // bytes a short last group gives at the end. A text that comes
            // whole gets just that; one a parser hands over a few hundred
            // bytes at a time starts at a picture's worth and doubles, so
            // that few texts are ever moved.
            const qsizetype need = m_state.written + (n + 3) / 4 * 3 + 3;
            constexpr qsizetype kFirstRoom = 256 * 1024;
            constexpr qsizetype kWhole = 4096;
            if (m_bytes.isEmpty() && n >= kWhole)
                m_bytes = QByteArray(need, Qt::Uninitialized); // resize() would round up
            else if (m_bytes.size() < need)
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
        // Room that grew by doubling is given back; the little a whole
        // text leaves (its line breaks) is not worth moving the bytes for.
        const bool roomy = m_bytes.size() - m_state.written > m_state.written / 16;
        m_bytes.truncate(m_state.written);
        if (roomy)
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
