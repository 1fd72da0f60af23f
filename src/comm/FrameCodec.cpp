// Frame encoding and the incremental decoder. Payloads are scanned sixteen
// bytes at a time and summed in the same pass: a block without a byte to
// escape (the common case: wizard files are XML and base64) is copied whole,
// so framing costs little more than a copy.
#include "comm/FrameCodec.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace stepvane::frame {

namespace {

// Sixteen bytes at a time with the compiler's vector extension (SSE2 on x86-64,
// NEON on ARM). Byte lanes add with wrap-around, which is exactly the sum
// modulo 256 the checksum wants.
typedef uint8_t V16 __attribute__((vector_size(16)));

inline V16 load16(const uint8_t *p)
{
    V16 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store16(uint8_t *p, V16 v)
{
    std::memcpy(p, &v, sizeof v);
}

// 0xFF in each lane holding 0x7D, 0x7E or 0x7F.
inline V16 specialLanes(V16 v)
{
    return reinterpret_cast<V16>(v >= uint8_t(kEscape)) &
           reinterpret_cast<V16>(v <= uint8_t(kStart));
}

// One bit per 0xFF lane, lane 0 in bit 0.
inline unsigned laneBits(V16 m)
{
#ifdef __SSE2__
    __m128i x;
    std::memcpy(&x, &m, sizeof x);
    return unsigned(_mm_movemask_epi8(x));
#else
    unsigned bits = 0;
    for (int i = 0; i < 16; ++i)
        bits |= unsigned(m[i] >> 7) << i;
    return bits;
#endif
}

// Index of the first 0xFF lane, 16 when there is none.
inline size_t firstLane(V16 m)
{
    const unsigned bits = laneBits(m);
    return bits ? size_t(__builtin_ctz(bits)) : 16;
}

inline uint8_t laneSum(V16 v)
{
    uint8_t sum = 0;
    for (int i = 0; i < 16; ++i)
        sum = uint8_t(sum + v[i]);
    return sum;
}

// Lanes below k set, for k = 0..16.
struct PrefixMasks {
    V16 mask[17];
    PrefixMasks() : mask()
    {
        for (int k = 0; k <= 16; ++k)
            for (int i = 0; i < 16; ++i)
                mask[k][i] = i < k ? 0xFF : 0;
    }
};
const PrefixMasks kPrefix;

// Copies size bytes, escaping where needed, adds them to sum and returns the
// bytes written. The caller guarantees room for 2 * size bytes. A block is
// stored whole even when only its first k bytes are plain: at least sixteen
// more output bytes follow from there, so the store never passes the end.
size_t stuff(const uint8_t *in, size_t size, uint8_t *out, uint8_t &sum)
{
    uint8_t *o = out;
    size_t i = 0;
    V16 acc = {};
    uint8_t s = 0;
    while (i + 16 <= size) {
        const V16 v = load16(in + i);
        const size_t k = firstLane(specialLanes(v));
        store16(o, v);
        acc += v & kPrefix.mask[k];
        o += k;
        i += k;
        if (k < 16) {
            const uint8_t b = in[i++];
            s = uint8_t(s + b);
            *o++ = kEscape;
            *o++ = uint8_t(b ^ kEscapeXor);
        }
    }
    for (; i < size; ++i) {
        const uint8_t b = in[i];
        s = uint8_t(s + b);
        if (needsEscape(b)) {
            *o++ = kEscape;
            *o++ = uint8_t(b ^ kEscapeXor);
        } else {
            *o++ = b;
        }
    }
    sum = uint8_t(sum + s + laneSum(acc));
    return size_t(o - out);
}

void putU32(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

uint32_t getU32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

size_t exactSize(const uint8_t *header, size_t headerSize, const uint8_t *payload, size_t size)
{
    const uint8_t sum = uint8_t(checksum(header, headerSize) + checksum(payload, size));
    return 2 + headerSize + size + 1 + countEscapes(header, headerSize) +
           countEscapes(payload, size) + (needsEscape(sum) ? 1 : 0);
}

size_t encodeFrame(const uint8_t *header, size_t headerSize, const uint8_t *payload, size_t size,
                   uint8_t *out, size_t capacity)
{
    // Only a tight buffer (a USB block) pays for the exact count.
    if (capacity < maxEncodedSize(headerSize + size + 1) &&
        capacity < exactSize(header, headerSize, payload, size))
        return 0;
    uint8_t sum = 0;
    size_t n = 0;
    out[n++] = kStart;
    n += stuff(header, headerSize, out + n, sum);
    if (size > 0)
        n += stuff(payload, size, out + n, sum);
    uint8_t ignored = 0;
    n += stuff(&sum, 1, out + n, ignored);
    out[n++] = kEnd;
    return n;
}

} // namespace

uint8_t checksum(const uint8_t *data, size_t size)
{
    V16 a = {}, b = {};
    size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        a += load16(data + i);
        b += load16(data + i + 16);
    }
    for (; i + 16 <= size; i += 16)
        a += load16(data + i);
    uint8_t sum = laneSum(a + b);
    for (; i < size; ++i)
        sum = uint8_t(sum + data[i]);
    return sum;
}

size_t countEscapes(const uint8_t *data, size_t size)
{
    size_t count = 0;
    size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        count += size_t(__builtin_popcount(laneBits(specialLanes(load16(data + i)))));
    }
    for (; i < size; ++i)
        count += needsEscape(data[i]) ? 1 : 0;
    return count;
}

size_t encodedSizeA(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3, const uint8_t *payload,
                    size_t size)
{
    const uint8_t header[kHeaderA] = {command, p1, p2, p3};
    return exactSize(header, kHeaderA, payload, size);
}

size_t encodedSizeM(uint8_t p1, uint32_t total, uint32_t index, const uint8_t *payload, size_t size)
{
    uint8_t header[kHeaderM] = {kCommandM, p1};
    putU32(header + 2, total);
    putU32(header + 6, index);
    return exactSize(header, kHeaderM, payload, size);
}

size_t encodeA(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3, const uint8_t *payload,
               size_t size, uint8_t *out, size_t capacity)
{
    const uint8_t header[kHeaderA] = {command, p1, p2, p3};
    return encodeFrame(header, kHeaderA, payload, size, out, capacity);
}

size_t encodeM(uint8_t p1, uint32_t total, uint32_t index, const uint8_t *payload, size_t size,
               uint8_t *out, size_t capacity)
{
    uint8_t header[kHeaderM] = {kCommandM, p1};
    putU32(header + 2, total);
    putU32(header + 6, index);
    return encodeFrame(header, kHeaderM, payload, size, out, capacity);
}

QByteArray frameA(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3, const QByteArray &payload)
{
    QByteArray out(qsizetype(maxEncodedSize(kHeaderA + size_t(payload.size()) + 1)), '\0');
    const size_t n = encodeA(
        command, p1, p2, p3, reinterpret_cast<const uint8_t *>(payload.constData()),
        size_t(payload.size()), reinterpret_cast<uint8_t *>(out.data()), size_t(out.size()));
    out.resize(qsizetype(n));
    return out;
}

QByteArray frameM(uint8_t p1, uint32_t total, uint32_t index, const QByteArray &payload)
{
    QByteArray out(qsizetype(maxEncodedSize(kHeaderM + size_t(payload.size()) + 1)), '\0');
    const size_t n = encodeM(
        p1, total, index, reinterpret_cast<const uint8_t *>(payload.constData()),
        size_t(payload.size()), reinterpret_cast<uint8_t *>(out.data()), size_t(out.size()));
    out.resize(qsizetype(n));
    return out;
}

QByteArray frameFromBody(const QByteArray &body)
{
    QByteArray out(qsizetype(maxEncodedSize(size_t(body.size()))), '\0');
    auto *o = reinterpret_cast<uint8_t *>(out.data());
    size_t n = 0;
    o[n++] = kStart;
    uint8_t ignored = 0;
    n += stuff(reinterpret_cast<const uint8_t *>(body.constData()), size_t(body.size()), o + n,
               ignored);
    o[n++] = kEnd;
    out.resize(qsizetype(n));
    return out;
}

// ---------------------------------------------------------------------------

FrameDecoder::FrameDecoder(Layout layout) : m_layout(layout)
{
    m_body.assign(kMaxBody + 16, 0);
}

void FrameDecoder::reset()
{
    m_inFrame = false;
    m_escape = false;
    m_prefixEscaped = false;
    m_size = 0;
}

void FrameDecoder::startFrame()
{
    m_inFrame = true;
    m_escape = false;
    m_prefixEscaped = false;
    m_size = 0;
    m_sum = 0;
}

DecodeResult FrameDecoder::fail(size_t consumed, const char *error, int code)
{
    reset();
    DecodeResult r;
    r.status = DecodeStatus::Invalid;
    r.consumed = consumed;
    r.error = error;
    r.code = code;
    return r;
}

DecodeResult FrameDecoder::feed(const uint8_t *data, size_t size)
{
    size_t i = 0;
    while (i < size) {
        if (!m_inFrame) {
            if (data[i] == kStart) {
                startFrame();
                ++i;
                continue;
            }
            // One error for the whole run of stray bytes.
            size_t j = i;
            while (j < size && data[j] != kStart)
                ++j;
            return fail(j, kErrorPacket);
        }
        if (m_escape) {
            const uint8_t b = data[i];
            if (b == kStart) { // flags are never escaped: start over
                startFrame();
                ++i;
                continue;
            }
            if (b == kEnd)
                return fail(i + 1, kErrorPacket);
            m_escape = false;
            if (m_size < 3)
                m_prefixEscaped = true;
            if (m_size >= kMaxBody)
                return fail(i + 1, kErrorTooLong);
            const uint8_t plain = uint8_t(b ^ kEscapeXor);
            m_body[m_size++] = plain;
            m_sum = uint8_t(m_sum + plain);
            ++i;
            continue;
        }
        // Copy plain bytes sixteen at a time up to the next special one,
        // summing them on the way. The body buffer has sixteen bytes of room
        // beyond kMaxBody, so a block may be stored whole before the count
        // knows how much of it belongs to the body.
        V16 acc = {};
        size_t special = size;
        while (i + 16 <= size) {
            if (m_size > kMaxBody) {
                special = i;
                break;
            }
            const V16 v = load16(data + i);
            const size_t k = firstLane(specialLanes(v));
            store16(m_body.data() + m_size, v);
            acc += v & kPrefix.mask[k];
            m_size += k;
            i += k;
            if (k == 16)
                continue;
            // An escape whose second byte is here is undone on the spot.
            if (data[i] == kEscape && i + 1 < size && data[i + 1] != kEnd &&
                data[i + 1] != kStart && m_size > 2) {
                const uint8_t plain = uint8_t(data[i + 1] ^ kEscapeXor);
                m_body[m_size++] = plain;
                m_sum = uint8_t(m_sum + plain);
                i += 2;
                continue;
            }
            special = i;
            break;
        }
        if (special == size) {
            while (i < size && !needsEscape(data[i])) {
                if (m_size <= kMaxBody)
                    m_body[m_size] = data[i];
                ++m_size;
                m_sum = uint8_t(m_sum + data[i]);
                ++i;
            }
            special = i;
        }
        m_sum = uint8_t(m_sum + laneSum(acc));
        if (m_size > kMaxBody)
            return fail(special, kErrorTooLong);
        if (special >= size)
            break;
        const uint8_t b = data[special];
        i = special + 1;
        if (b == kStart)
            startFrame();
        else if (b == kEnd)
            return finish(i);
        else
            m_escape = true;
    }
    DecodeResult r;
    r.consumed = size;
    return r;
}

DecodeResult FrameDecoder::finish(size_t consumed)
{
    m_inFrame = false;
    const uint8_t *b = m_body.data();
    const size_t n = m_size;
    if (m_fiberCheck && !m_prefixEscaped && n >= 3 && b[0] == kCommandM && b[1] == kFiberReply &&
        b[2] == 0x01)
        return fail(consumed, kErrorFiber, -3);

    const Layout layout = m_layout == Layout::ByCommand
                              ? (n > 0 && b[0] == kCommandM ? Layout::M : Layout::A)
                              : m_layout;
    const size_t header = layout == Layout::M ? kHeaderM : kHeaderA;
    if (n < header + 1)
        return fail(consumed, kErrorPacket);
    // m_sum holds all body bytes; the last one is the checksum of the others.
    if (uint8_t(m_sum - b[n - 1]) != b[n - 1])
        return fail(consumed, kErrorChecksum);
    const size_t payloadSize = n - header - 1;
    if (payloadSize > kMaxPayload)
        return fail(consumed, kErrorTooLong);

    m_frame = Frame();
    m_frame.layout = layout;
    m_frame.command = b[0];
    m_frame.p1 = b[1];
    if (layout == Layout::M) {
        m_frame.total = getU32(b + 2);
        m_frame.index = getU32(b + 6);
    } else {
        m_frame.total = b[2];
        m_frame.index = b[3];
    }
    m_frame.payload = b + header;
    m_frame.payloadSize = payloadSize;

    DecodeResult r;
    r.status = DecodeStatus::Frame;
    r.consumed = consumed;
    return r;
}

} // namespace stepvane::frame
