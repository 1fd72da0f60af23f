// The wizard read from its JSON form (build), through the same field lists
// dump writes with.
#include "cli/WizardJson.h"
#include "cli/WizardJsonFields.h"

#include "cli/JsonText.h"

#include "common/AttachmentFile.h"
#include "common/XmlText.h"
#include "document/NameTables.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>

#include <cmath>
#include <cstring>
#include <numeric>

namespace stepvane::cli {

namespace {

using namespace wizard_json;

// Why a text cannot go into a wizard file, named by its path in the JSON
// ("sequences[0].steps[2].record.Description"); empty when it can.
QString unwritableText(const QString &path, const QString &text)
{
    const qsizetype bad = firstXmlUnsafeIndex(text);
    if (bad < 0)
        return QString();
    return QStringLiteral("%1: the character %2 cannot be kept in a wizard file")
        .arg(path, describeXmlUnsafeAt(text, bad));
}

struct Reader {
    const QJsonObject &in;
    const QString &baseDir;
    QString &error;
    QString where; // the JSON path of in, ending in "."
    QStringList &unreadable;

    // The value at key when it is there with the type, else an undefined
    // one (a wrong type is an error). One look-up by the key as it is: a
    // large wizard's JSON has hundreds of thousands of fields.
    QJsonValue want(const char *key, QJsonValue::Type type) const
    {
        const QJsonValue value = in.value(QLatin1StringView(key));
        if (value.isUndefined() || value.type() == type)
            return value;
        error = QStringLiteral("\"%1\" has the wrong type").arg(key);
        return QJsonValue(QJsonValue::Undefined);
    }
    void operator()(const char *key, QString &v)
    {
        const QJsonValue value = want(key, QJsonValue::String);
        if (value.isUndefined())
            return;
        v = value.toString();
        if (error.isEmpty())
            error = unwritableText(where + QLatin1String(key), v);
    }
    void operator()(const char *key, int &v)
    {
        if (const QJsonValue value = want(key, QJsonValue::Double); !value.isUndefined())
            v = value.toInt();
    }
    // Only sizes are unsigned: a file of at most 1 GiB, never wrapped.
    void operator()(const char *key, quint32 &v)
    {
        const QJsonValue value = want(key, QJsonValue::Double);
        if (value.isUndefined())
            return;
        const double size = value.toDouble();
        if (size < 0 || size > double(kMaxAttachmentBytes) || size != std::floor(size)) {
            error = QStringLiteral("\"%1\" must be a whole number of bytes from 0 to %2")
                        .arg(key)
                        .arg(kMaxAttachmentBytes);
            return;
        }
        v = quint32(size);
    }
    void operator()(const char *key, double &v)
    {
        if (const QJsonValue value = want(key, QJsonValue::Double); !value.isUndefined())
            v = value.toDouble();
    }
    void operator()(const char *key, Logo logo)
    {
        if (const QJsonValue value = want(key, QJsonValue::Object); !value.isUndefined())
            readImage(value.toObject(), logo.image, false, where + QLatin1String(key) + u'.');
    }
    void operator()(const char *key, Images &list)
    {
        const QJsonValue value = want(key, QJsonValue::Array);
        if (value.isUndefined())
            return;
        const QJsonArray a = value.toArray();
        const bool fixedSlots = list.size() == size_t(kPromptImageSlots);
        if (fixedSlots && a.size() > kPromptImageSlots) {
            error = QStringLiteral("a prompt has at most %1 pictures").arg(kPromptImageSlots);
            return;
        }
        if (!fixedSlots)
            list.assign(size_t(a.size()), AttachedImage{});
        for (qsizetype i = 0; i < a.size(); ++i)
            readImage(a.at(i).toObject(), list[size_t(i)], true,
                      QStringLiteral("%1%2[%3].").arg(where, QLatin1String(key)).arg(i));
    }
    void operator()(const char *key, Markers &list)
    {
        const QJsonValue value = want(key, QJsonValue::Array);
        if (value.isUndefined())
            return;
        const QJsonArray a = value.toArray();
        if (a.size() > kMarkerCount) {
            error = QStringLiteral("a marker step has %1 markers").arg(kMarkerCount);
            return;
        }
        for (qsizetype i = 0; i < a.size(); ++i) {
            const QJsonObject o = a.at(i).toObject();
            markerFields(list[size_t(i)], Reader{o, baseDir, error, where, unreadable});
        }
    }
    void readImage(const QJsonObject &o, AttachedImage &image, bool withComment,
                   const QString &path)
    {
        imageFields(image, withComment, Reader{o, baseDir, error, path, unreadable});
        if (image.TransImageName.isEmpty())
            return;
        image.TransImageName = resolve(image.TransImageName);
        qint64 size = 0;
        if (!readable(image.TransImageName, path + QStringLiteral("TransImageName"), size,
                      image.ImageName))
            return;
        if (!o.contains("Image_filesize"))
            image.Image_filesize = quint32(size);
        if (!o.contains("ImageWidth") || !o.contains("ImageHeight")) {
            const QSize size = QImageReader(image.TransImageName).size();
            if (!o.contains("ImageWidth") && size.isValid())
                image.ImageWidth = size.width();
            if (!o.contains("ImageHeight") && size.isValid())
                image.ImageHeight = size.height();
        }
    }
    // Whether the attached file at path can be read (its size then in size);
    // when not, it is listed with its field.
    bool readable(const QString &path, const QString &field, qint64 &size,
                  const QString &name = QString()) const
    {
        const QString problem = attachmentProblem(path, &size);
        const QString what = name.isEmpty() ? path : QStringLiteral("%1 (%2)").arg(name, path);
        if (!problem.isEmpty())
            unreadable << QStringLiteral("%1 in %2: %3").arg(what, field, problem);
        return problem.isEmpty();
    }
    QString resolve(const QString &path) const
    {
        return QDir::isAbsolutePath(path) ? path : QDir(baseDir).absoluteFilePath(path);
    }
};

// Attachments other than pictures: a relative path and a missing size.
void completeFile(const QJsonObject &in, const Reader &reader, const char *pathKey,
                  const char *sizeKey, QString &path, quint32 &size, const QString &name = {})
{
    if (path.isEmpty())
        return;
    path = reader.resolve(path);
    qint64 fileSize = 0;
    if (reader.readable(path, reader.where + QLatin1String(pathKey), fileSize, name) &&
        !in.contains(sizeKey))
        size = quint32(fileSize);
}

} // namespace

JsonBuildResult wizardFromJson(const QJsonObject &json, const QString &baseDir, WizardDocument &doc)
{
    JsonBuildResult result;
    doc.clear();
    result.model = json.value("model").toInt(0);
    if (result.model < 0 || result.model > 3) {
        result.error = QStringLiteral("\"model\" must be 0 to 3");
        return result;
    }
    doc.Title = json.value("Title").toString();
    result.error = unwritableText(QStringLiteral("Title"), doc.Title);
    if (json.contains("PW")) {
        doc.setPassword(json.value("PW").toString());
        if (result.error.isEmpty())
            result.error = unwritableText(QStringLiteral("PW"), doc.PW);
    }
    if (!result.error.isEmpty())
        return result;
    doc.SeqEndOption = json.value("SeqEndOption").toInt(2);
    const QJsonArray sequences = json.value("sequences").toArray();
    if (sequences.size() > kMaxSequences) {
        result.error = QStringLiteral("a wizard holds at most %1 sequences").arg(kMaxSequences);
        return result;
    }
    for (qsizetype si = 0; si < sequences.size(); ++si) {
        const QJsonObject s = sequences.at(si).toObject();
        TestingSequence *seq = doc.appendSequence();
        seq->Title = s.value("Title").toString();
        result.error = unwritableText(QStringLiteral("sequences[%1].Title").arg(si), seq->Title);
        if (!result.error.isEmpty())
            return result;
        const QJsonArray steps = s.value("steps").toArray();
        if (steps.size() > kMaxSteps) {
            result.error =
                QStringLiteral("sequence %1 has more than %2 steps").arg(si).arg(kMaxSteps);
            return result;
        }
        for (qsizetype ti = 0; ti < steps.size(); ++ti) {
            const QJsonObject st = steps.at(ti).toObject();
            const TaskKind kind = st.contains("kind")
                                      ? TaskKind(st.value("kind").toInt())
                                      : kindFromStoredName(st.value("name").toString());
            if (!isStorableKind(kind)) {
                result.error =
                    QStringLiteral("sequence %1 step %2: unknown task kind").arg(si).arg(ti);
                return result;
            }
            TaskRecord record = makeDefaultRecord(kind, result.model, kDistanceMeter);
            const QJsonObject in = st.value("record").toObject();
            Reader reader{in, baseDir, result.error,
                          QStringLiteral("sequences[%1].steps[%2].record.").arg(si).arg(ti),
                          result.unreadable};
            std::visit([&](auto &r) { fields(r, reader); }, record);
            if (auto *limit = std::get_if<LimitTask>(&record))
                completeFile(in, reader, "TransMSLfileName", "MSLfileSize", limit->TransMSLfileName,
                             limit->MSLfileSize, limit->MSLfileName);
            if (auto *load = std::get_if<LoadTask>(&record))
                completeFile(in, reader, "SetupfileName", "SetupfileSize", load->SetupfileName,
                             load->SetupfileSize);
            if (!result.error.isEmpty()) {
                // A refused text names its place by its path already.
                if (!result.error.startsWith(QLatin1String("sequences[")))
                    result.error =
                        QStringLiteral("sequence %1 step %2: %3").arg(si).arg(ti).arg(result.error);
                return result;
            }
            seq->insertStep(-1, std::move(record));
        }
    }
    result.ok = true;
    return result;
}

} // namespace stepvane::cli
