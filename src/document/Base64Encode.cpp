// Base64 encoding in 76-character lines, a line at a time: a line is exactly
// 57 bytes, so whole lines never carry a group across a break and each one
// can go to the vector encoder whole. The kernel is the decoder's.
#include "document/Base64.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace stepvane {

namespace {

constexpr char kEncodeAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr qsizetype kLineBytes = kBase64LineLength / 4 * 3;

// Encodes whole groups of three bytes and, for one or two bytes left, a
// last group with '=' padding. Writes (n + 2) / 3 * 4 characters.
char *encodeGroups(const unsigned char *src, qsizetype n, char *dst)
{
    qsizetype i = 0;
    for (; i + 2 < n; i += 3) {
        const unsigned v = (unsigned(src[i]) << 16) | (unsigned(src[i + 1]) << 8) | src[i + 2];
        dst[0] = kEncodeAlphabet[v >> 18];
        dst[1] = kEncodeAlphabet[(v >> 12) & 63];
        dst[2] = kEncodeAlphabet[(v >> 6) & 63];
        dst[3] = kEncodeAlphabet[v & 63];
        dst += 4;
    }
    if (i < n) {
        const bool two = i + 1 < n;
        const unsigned v = (unsigned(src[i]) << 16) | (two ? unsigned(src[i + 1]) << 8 : 0u);
        dst[0] = kEncodeAlphabet[v >> 18];
        dst[1] = kEncodeAlphabet[(v >> 12) & 63];
        dst[2] = two ? kEncodeAlphabet[(v >> 6) & 63] : '=';
        dst[3] = '=';
        dst += 4;
    }
    return dst;
}

// A line encoder turns the 57 bytes at src into the 76 characters at dst; it
// reads and writes nothing outside them.
using LineEncoder = void (*)(const unsigned char *src, char *dst);

void scalarLine(const unsigned char *src, char *dst)
{
    encodeGroups(src, kLineBytes, dst);
}

#if defined(__x86_64__)

// Byte orders that put the three bytes of each group into a 32-bit lane as
// b1 b0 b2 b1, from the first twelve bytes of a vector or from its last.
#define STEPVANE_SPREAD(o)                                                                         \
    1 + (o), 0 + (o), 2 + (o), 1 + (o), 4 + (o), 3 + (o), 5 + (o), 4 + (o), 7 + (o), 6 + (o),      \
        8 + (o), 7 + (o), 10 + (o), 9 + (o), 11 + (o), 10 + (o)

// From lanes spread as above to four characters each. The two 16-bit halves
// of a lane are b0b1 and b1b2: one multiply moves the first and third
// six-bit values down to the bottom of their half (keeping the high half of
// the product), the other moves the second and fourth up into the half's
// upper byte. A value then becomes its character by adding an offset chosen
// by its range: 0 for A-Z, 1 for a-z, 2 to 11 for the ten digits, 12 for '+'
// and 13 for '/'.
constexpr signed char kRangeOffset[16] = {65, 71, -4, -4, -4,  -4,  -4, -4,
                                          -4, -4, -4, -4, -19, -16, 0,  0};

__attribute__((target("ssse3"))) inline __m128i ssse3Chars(__m128i spread)
{
    const __m128i offsets = _mm_loadu_si128(reinterpret_cast<const __m128i *>(kRangeOffset));
    const __m128i first = _mm_mulhi_epu16(_mm_and_si128(spread, _mm_set1_epi32(0x0fc0fc00)),
                                          _mm_set1_epi32(0x04000040));
    const __m128i second = _mm_mullo_epi16(_mm_and_si128(spread, _mm_set1_epi32(0x003f03f0)),
                                           _mm_set1_epi32(0x01000010));
    const __m128i values = _mm_or_si128(first, second);
    const __m128i range = _mm_sub_epi8(_mm_subs_epu8(values, _mm_set1_epi8(51)),
                                       _mm_cmpgt_epi8(values, _mm_set1_epi8(25)));
    return _mm_add_epi8(values, _mm_shuffle_epi8(offsets, range));
}

__attribute__((target("ssse3"))) inline void ssse3Step(const unsigned char *src, char *dst,
                                                       __m128i spread, int skip)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src - skip));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), ssse3Chars(_mm_shuffle_epi8(bytes, spread)));
}

// Twelve bytes at a time: four steps give 64 characters; a fifth step over
// the last twelve bytes gives the 12 left and four of the fourth's again,
// reading those bytes from the end of a vector so as to stay in the line.
__attribute__((target("ssse3"))) void ssse3Line(const unsigned char *src, char *dst)
{
    const __m128i fromStart = _mm_setr_epi8(STEPVANE_SPREAD(0));
    const __m128i fromEnd = _mm_setr_epi8(STEPVANE_SPREAD(4));
    for (int step = 0; step < 4; ++step)
        ssse3Step(src + 12 * step, dst + 16 * step, fromStart, 0);
    ssse3Step(src + 45, dst + 60, fromEnd, 4);
}

__attribute__((target("avx2"))) inline __m256i avx2Chars(__m256i spread)
{
    const __m256i offsets = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(kRangeOffset)));
    const __m256i first = _mm256_mulhi_epu16(
        _mm256_and_si256(spread, _mm256_set1_epi32(0x0fc0fc00)), _mm256_set1_epi32(0x04000040));
    const __m256i second = _mm256_mullo_epi16(
        _mm256_and_si256(spread, _mm256_set1_epi32(0x003f03f0)), _mm256_set1_epi32(0x01000010));
    const __m256i values = _mm256_or_si256(first, second);
    const __m256i range = _mm256_sub_epi8(_mm256_subs_epu8(values, _mm256_set1_epi8(51)),
                                          _mm256_cmpgt_epi8(values, _mm256_set1_epi8(25)));
    return _mm256_add_epi8(values, _mm256_shuffle_epi8(offsets, range));
}

// 24 bytes at a time, twelve to each half: the upper half is loaded from
// four bytes before its twelve so that no load reaches past the 24.
__attribute__((target("avx2"))) inline void avx2Step(const unsigned char *src, char *dst)
{
    const __m256i spread = _mm256_setr_epi8(STEPVANE_SPREAD(0), STEPVANE_SPREAD(4));
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + 8));
    const __m256i bytes = _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst),
                        avx2Chars(_mm256_shuffle_epi8(bytes, spread)));
}

// Two steps give 64 characters; the last twelve bytes go as in ssse3Line.
__attribute__((target("avx2"))) void avx2Line(const unsigned char *src, char *dst)
{
    avx2Step(src, dst);
    avx2Step(src + 24, dst + 32);
    ssse3Step(src + 45, dst + 60, _mm_setr_epi8(STEPVANE_SPREAD(4)), 4);
}

#undef STEPVANE_SPREAD

#endif

LineEncoder lineEncoder(Base64Kernel kernel)
{
#if defined(__x86_64__)
    if (kernel == Base64Kernel::Avx2)
        return avx2Line;
    if (kernel == Base64Kernel::Ssse3)
        return ssse3Line;
#endif
    (void)kernel;
    return scalarLine;
}

} // namespace

QByteArray encodeBase64Lines(const QByteArray &bytes)
{
    const qsizetype n = bytes.size();
    const qsizetype encoded = (n + 2) / 3 * 4;
    const qsizetype breaks = encoded > 0 ? (encoded - 1) / kBase64LineLength : 0;
    QByteArray out(encoded + breaks, Qt::Uninitialized);
    char *dst = out.data();
    const auto *src = reinterpret_cast<const unsigned char *>(bytes.constData());
    const LineEncoder line = lineEncoder(base64Kernel());
    // A break follows every whole line but one that ends the text.
    const qsizetype lines = n / kLineBytes;
    const qsizetype rest = n % kLineBytes;
    for (qsizetype k = 0; k < lines; ++k) {
        line(src, dst);
        src += kLineBytes;
        dst += kBase64LineLength;
        if (k + 1 < lines || rest > 0)
            *dst++ = '\n';
    }
    encodeGroups(src, rest, dst);
    return out;
}

} // namespace stepvane
