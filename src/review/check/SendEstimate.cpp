// Send-time estimates from the protocol's pacing.
#include "review/check/SendEstimate.h"

#include "comm/CDevComm.h"
#include "common/MessageSink.h"
#include "common/NumberText.h"
#include "document/Attachments.h"
#include "document/Base64.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopyDigests.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <type_traits>

namespace stepvane {

namespace {

// Points the working copies of a copied document at one empty file, so that
// writing it reads no attached file (the writer leaves an empty one out);
// what the files add is counted from their sizes instead. Returns how much
// shorter the path texts the writer stores became.
qint64 pointAtPlaceholder(WizardDocument &doc, const QString &placeholder)
{
    qint64 shorter = 0;
    auto point = [&](QString &path) {
        if (path.isEmpty())
            return;
        shorter += path.toUtf8().size() - placeholder.toUtf8().size();
        path = placeholder;
    };
    for (int s = 0; s < doc.sequenceCount(); ++s)
        for (int i = 0; i < doc.sequence(s)->stepCount(); ++i)
            std::visit(
                [&](auto &r) {
                    using R = std::decay_t<decltype(r)>;
                    if constexpr (std::is_same_v<R, PromptTask> ||
                                  std::is_same_v<R, MarkerPeakTask>) {
                        for (AttachedImage &image : r.images)
                            point(image.TransImageName);
                    } else if constexpr (std::is_same_v<R, SaveTask> ||
                                         std::is_same_v<R, ReportTask>) {
                        point(r.logo.TransImageName);
                    } else if constexpr (std::is_same_v<R, LimitTask>) {
                        point(r.TransMSLfileName);
                        for (AttachedImage &image : r.images)
                            point(image.TransImageName);
                    } else if constexpr (std::is_same_v<R, LoadTask>) {
                        point(r.SetupfileName);
                    }
                },
                doc.sequence(s)->step(i)->record);
    return shorter;
}

qint64 attachedBytes(const WizardDocument &doc)
{
    qint64 total = 0;
    for (int s = 0; s < doc.sequenceCount(); ++s)
        for (int i = 0; i < doc.sequence(s)->stepCount(); ++i)
            for (const AttachmentRef &file : stepAttachments(*doc.sequence(s)->step(i))) {
                // The writer embeds the working copy as it is now, if it is there.
                if (const qint64 size = workingCopySize(file.path); file.embedded && size >= 0)
                    total += embeddedBytes(size);
            }
    return total;
}

SendEstimate estimateFor(qint64 bytes)
{
    return SendEstimate{bytes, pacedSendMilliseconds(bytes)};
}

} // namespace

qint64 pacedSendMilliseconds(qint64 fileBytes)
{
    // A small file goes in one frame; a larger one in pieces with a pause
    // after each but the last.
    if (fileBytes < CDevComm::kSmallFile)
        return 0;
    return fileBytes / CDevComm::kTcpPiece * CDevComm::kPieceGapMs;
}

qint64 pacedBytesPerSecond()
{
    return qint64(CDevComm::kTcpPiece) * 1000 / CDevComm::kPieceGapMs;
}

qint64 embeddedBytes(qint64 fileBytes)
{
    if (fileBytes <= 0)
        return 0;
    const qint64 encoded = (fileBytes + 2) / 3 * 4;
    return encoded + (encoded - 1) / kBase64LineLength; // a line break after each full line
}

SendEstimate sendEstimateOfFile(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return SendEstimate{};
    return estimateFor(info.size());
}

SendEstimate sendEstimateOfWizard(const WizardDocument &doc, int model, bool testingUnit)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return SendEstimate{};
    const QString placeholder = dir.filePath(QStringLiteral("empty"));
    QFile empty(placeholder);
    if (!empty.open(QIODevice::WriteOnly))
        return SendEstimate{};
    empty.close();
    WizardDocument text = doc;
    const qint64 shorter = pointAtPlaceholder(text, placeholder);
    // The writer says it left the files out; that is meant here.
    CollectingMessageSink quiet;
    VX_CAAXML_PARSER writer(&text, model, &quiet);
    const QString path =
        dir.filePath(testingUnit ? QStringLiteral("estimate.tuf") : QStringLiteral("estimate.wzd"));
    const bool written = testingUnit ? writer.Save_Testing_Unit(0, path) : writer.Save_Wizard(path);
    if (!written)
        return SendEstimate{};
    return estimateFor(QFileInfo(path).size() + shorter + attachedBytes(doc));
}

QString durationText(qint64 milliseconds)
{
    const qint64 seconds = (milliseconds + 500) / 1000;
    if (seconds < 1)
        return QStringLiteral("under a second");
    if (seconds < 60)
        return QStringLiteral("about %1 s").arg(seconds);
    if (seconds % 60 == 0)
        return QStringLiteral("about %1 min").arg(seconds / 60);
    return QStringLiteral("about %1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}

QString byteSizeText(qint64 bytes)
{
    constexpr qint64 kKilo = 1024, kMega = 1024 * 1024;
    if (bytes >= kMega)
        return formatDecimal(double(bytes) / double(kMega), 1) + QStringLiteral(" MB");
    if (bytes >= kKilo)
        return QStringLiteral("%1 KB").arg((bytes + kKilo / 2) / kKilo);
    return QStringLiteral("%1 bytes").arg(bytes);
}

QString sendEstimateText(const SendEstimate &estimate)
{
    if (!estimate.known())
        return QString();
    return QStringLiteral("Sending takes %1 (%2 at about %3/s).")
        .arg(durationText(estimate.milliseconds), byteSizeText(estimate.bytes),
             byteSizeText(pacedBytesPerSecond()));
}

} // namespace stepvane
