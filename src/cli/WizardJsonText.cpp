// The wizard as dump prints it, written straight from the field lists as
// the bytes QJsonDocument's indented form would hold.
#include "cli/WizardJson.h"
#include "cli/WizardJsonFields.h"

#include "cli/JsonText.h"
#include "document/NameTables.h"

#include <numeric>

namespace stepvane::cli {

namespace {

using namespace wizard_json;

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

} // namespace stepvane::cli
