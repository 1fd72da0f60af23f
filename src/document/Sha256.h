// SHA-256 through OpenSSL's libcrypto: attachments and whole wizard files are
// hashed for the check, the review diff and the web pages, tens of megabytes
// at a time.
#pragma once

#include <QByteArray>
#include <QString>

namespace stepvane {

// The 32-byte digest of the bytes.
QByteArray sha256(const char *data, qsizetype size);
inline QByteArray sha256(const QByteArray &bytes)
{
    return sha256(bytes.constData(), bytes.size());
}
// The digest of a regular file's content; empty when it cannot be read.
QByteArray sha256OfFile(const QString &path);

// The digest of bytes handed over in pieces.
class Sha256Stream {
public:
    Sha256Stream();
    ~Sha256Stream();
    Sha256Stream(const Sha256Stream &) = delete;
    Sha256Stream &operator=(const Sha256Stream &) = delete;
    void add(const char *data, qsizetype size);
    // The digest of all that was added; empty when libcrypto failed.
    QByteArray result();

private:
    void *m_ctx = nullptr; // libcrypto's EVP_MD_CTX
    bool m_failed = false;
};

} // namespace stepvane
