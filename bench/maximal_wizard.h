// The maximal wizard the benchmarks work on: 100 sequences of 100 steps
// cycling through every kind, prompts carrying pictures (about 50 MB embedded
// in all), the pictures written into a folder of the caller's.
#pragma once

#include "document/WizardDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <random>

namespace stepvane::bench {

constexpr int kPictureFiles = 16;
constexpr qint64 kEmbeddedTarget = 50LL * 1024 * 1024;

inline WizardDocument makeMaximalWizard(const QString &dir, int model)
{
    const auto &kinds = storableTaskKinds();
    const int steps = kMaxSequences * kMaxSteps;
    const int prompts = (steps + int(kinds.size()) - 1) / int(kinds.size());
    const qint64 pictureSize = kEmbeddedTarget / prompts;

    std::mt19937 gen(42);
    QStringList pictures;
    for (int i = 0; i < kPictureFiles; ++i) {
        QByteArray bytes(pictureSize, Qt::Uninitialized);
        for (char &c : bytes)
            c = char(gen());
        const QString path = QStringLiteral("%1/picture%2.jpg").arg(dir).arg(i);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        pictures << path;
    }

    WizardDocument doc;
    doc.Title = QStringLiteral("Maximal wizard");
    int n = 0;
    for (int s = 0; s < kMaxSequences; ++s) {
        TestingSequence *seq = doc.appendSequence();
        seq->Title = QStringLiteral("Sequence %1").arg(s);
        for (int t = 0; t < kMaxSteps; ++t, ++n) {
            const TaskKind kind = kinds[size_t(n) % kinds.size()];
            TaskRecord record = makeDefaultRecord(kind, model, kDistanceMeter);
            if (auto *prompt = std::get_if<PromptTask>(&record)) {
                AttachedImage &slot = prompt->images[0];
                slot.TransImageName = pictures[n % kPictureFiles];
                slot.ImageName = QFileInfo(slot.TransImageName).fileName();
                slot.Image_filesize = quint32(pictureSize);
                slot.ImageWidth = 640;
                slot.ImageHeight = 480;
                slot.Comment = QStringLiteral("Check the connector");
            }
            std::visit([&](auto &r) { r.Description = QStringLiteral("Step %1").arg(t); }, record);
            seq->insertStep(-1, std::move(record));
        }
    }
    return doc;
}

} // namespace stepvane::bench
