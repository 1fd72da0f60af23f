// The vector decoders against the scalar one: every text, whole or in pieces
// of any size, decodes to the same bytes, size, verdict and words whichever
// kernel runs. The texts put a bad character, padding and whitespace at every
// place of a vector and line breaks where they split groups. Every encoder
// writes the lines Qt's own encoding gives, for inputs of every length.
#include "document/Base64.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace stepvane;

namespace {

// All one text gives, through every entry and in pieces of 1 to largestPiece
// characters, each stream's bytes, count and digest or its words.
QByteArrayList decodedEveryWay(const QByteArray &text, int largestPiece)
{
    QByteArray bytes;
    const bool ok = decodeBase64(text, bytes);
    QByteArrayList all{ok ? bytes : "refused", QByteArray::number(decodedBase64Size(text)),
                       base64Problem(text).toUtf8()};
    for (int piece = 1; piece <= largestPiece; ++piece) {
        for (Base64Keeps keeps : {Base64Keeps::Bytes, Base64Keeps::Size, Base64Keeps::Digest}) {
            Base64Stream stream(keeps);
            for (qsizetype at = 0; at < text.size(); at += piece)
                stream.feed(text.constData() + at, std::min<qsizetype>(piece, text.size() - at));
            all << (stream.finish()
                        ? stream.takeBytes() + stream.digest() + QByteArray::number(stream.size())
                        : stream.problem().toUtf8());
        }
    }
    return all;
}

class Base64Kernels : public ::testing::Test {
protected:
    void TearDown() override { useBase64Kernel(m_widest); }

    // Every text decodes with each vector kernel the processor has as it does
    // with the scalar code.
    void expectSameAsScalar(const QByteArrayList &texts, int largestPiece)
    {
        ASSERT_TRUE(useBase64Kernel(Base64Kernel::Scalar));
        std::vector<QByteArrayList> scalar;
        for (const QByteArray &text : texts)
            scalar.push_back(decodedEveryWay(text, largestPiece));
        for (Base64Kernel kernel : {Base64Kernel::Ssse3, Base64Kernel::Avx2}) {
            if (!useBase64Kernel(kernel))
                continue;
            for (qsizetype t = 0; t < texts.size(); ++t) {
                const QByteArrayList got = decodedEveryWay(texts[t], largestPiece);
                const QByteArrayList &want = scalar[size_t(t)];
                ASSERT_EQ(got.size(), want.size());
                // Ways: the whole, its size, its words, then three streams per piece size.
                const auto way = std::mismatch(got.begin(), got.end(), want.begin()).first;
                ASSERT_TRUE(way == got.end())
                    << "kernel " << int(kernel) << ", way " << (way - got.begin()) << ", text of "
                    << texts[t].size() << ": " << texts[t].left(160).constData();
            }
        }
    }

    std::mt19937 m_gen{3};

    QByteArray randomText(qsizetype size)
    {
        static const char alphabet[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        QByteArray text(size, Qt::Uninitialized);
        for (char &c : text)
            c = alphabet[m_gen() % 64];
        return text;
    }

private:
    Base64Kernel m_widest = base64Kernel();
};

} // namespace

TEST_F(Base64Kernels, TextsAroundTheVectorWidths)
{
    QByteArrayList texts;
    for (int size = 0; size <= 200; ++size) {
        texts << randomText(size);
        QByteArray lines = encodeBase64Lines(randomText(size * 3 / 4));
        if (size % 3 == 1)
            lines.replace('\n', "\r\n");
        texts << lines;
        // Line breaks where they split a group, a vector or a whitespace run.
        QByteArray broken = randomText(size);
        for (int k = int(m_gen() % 4); k > 0; --k)
            broken.insert(qsizetype(m_gen() % (broken.size() + 1)), k == 2 ? "\n \t" : "\n");
        texts << broken;
    }
    expectSameAsScalar(texts, 12);
}

TEST_F(Base64Kernels, EachCharacterAtEveryPlaceOfAVector)
{
    const QByteArray clean = randomText(100);
    QByteArrayList texts;
    for (char c : QByteArray("=\n $-_\x80\xff\x7f\x01", 10)) {
        for (qsizetype at = 0; at < clean.size(); ++at) {
            QByteArray text = clean;
            text[at] = c;
            texts << text;
        }
    }
    texts << QByteArray(clean).insert(64, QByteArray(1, '\0')) << clean + "==" << clean + "A=";
    expectSameAsScalar(texts, 40);
}

TEST_F(Base64Kernels, LargeTextsOfLines)
{
    QByteArray lines = encodeBase64Lines(randomText(200000));
    QByteArray tail = lines;
    tail[tail.size() - 3] = '=';
    expectSameAsScalar({lines, QByteArray(lines).replace('\n', "\r\n"), tail, lines.left(99999)},
                       3);
}

namespace {

QByteArray qtLines(const QByteArray &bytes)
{
    const QByteArray plain = bytes.toBase64();
    QByteArray lines;
    for (qsizetype at = 0; at < plain.size(); at += kBase64LineLength)
        lines += (at > 0 ? "\n" : "") + plain.mid(at, kBase64LineLength);
    return lines;
}

} // namespace

TEST_F(Base64Kernels, EncodersWriteQtsTextInLines)
{
    std::vector<qsizetype> sizes;
    for (qsizetype size = 0; size <= 400; ++size)
        sizes.push_back(size);
    for (qsizetype lines : {100, 16384})
        sizes.insert(sizes.end(), {57 * lines - 1, 57 * lines, 57 * lines + 13});
    for (Base64Kernel kernel : {Base64Kernel::Scalar, Base64Kernel::Ssse3, Base64Kernel::Avx2}) {
        if (!useBase64Kernel(kernel))
            continue;
        for (qsizetype size : sizes) {
            // Bytes of just their size, so that a read past them is caught.
            std::vector<char> owned(static_cast<size_t>(size));
            for (char &b : owned)
                b = char(m_gen());
            const QByteArray bytes = QByteArray::fromRawData(owned.data(), size);
            const QByteArray text = encodeBase64Lines(bytes);
            ASSERT_EQ(text, qtLines(bytes)) << "kernel " << int(kernel) << ", " << size << " bytes";
            ASSERT_EQ(text.constData()[text.size()], '\0') << "written past the end";
            QByteArray back;
            ASSERT_TRUE(decodeBase64(text, back));
            ASSERT_EQ(back, bytes);
        }
    }
}
