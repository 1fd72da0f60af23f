// JSON form of the wizard. One field list per record serves both directions,
// so dump and build can never disagree on a key.
#include "cli/WizardJson.h"

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

using Images = std::vector<AttachedImage>;
using Markers = std::vector<MarkerSetting>;

// A logo is an AttachedImage written without its comment.
struct Logo {
    AttachedImage &image;
};

// Visits every field of a record with its JSON key. The same list drives
// writing and reading.
template <typename F> void fields(SaveTask &r, F &&f)
{
    f("SaveMode", r.SaveMode);
    f("Storage", r.Storage);
    f("Trace_Check", r.Trace_Check);
    f("Report_Check", r.Report_Check);
    f("Screen_Check", r.Screen_Check);
    f("Trace_Format", r.Trace_Format);
    f("Report_Format", r.Report_Format);
    f("ColorInversion", r.ColorInversion);
    f("MarkerReadings", r.MarkerReadings);
    f("BaseFileName", r.BaseFileName);
    f("BaseFolderName", r.BaseFolderName);
    f("Description", r.Description);
    f("Result_Prev", r.Result_Prev);
    f("Company_Name", r.Company_Name);
    f("Address_Name", r.Address_Name);
    f("logo", Logo{r.logo});
    f("Company_Check", r.Company_Check);
    f("Address_Check", r.Address_Check);
    f("Engineer_Name", r.Engineer_Name);
    f("TestPurpose_Name", r.TestPurpose_Name);
    f("Site_Information_Name", r.Site_Information_Name);
    f("Result_Name", r.Result_Name);
    f("Remark_Name", r.Remark_Name);
    f("Engineer_Check", r.Engineer_Check);
    f("TestPurpose_Check", r.TestPurpose_Check);
    f("Site_Information_Check", r.Site_Information_Check);
    f("Result_Check", r.Result_Check);
    f("Remark_Check", r.Remark_Check);
    f("Technology", r.Technology);
    f("WorkFolder", r.WorkFolder);
    f("WorkOrderID", r.WorkOrderID);
    f("Site-ID", r.Site_ID);
    f("Sector", r.Sector);
    f("Test_Type", r.Test_Type);
    f("Termination", r.Termination);
}
template <typename F> void fields(PromptTask &r, F &&f)
{
    f("Manual_operation", r.Manual_operation);
    f("Description", r.Description);
    f("images", r.images);
    f("Move_forward_Mode", r.Move_forward_Mode);
    f("DelayTime", r.DelayTime);
}
template <typename F> void fields(ReportTask &r, F &&f)
{
    f("SaveMode", r.SaveMode);
    f("Description", r.Description);
    f("BaseFolderName", r.BaseFolderName);
    f("BaseFileName", r.BaseFileName);
    f("Filetype", r.Filetype);
    f("Company_Name", r.Company_Name);
    f("Address_Name", r.Address_Name);
    f("logo", Logo{r.logo});
    f("Company_Check", r.Company_Check);
    f("Address_Check", r.Address_Check);
    f("Engineer_Name", r.Engineer_Name);
    f("TestPurpose_Name", r.TestPurpose_Name);
    f("Site_Information_Name", r.Site_Information_Name);
    f("Result_Name", r.Result_Name);
    f("Remark_Name", r.Remark_Name);
    f("Engineer_Check", r.Engineer_Check);
    f("TestPurpose_Check", r.TestPurpose_Check);
    f("Site_Information_Check", r.Site_Information_Check);
    f("Result_Check", r.Result_Check);
    f("Remark_Check", r.Remark_Check);
    f("Technology", r.Technology);
    f("Workfolder", r.Workfolder);
    f("WorkorderID", r.WorkorderID);
    f("Site-ID", r.Site_ID);
    f("Sector", r.Sector);
    f("Test_type", r.Test_type);
    f("Termination", r.Termination);
}
template <typename F> void fields(LoadTask &r, F &&f)
{
    f("Mode", r.Mode);
    f("Description", r.Description);
    f("SetupfileName", r.SetupfileName);
    f("Setup_Info", r.Setup_Info);
    f("SetupfileSize", r.SetupfileSize);
    f("SetupFormat", r.SetupFormat);
}
template <typename F> void fields(CalibrationTask &r, F &&f)
{
    f("Description", r.Description);
}
template <typename F> void fields(HoldTask &r, F &&f)
{
    f("Description", r.Description);
}
template <typename F> void fields(AutoScaleTask &r, F &&f)
{
    f("Description", r.Description);
}
template <typename F> void fields(MeasureModeTask &r, F &&f)
{
    f("Description", r.Description);
    f("Measurement", r.Measurement);
}
template <typename F> void fields(FrequencyDistanceTask &r, F &&f)
{
    f("Description", r.Description);
    f("Start_Frequency", r.Start_Frequency);
    f("Stop_Frequency", r.Stop_Frequency);
    // Center_Frequency and Span live in memory only: the file holds neither,
    // so the JSON, which stands for the file, holds neither either.
    f("Start_Distance", r.Start_Distance);
    f("Stop_Distance", r.Stop_Distance);
    f("Units", r.Units);
    f("Alt_DTF_Band_Check", r.Alt_DTF_Band_Check);
    f("Start_Frequency_Check", r.Start_Frequency_Check);
    f("Stop_Frequency_Check", r.Stop_Frequency_Check);
    f("Start_Distance_Check", r.Start_Distance_Check);
    f("Stop_Distance_Check", r.Stop_Distance_Check);
}
template <typename F> void fields(AmplitudeTask &r, F &&f)
{
    f("Description", r.Description);
    f("Top", r.Top);
    f("Bottom", r.Bottom);
}
template <typename F> void fields(GeneralTask &r, F &&f)
{
    f("Description", r.Description);
    f("Interference_Rejection", r.Interference_Rejection);
    f("OutputPower", r.OutputPower);
    f("Average", r.Average);
}
template <typename F> void fields(DataPointTask &r, F &&f)
{
    f("Description", r.Description);
    f("Param", r.Param);
}
template <typename F> void fields(WindowingTask &r, F &&f)
{
    f("Description", r.Description);
    f("Param", r.Param);
}
template <typename F> void fields(DtfTask &r, F &&f)
{
    f("Description", r.Description);
    f("Mode", r.Mode);
    f("Propagation_Velocity", r.Propagation_Velocity);
    f("Cable_Loss", r.Cable_Loss);
    f("Cable_Name", r.Cable_Name);
    f("Units", r.Units);
}
template <typename F> void fields(RfPowerTask &r, F &&f)
{
    f("Description", r.Description);
    f("Frequency", r.Frequency);
    f("External_offset", r.External_offset);
    f("Limit_Mode", r.Limit_Mode);
    f("Display_Mode", r.Display_Mode);
    f("RF_Model", r.RF_Model);
    f("Limit_Minimum", r.Limit_Minimum);
    f("Limit_Maximum", r.Limit_Maximum);
    f("Display_Minimum", r.Display_Minimum);
    f("Display_Maximum", r.Display_Maximum);
}
template <typename F> void fields(OpticalPowerTask &r, F &&f)
{
    f("Description", r.Description);
    f("Wavelength_Mode", r.Wavelength_Mode);
    f("Wavelength_Param", r.Wavelength_Param);
    f("Wavelength_Param_LValue", r.Wavelength_Param_LValue);
    f("Threshold_On_Off", r.Threshold_On_Off);
    f("Threshold_Param", r.Threshold_Param);
}
template <typename F> void fields(FiberTask &r, F &&f)
{
    f("Description", r.Description);
    f("Profile", r.Profile);
    f("Tip", r.Tip);
}
template <typename F> void fields(BiasTeeTask &r, F &&f)
{
    f("Description", r.Description);
    f("Mode", r.Mode);
    f("Voltage_On_Off", r.Voltage_On_Off);
    f("Voltage_Param", r.Voltage_Param);
}
template <typename F> void fields(MarkerPeakTask &r, F &&f)
{
    f("Description", r.Description);
    f("markers", r.markers);
    f("Condition_Check", r.Condition_Check);
    f("MarkerName", r.MarkerName);
    f("Equality_sign", r.Equality_sign);
    f("Axis", r.Axis);
    f("Threshold_Fail", r.Threshold_Fail);
    f("images", r.images);
    f("Search_between", r.Search_between);
    f("M1toM2_M5", r.M1toM2_M5);
    f("M3toM4_M6", r.M3toM4_M6);
}
template <typename F> void fields(LimitTask &r, F &&f)
{
    f("Description", r.Description);
    f("SelectMode", r.SelectMode);
    f("Pass_Fail", r.Pass_Fail);
    f("Move_Limit", r.Move_Limit);
    f("Param", r.Param);
    f("Limit_Line_On_Off", r.Limit_Line_On_Off);
    f("Warning_On_Off", r.Warning_On_Off);
    f("MSLfileName", r.MSLfileName);
    f("TransMSLfileName", r.TransMSLfileName);
    f("MSLfileSize", r.MSLfileSize);
    f("Condition_Check", r.Condition_Check);
    f("images", r.images);
}
template <typename F> void fields(ZoomZonesTask &r, F &&f)
{
    f("Description", r.Description);
    f("Zone1_Start_Frequency", r.Zone1_Start_Frequency);
    f("Zone2_Start_Frequency", r.Zone2_Start_Frequency);
    f("Zone3_Start_Frequency", r.Zone3_Start_Frequency);
    f("Zone1_Stop_Frequency", r.Zone1_Stop_Frequency);
    f("Zone2_Stop_Frequency", r.Zone2_Stop_Frequency);
    f("Zone3_Stop_Frequency", r.Zone3_Stop_Frequency);
    f("Zone1_Check", r.Zone1_Check);
    f("Zone2_Check", r.Zone2_Check);
    f("Zone3_Check", r.Zone3_Check);
    f("Peak_Valley_Search", r.Peak_Valley_Search);
}

template <typename F> void imageFields(AttachedImage &i, bool withComment, F &&f)
{
    if (withComment)
        f("Comment", i.Comment);
    f("ImageName", i.ImageName);
    f("TransImageName", i.TransImageName);
    f("Image_filesize", i.Image_filesize);
    f("ImageWidth", i.ImageWidth);
    f("ImageHeight", i.ImageHeight);
}

template <typename F> void markerFields(MarkerSetting &m, F &&f)
{
    f("Name", m.Name);
    f("Type", m.Type);
    f("On_Off", m.On_Off);
    f("Search_mode", m.Search_mode);
    f("X_Value", m.X_Value);
}

// ---------------------------------------------------------------- to JSON

// One member of an object as its field list names it, before its place in
// the key order is known.
struct Member {
    enum class Kind { Text, Number, Size, Real, Logo, Images, Markers };
    const char *key;
    Kind kind;
    const void *value;
};

// Takes each field's key and place. Lvalue references only: a field of any
// other type fails to compile rather than being read through a temporary.
struct Collector {
    std::vector<Member> &members;
    void operator()(const char *key, QString &v) { add(key, Member::Kind::Text, &v); }
    void operator()(const char *key, int &v) { add(key, Member::Kind::Number, &v); }
    void operator()(const char *key, quint32 &v) { add(key, Member::Kind::Size, &v); }
    void operator()(const char *key, double &v) { add(key, Member::Kind::Real, &v); }
    void operator()(const char *key, Logo logo) { add(key, Member::Kind::Logo, &logo.image); }
    void operator()(const char *key, Images &list) { add(key, Member::Kind::Images, &list); }
    void operator()(const char *key, Markers &list) { add(key, Member::Kind::Markers, &list); }
    void add(const char *key, Member::Kind kind, const void *value)
    {
        members.push_back({key, kind, value});
    }
};

// The members in the order a QJsonObject keeps its keys (by UTF-16 unit,
// which for these ASCII names is strcmp's order); a key named twice keeps
// its last value, as a second insert would.
std::vector<int> keyOrder(const std::vector<Member> &members)
{
    std::vector<int> order(members.size());
    std::iota(order.begin(), order.end(), 0);
    const auto before = [&](int a, int b) {
        return std::strcmp(members[size_t(a)].key, members[size_t(b)].key) < 0;
    };
    std::stable_sort(order.begin(), order.end(), before);
    std::vector<int> kept;
    for (size_t i = 0; i < order.size(); ++i)
        if (i + 1 == order.size() || before(order[i], order[i + 1]))
            kept.push_back(order[i]);
    return kept;
}

// Writes records through their field lists. The lists take records to fill
// as well; here they are only read, so the document's own are handed in.
class TextWriter {
public:
    explicit TextWriter(JsonTextWriter &json) : m_json(json) {}

    template <typename R> void record(const R &r)
    {
        std::vector<Member> members;
        fields(const_cast<R &>(r), Collector{members});
        // A field list names the same keys every time: sorted once.
        static const std::vector<int> order = keyOrder(members);
        object(members, order);
    }

private:
    template <bool withComment> void image(const AttachedImage &i)
    {
        std::vector<Member> members;
        imageFields(const_cast<AttachedImage &>(i), withComment, Collector{members});
        static const std::vector<int> order = keyOrder(members);
        object(members, order);
    }
    void marker(const MarkerSetting &m)
    {
        std::vector<Member> members;
        markerFields(const_cast<MarkerSetting &>(m), Collector{members});
        static const std::vector<int> order = keyOrder(members);
        object(members, order);
    }
    void object(const std::vector<Member> &members, const std::vector<int> &order)
    {
        m_json.beginObject();
        for (const int i : order)
            member(members[size_t(i)]);
        m_json.endObject();
    }
    void member(const Member &m)
    {
        m_json.key(m.key);
        switch (m.kind) {
        case Member::Kind::Text:
            m_json.string(*static_cast<const QString *>(m.value));
            break;
        case Member::Kind::Number:
            m_json.integer(*static_cast<const int *>(m.value));
            break;
        case Member::Kind::Size:
            m_json.integer(*static_cast<const quint32 *>(m.value));
            break;
        case Member::Kind::Real:
            m_json.real(*static_cast<const double *>(m.value));
            break;
        case Member::Kind::Logo:
            image<false>(*static_cast<const AttachedImage *>(m.value));
            break;
        case Member::Kind::Images:
            m_json.beginArray();
            for (const AttachedImage &i : *static_cast<const Images *>(m.value)) {
                m_json.item();
                image<true>(i);
            }
            m_json.endArray();
            break;
        case Member::Kind::Markers:
            m_json.beginArray();
            for (const MarkerSetting &marker : *static_cast<const Markers *>(m.value)) {
                m_json.item();
                this->marker(marker);
            }
            m_json.endArray();
            break;
        }
    }

    JsonTextWriter &m_json;
};

// ---------------------------------------------------------------- from JSON

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

QByteArray wizardJsonText(const WizardDocument &doc, int model)
{
    QByteArray out;
    // About 800 bytes a step; grown as needed.
    qsizetype steps = 0;
    for (const auto &seq : doc.sequences)
        steps += qsizetype(seq->steps.size());
    out.reserve(4096 + steps * 1024);
    JsonTextWriter json(out);
    TextWriter writer(json);
    // Every object's keys in QJsonObject's order.
    json.beginObject();
    if (doc.PasswordSet) {
        json.key("PW");
        json.string(doc.PW);
    }
    json.key("SeqEndOption");
    json.integer(doc.SeqEndOption);
    json.key("Title");
    json.string(doc.Title);
    json.key("model");
    json.integer(model);
    json.key("sequences");
    json.beginArray();
    for (const auto &seq : doc.sequences) {
        json.item();
        json.beginObject();
        json.key("Title");
        json.string(seq->Title);
        json.key("steps");
        json.beginArray();
        for (const auto &step : seq->steps) {
            json.item();
            json.beginObject();
            json.key("kind");
            json.integer(int(step->kind()));
            json.key("name");
            json.string(taskStoredName(step->kind()));
            json.key("record");
            std::visit([&](const auto &r) { writer.record(r); }, step->record);
            json.endObject();
        }
        json.endArray();
        json.endObject();
    }
    json.endArray();
    json.endObject();
    json.finish();
    return out;
}

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
