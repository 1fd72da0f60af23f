// Base64 encoding with line breaks and whitespace-tolerant decoding, written
// for speed: embedded files make up nearly all of a large wizard.
#include "document/Base64.h"

#include <array>
#include <cstdint>

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

// One pass over the text with the rules of both operations below; with
// Write false it only checks and counts. Whole groups of four alphabet
// characters, nearly all of a wizard's text, are taken four at a time; the
// rest (line breaks, padding, a group a line break splits) one at a time.
template <bool Write> qsizetype scanBase64(const char *text, qsizetype n, char *dst)
{
    const auto *s = reinterpret_cast<const unsigned char *>(text);
    qsizetype written = 0;
    qsizetype i = 0;
    unsigned acc = 0;
    int have = 0;
    int padding = 0;
    while (i < n) {
        if (have == 0 && padding == 0) {
            for (; i + 4 <= n; i += 4) {
                const std::uint32_t v = kShifted[0][s[i]] | kShifted[1][s[i + 1]] |
                                        kShifted[2][s[i + 2]] | kShifted[3][s[i + 3]];
                if (v & kNotDigit)
                    break;
                if constexpr (Write) {
                    dst[written] = char(v >> 16);
                    dst[written + 1] = char(v >> 8);
                    dst[written + 2] = char(v);
                }
                written += 3;
            }
            if (i >= n)
                break;
        }
        const signed char v = kDecode[s[i++]];
        if (v >= 0) {
            if (padding) // data after padding
                return -1;
            acc = (acc << 6) | unsigned(v);
            if (++have == 4) {
                if constexpr (Write) {
                    dst[written] = char(acc >> 16);
                    dst[written + 1] = char(acc >> 8);
                    dst[written + 2] = char(acc);
                }
                written += 3;
                have = 0;
                acc = 0;
            }
        } else if (v == kPad) {
            ++padding;
            if (padding > 2 || have + padding > 4)
                return -1;
        } else if (v != kSkip) {
            return -1;
        }
    }
    // Padding is optional at the end, but a lone sixth of a byte is not data.
    if (have == 1 || (padding && have + padding != 4))
        return -1;
    if (have == 2) {
        if constexpr (Write)
            dst[written] = char(acc >> 4);
        written += 1;
    } else if (have == 3) {
        if constexpr (Write) {
            dst[written] = char(acc >> 10);
            dst[written + 1] = char(acc >> 2);
        }
        written += 2;
    }
    return written;
}

} // namespace

bool decodeBase64(const QByteArray &text, QByteArray &out)
{
    out = QByteArray(text.size() / 4 * 3 + 3, Qt::Uninitialized);
    const qsizetype written = scanBase64<true>(text.constData(), text.size(), out.data());
    if (written < 0) {
        out.clear();
        return false;
    }
    out.truncate(written);
    return true;
}

qsizetype decodedBase64Size(const QByteArray &text)
{
    return scanBase64<false>(text.constData(), text.size(), nullptr);
}

QString base64Problem(const QByteArray &text)
{
    if (decodedBase64Size(text) >= 0)
        return QString();
    bool padding = false;
    qsizetype digits = 0;
    for (const char c : text) {
        const signed char v = kDecode[static_cast<unsigned char>(c)];
        if (v == kPad) {
            padding = true;
        } else if (v >= 0) {
            if (padding)
                return QStringLiteral("'=' in mid-stream");
            ++digits;
        } else if (c == '-' || c == '_') {
            return QStringLiteral("'%1' of the URL alphabet").arg(QLatin1Char(c));
        } else if (v == kBad) {
            return QStringLiteral("the character 0x%1, which is not base64")
                .arg(uint(static_cast<unsigned char>(c)), 2, 16, QLatin1Char('0'));
        }
    }
    return digits % 4 == 1 ? QStringLiteral("a truncated last group")
                           : QStringLiteral("bad padding");
}

} // namespace stepvane
