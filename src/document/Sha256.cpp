// SHA-256 on libcrypto; files are read in blocks so a large one is never held whole.
#include "document/Sha256.h"

#include <QFile>
#include <QFileInfo>

#include <openssl/evp.h>

#include <sys/mman.h>

#include <algorithm>

#include <memory>

namespace stepvane {

namespace {

using Context = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

Context newContext()
{
    Context ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (ctx && EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1)
        ctx.reset();
    return ctx;
}

QByteArray finish(EVP_MD_CTX *ctx)
{
    QByteArray digest(EVP_MAX_MD_SIZE, Qt::Uninitialized);
    unsigned size = 0;
    if (EVP_DigestFinal_ex(ctx, reinterpret_cast<unsigned char *>(digest.data()), &size) != 1)
        return QByteArray();
    digest.truncate(qsizetype(size));
    return digest;
}

} // namespace

QByteArray sha256(const char *data, qsizetype size)
{
    const Context ctx = newContext();
    if (!ctx || EVP_DigestUpdate(ctx.get(), data, size_t(size)) != 1)
        return QByteArray();
    return finish(ctx.get());
}

QByteArray sha256OfFile(const QString &path)
{
    // Only regular files: a fifo would block, a folder has no content.
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return QByteArray();
    const Context ctx = newContext();
    if (!ctx)
        return QByteArray();
    // A large file is hashed from a mapping, with no copy into a buffer;
    // each part read leaves memory again, so that a file as large as the
    // process's memory still fits.
    constexpr qint64 kPart = 4 << 20;
    if (const qint64 size = file.size(); size >= kPart) {
        if (uchar *mapped = file.map(0, size)) {
            bool ok = true;
            for (qint64 at = 0; ok && at < size; at += kPart) {
                const size_t n = size_t(std::min(kPart, size - at));
                ok = EVP_DigestUpdate(ctx.get(), mapped + at, n) == 1;
                madvise(mapped + at, n, MADV_DONTNEED);
            }
            file.unmap(mapped);
            return ok ? finish(ctx.get()) : QByteArray();
        }
    }
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(block.data(), block.size());
        if (got < 0)
            return QByteArray();
        if (got == 0)
            break;
        if (EVP_DigestUpdate(ctx.get(), block.constData(), size_t(got)) != 1)
            return QByteArray();
    }
    return finish(ctx.get());
}

Sha256Stream::Sha256Stream() : m_ctx(newContext().release()), m_failed(m_ctx == nullptr) {}

Sha256Stream::~Sha256Stream()
{
    EVP_MD_CTX_free(static_cast<EVP_MD_CTX *>(m_ctx));
}

void Sha256Stream::add(const char *data, qsizetype size)
{
    if (!m_failed && size > 0 &&
        EVP_DigestUpdate(static_cast<EVP_MD_CTX *>(m_ctx), data, size_t(size)) != 1)
        m_failed = true;
}

QByteArray Sha256Stream::result()
{
    return m_failed ? QByteArray() : finish(static_cast<EVP_MD_CTX *>(m_ctx));
}

} // namespace stepvane
