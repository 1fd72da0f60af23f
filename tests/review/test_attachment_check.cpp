// The wizard check on attached files: present, as large as the step says,
// and pictures that decode to the stored width and height.
#include "print/PictureProbe.h"
#include "review/check/WizardCheck.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

QByteArray pictureBytes(const char *format, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

class AttachmentCheck : public ::testing::Test {
protected:
    // Writes the bytes as a working copy and returns its path (empty bytes: no file).
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        if (!bytes.isNull()) {
            EXPECT_TRUE(writeAll(path, bytes));
        }
        return path;
    }
    std::vector<Finding> check(TaskRecord record)
    {
        WizardDocument doc;
        doc.Title = QStringLiteral("Tower");
        TestingSequence *s = doc.appendSequence();
        s->Title = QStringLiteral("Sweep");
        s->insertStep(-1, std::move(record));
        CheckOptions options;
        options.model = 2;
        options.pictures = decodePicture;
        return checkWizard(doc, options);
    }
    // A prompt whose third slot carries the picture.
    std::vector<Finding> prompt(const QString &path, Size size, int width, int height)
    {
        PromptTask r;
        r.images[2] = {QString(), QStringLiteral("mast.png"), path, size, width, height};
        return check(r);
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(AttachmentCheck, PicturesMustBeThereAndDecodeToTheirStoredSize)
{
    const QByteArray png = pictureBytes("PNG", 40, 30);
    const QByteArray jpeg = pictureBytes("JPEG", 40, 30);
    ASSERT_FALSE(png.isEmpty());
    ASSERT_FALSE(jpeg.isEmpty());
    // Qt's reader still makes a picture of a JPEG cut short; the check must not.
    const QByteArray cut = jpeg.left(jpeg.size() - 20);
    ASSERT_FALSE(QImage::fromData(cut, "JPEG").isNull());
    const Size pngSize = Size(png.size());
    struct Case {
        const char *name;
        QString path;
        Size size;
        int width, height;
        QString message; // empty: no finding
    } cases[] = {
        {"png", file("a.png", png), pngSize, 40, 30, ""},
        {"jpeg", file("b.jpg", jpeg), Size(jpeg.size()), 40, 30, ""},
        {"missing", file("gone.png", QByteArray()), pngSize, 40, 30,
         "The picture \"mast.png\" (3. Image file) is missing; the wizard would carry no data for "
         "it."},
        {"empty", file("empty.png", QByteArray("")), pngSize, 40, 30,
         "The picture \"mast.png\" (3. Image file) is empty."},
        {"size", file("c.png", png), pngSize + 1, 40, 30,
         QStringLiteral(
             "The picture \"mast.png\" (3. Image file) has %1 bytes, but the step says %2.")
             .arg(pngSize)
             .arg(pngSize + 1)},
        {"not a picture", file("text.png", "not a picture at all"), 20, 40, 30,
         "The picture \"mast.png\" (3. Image file) cannot be read as a JPEG or PNG picture."},
        {"cut short", file("cut.jpg", cut), Size(cut.size()), 40, 30,
         "The picture \"mast.png\" (3. Image file) cannot be read as a JPEG or PNG picture."},
        {"width and height", file("d.png", png), pngSize, 8, 8,
         "The picture \"mast.png\" (3. Image file) is 40 x 30 pixels, but the step stores 8 x 8."},
        {"named only", QString(), 0, 0, 0,
         "The picture \"mast.png\" (3. Image file) is named but carries no picture; the operator "
         "sees none."},
    };
    for (const Case &c : cases) {
        const auto findings = prompt(c.path, c.size, c.width, c.height);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(findings.empty())
                << c.name << ": " << findings.front().message.toStdString();
            continue;
        }
        ASSERT_EQ(findings.size(), 1u) << c.name;
        EXPECT_EQ(findings[0].message, c.message) << c.name;
        EXPECT_EQ(findings[0].field, "ImageNum_2") << c.name;
        EXPECT_EQ(findings[0].severity, c.size == 0 ? Severity::Warning : Severity::Error)
            << c.name;
    }
}

TEST_F(AttachmentCheck, MasksSetupsAndLogosAreCheckedWhereTheWriterEmbedsThem)
{
    const QString mask = file("limits.fml", QByteArray(100, 'm'));
    LimitTask limit;
    limit.SelectMode = 0;
    limit.MSLfileName = QStringLiteral("limits.fml");
    limit.TransMSLfileName = mask;
    limit.MSLfileSize = 120;
    auto findings = check(limit);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].message,
              "The mask file \"limits.fml\" has 100 bytes, but the step says 120.");
    // In limit-line mode the mask is not written, so it cannot be wrong.
    limit.SelectMode = 1;
    EXPECT_TRUE(check(limit).empty());

    LoadTask load;
    load.Mode = 2;
    load.SetupfileName = dir.filePath(QStringLiteral("site.sta"));
    load.SetupfileSize = 64;
    findings = check(load);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].field, "Setup");
    load.Mode = 1; // factory preset carries no file
    EXPECT_TRUE(check(load).empty());

    const QByteArray png = pictureBytes("PNG", 5, 5);
    SaveTask save;
    save.logo = {QString(), QStringLiteral("logo.png"), file("logo.png", png), Size(png.size()), 5,
                 6};
    findings = check(save);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].message,
              "The logo \"logo.png\" is 5 x 5 pixels, but the step stores 5 x 6.");
}
