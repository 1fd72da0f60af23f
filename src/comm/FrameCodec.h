// The instrument protocol's frames: 0x7F, a byte-stuffed body, 0x7E. A body
// is an A frame (command, P1, P2, P3, payload, checksum) or an M frame (0x4D,
// P1, total u32 LE, index u32 LE, payload, checksum); the checksum is the sum
// of the body bytes before it, modulo 256. Encoding is a set of pure
// functions; decoding is incremental (a frame, invalid input, or need more).
#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace stepvane::frame {

constexpr uint8_t kStart = 0x7F;
constexpr uint8_t kEnd = 0x7E;
constexpr uint8_t kEscape = 0x7D;
constexpr uint8_t kEscapeXor = 0x20;

constexpr uint8_t kCommandA = 0x41;
constexpr uint8_t kCommandM = 0x4D;

// Request codes (P1).
constexpr uint8_t kSetupFetch = 0x17;
constexpr uint8_t kFileContent = 0x18;
constexpr uint8_t kFileName = 0x19;
constexpr uint8_t kFiberReply = 0x20;
constexpr uint8_t kHandshake = 0x50;
// The handshake reply payload of an endpoint that already serves as many
// connections as it can (the simulator): the sender is told, not left waiting.
inline constexpr const char *kBusyReply = "BUSY";

constexpr size_t kHeaderA = 4;
constexpr size_t kHeaderM = 10;
// The reply areas hold this many payload bytes; longer frames are refused.
constexpr size_t kMaxPayload = 4099;
constexpr size_t kMaxBody = kHeaderM + kMaxPayload + 1;

// Error texts a decoder reports (identifiers of the language table or literals).
inline constexpr const char *kErrorPacket = "STR_ERROR_PACKET";
inline constexpr const char *kErrorChecksum = "STR_ERROR_CHECKSUM";
inline constexpr const char *kErrorFiber = "IDS_FIBER_INSPECTION_MODE";
inline constexpr const char *kErrorTooLong = "Reply frame too long (more than 4099 bytes)";

// True when the byte must be escaped (0x7D, 0x7E, 0x7F).
constexpr bool needsEscape(uint8_t b)
{
    return b >= kEscape && b <= kStart;
}

// Sum of the bytes modulo 256.
uint8_t checksum(const uint8_t *data, size_t size);
// Number of bytes in the range that need escaping.
size_t countEscapes(const uint8_t *data, size_t size);

// Exact size of the encoded frame (flags included).
size_t encodedSizeA(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3, const uint8_t *payload,
                    size_t size);
size_t encodedSizeM(uint8_t p1, uint32_t total, uint32_t index, const uint8_t *payload,
                    size_t size);
// Upper bound of the encoded size for any payload of that size.
constexpr size_t maxEncodedSize(size_t bodySize)
{
    return 2 * bodySize + 2;
}

// Write the whole frame into out and return its size, or 0 when it does not
// fit into capacity (nothing useful is left in out then).
size_t encodeA(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3, const uint8_t *payload,
               size_t size, uint8_t *out, size_t capacity);
size_t encodeM(uint8_t p1, uint32_t total, uint32_t index, const uint8_t *payload, size_t size,
               uint8_t *out, size_t capacity);

// Flags around the stuffed body, taken as it is (its last byte is the
// checksum the caller chose): for replies that must be wrong on purpose.
QByteArray frameFromBody(const QByteArray &body);

// Conveniences for tests and the simulator.
QByteArray frameA(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3,
                  const QByteArray &payload = {});
QByteArray frameM(uint8_t p1, uint32_t total, uint32_t index, const QByteArray &payload = {});

// How a decoder reads a body: as an A frame, as an M frame, or by its first
// byte (0x4D: M, anything else: A).
enum class Layout { A, M, ByCommand };

struct Frame {
    Layout layout = Layout::A; // A or M, never ByCommand
    uint8_t command = 0;
    uint8_t p1 = 0;
    uint32_t total = 0;               // P2 of an A frame
    uint32_t index = 0;               // P3 of an A frame
    const uint8_t *payload = nullptr; // valid until the decoder is fed again
    size_t payloadSize = 0;

    QByteArray payloadBytes() const
    {
        return QByteArray(reinterpret_cast<const char *>(payload), qsizetype(payloadSize));
    }
};

enum class DecodeStatus { Frame, Invalid, NeedMore };

struct DecodeResult {
    DecodeStatus status = DecodeStatus::NeedMore;
    size_t consumed = 0;         // input bytes used, up to the end of the frame or error
    const char *error = nullptr; // for Invalid
    int code = 0;                // for Invalid: -1, or -3 for the fiber-inspection reply
};

// Incremental decoder. feed() consumes input up to and including the end flag
// of one frame (Frame), or up to the fault (Invalid), or all of it (NeedMore:
// a partial frame is kept for the next call). A 0x7F inside a frame starts
// the frame over; bytes outside a frame are invalid (one error for a run of
// them, skipping up to the next 0x7F); a frame body longer than kMaxBody is
// refused as soon as it grows past it, so the buffer never exceeds that size.
class FrameDecoder {
public:
    explicit FrameDecoder(Layout layout = Layout::ByCommand);

    void setLayout(Layout layout) { m_layout = layout; }
    // When on, a frame that begins with 7F 4D 20 01 is reported as Invalid
    // with code -3 and kErrorFiber before its checksum is looked at.
    void setFiberCheck(bool on) { m_fiberCheck = on; }
    void reset();
    bool inFrame() const { return m_inFrame; }

    DecodeResult feed(const uint8_t *data, size_t size);
    // The frame of the last Frame result.
    const Frame &frame() const { return m_frame; }

private:
    DecodeResult finish(size_t consumed);
    DecodeResult fail(size_t consumed, const char *error, int code = -1);
    void startFrame();

    Layout m_layout;
    bool m_fiberCheck = false;
    bool m_inFrame = false;
    bool m_escape = false;
    bool m_prefixEscaped = false; // an escape among the first three body bytes
    std::vector<uint8_t> m_body;  // kMaxBody bytes, allocated once
    size_t m_size = 0;            // bytes of the current body
    uint8_t m_sum = 0;            // their sum modulo 256
    Frame m_frame;
};

} // namespace stepvane::frame
