// Base64 as the wizard file carries embedded files: 76-character lines on
// writing, any whitespace ignored on reading.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace stepvane {

class Sha256Stream;

constexpr int kBase64LineLength = 76;

QByteArray encodeBase64Lines(const QByteArray &bytes);
// False on a character outside the alphabet or a malformed end; out is then empty.
bool decodeBase64(const QByteArray &text, QByteArray &out);
// The number of bytes decodeBase64 gives for text, without decoding; -1 where
// it would fail.
qsizetype decodedBase64Size(const QByteArray &text);
// Why decodeBase64 refuses text, in words for a message ("'=' in mid-stream");
// empty when it does not.
QString base64Problem(const QByteArray &text);

// The decoders of runs of whole groups and the encoders of whole lines,
// narrowest first: the widest the processor has is used. All give the same
// results; tests compare them.
enum class Base64Kernel { Scalar, Ssse3, Avx2 };
Base64Kernel base64Kernel();
// Decodes and encodes with kernel from now on; false (and no change) where the processor
// lacks it.
bool useBase64Kernel(Base64Kernel kernel);

// Where a decoding stands between two pieces of its text.
struct Base64ScanState {
    unsigned acc = 0;
    int have = 0; // alphabet characters of the group begun
    int padding = 0;
    qsizetype written = 0;
};

// base64Problem's reading of a text that comes in pieces.
class Base64ProblemScan {
public:
    // Carries on after text that held padding (or not) and digits alphabet
    // characters, none of them a problem.
    void resume(bool padding, qsizetype digits)
    {
        m_padding = padding;
        m_digits = digits;
    }
    void feed(const char *text, qsizetype n);
    QString problem() const;

private:
    bool m_padding = false;
    qsizetype m_digits = 0;
    QString m_found;
};

// A text decoded as its pieces arrive, as a parser hands them over, so that
// the text itself is never kept. The result and the words for a failure are
// those decodeBase64 and base64Problem give for the whole text.
// What a Base64Stream keeps of the decoded bytes: the bytes, their count
// alone, or their SHA-256 (taken as they come, the bytes then dropped).
enum class Base64Keeps { Bytes, Size, Digest };

class Base64Stream {
public:
    explicit Base64Stream(Base64Keeps keeps = Base64Keeps::Bytes);
    ~Base64Stream();
    Base64Stream(Base64Stream &&) noexcept;
    Base64Stream &operator=(Base64Stream &&) noexcept;
    void feed(const char *text, qsizetype n);
    // The text has ended: true when all of it decodes. Later calls give
    // the same answer.
    bool finish();
    bool failed() const { return m_failed; }
    // Why it does not decode (after finish); empty when it does.
    QString problem() const { return m_failed ? m_problem.problem() : QString(); }
    // Whether the text held anything but whitespace.
    bool holdsNonSpace() const
    {
        return m_failed || m_state.written > 0 || m_state.have > 0 || m_state.padding > 0;
    }
    // The decoded bytes (after finish), handed over once; empty when they
    // are not kept.
    QByteArray takeBytes();
    // How many bytes the text decodes to (after finish, when it does).
    qsizetype size() const { return m_state.written; }
    // Their SHA-256 (Digest, after finish, when it decodes).
    QByteArray digest() const { return m_digest; }

private:
    void fail();
    qsizetype scanStaged(const char *text, qsizetype n);
    void hashStaged();

    Base64ScanState m_state;
    QByteArray m_bytes; // the bytes, or (Digest) those not yet hashed
    qsizetype m_staged = 0;
    std::unique_ptr<Sha256Stream> m_hash;
    QByteArray m_digest;
    Base64ProblemScan m_problem;
    Base64Keeps m_keeps = Base64Keeps::Bytes;
    bool m_failed = false;
    bool m_finished = false;
};

} // namespace stepvane
