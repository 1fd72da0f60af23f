// The JSON text dump prints is written without QJsonDocument, so it is held
// to QJsonDocument's own bytes: every value is written both ways and compared
// byte for byte, on texts with each character class that is escaped, encoded
// or refused, on numbers at every edge of their forms, and on nesting.
#include "cli/JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using namespace stepvane::cli;

namespace {

// A value through the writer, as the dump writes its own: integers stored
// as such, reals as reals.
void write(JsonTextWriter &json, const QJsonValue &value)
{
    if (value.isObject()) {
        json.beginObject();
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            json.key(it.key());
            write(json, it.value());
        }
        json.endObject();
    } else if (value.isArray()) {
        json.beginArray();
        for (const QJsonValue &item : value.toArray()) {
            json.item();
            write(json, item);
        }
        json.endArray();
    } else if (value.isString()) {
        json.string(value.toString());
    } else if (QCborValue::fromJsonValue(value).isInteger()) {
        json.integer(value.toInteger());
    } else {
        json.real(value.toDouble());
    }
}

QByteArray viaWriter(const QJsonValue &value)
{
    QByteArray out;
    JsonTextWriter json(out);
    write(json, value);
    json.finish();
    return out;
}

QByteArray viaDocument(const QJsonValue &value)
{
    return value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented)
                           : QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented);
}

QString units(std::initializer_list<char16_t> list)
{
    QString text;
    for (const char16_t u : list)
        text += QChar(u);
    return text;
}

} // namespace

TEST(JsonText, TextsAreEscapedAndEncodedAsQJsonDocumentDoes)
{
    QStringList texts = {QString(), "plain", "\"quoted\" \\ back/slash", "\U0001F600 astral"};
    for (char16_t u = 0; u < 0x80; ++u) // every ASCII unit, alone and among others
        texts << units({u}) << units({u'a', u, u'b'});
    texts << units({0x80, 0x7ff, 0x800, 0xd7ff, 0xe000, 0xfffd, 0xfffe, 0xffff});
    // Surrogates: a pair, alone at the end, before text, doubled, reversed.
    texts << units({0xd83d, 0xde00}) << units({u'a', 0xd800}) << units({0xd800, u'a'})
          << units({0xd800, 0xd800, 0xdc00}) << units({0xdc00, 0xd800}) << units({0xdfff});
    // Mixtures of all of those, so no class is only seen alone.
    const char16_t alphabet[] = {0x00,   0x08,   0x09,   0x0a,   0x0c,   0x0d,  0x1f,  u'"',
                                 u'\\',  u'a',   0x7f,   0x80,   0x9f,   0x7ff, 0x800, 0xd800,
                                 0xdbff, 0xdc00, 0xdfff, 0xe000, 0xfffe, 0xffff};
    QRandomGenerator random(7);
    for (int i = 0; i < 500; ++i) {
        QString text;
        for (int n = random.bounded(12); n > 0; --n)
            text += QChar(alphabet[random.bounded(int(std::size(alphabet)))]);
        texts << text;
    }
    for (const QString &text : texts) {
        // As a value and as a key, which are escaped alike.
        const QJsonObject object{{"value", text}, {text, 1}};
        EXPECT_EQ(viaWriter(object), viaDocument(object)) << text.toStdU16String().size();
    }
}

TEST(JsonText, NumbersTakeQJsonDocumentsForms)
{
    const double inf = std::numeric_limits<double>::infinity();
    const QJsonArray values{0.0,
                            -0.0,
                            1.0,
                            -1.5,
                            0.1,
                            1e-7,
                            123456789.125,
                            1e21,
                            9007199254740992.0,    // 2^53
                            9007199254740994.0,    // above it, still whole
                            9223372036854775808.0, // 2^63: no 64-bit integer holds it
                            -9223372036854775808.0,
                            1e300,
                            5e-324,
                            std::numeric_limits<double>::max(),
                            std::nan(""),
                            inf,
                            -inf,
                            qint64(std::numeric_limits<int>::min()),
                            qint64(std::numeric_limits<quint32>::max()),
                            std::numeric_limits<qint64>::max(),
                            std::numeric_limits<qint64>::min()};
    for (const QJsonValue &value : values) {
        const QJsonArray one{value};
        EXPECT_EQ(viaWriter(one), viaDocument(one)) << viaDocument(one).toStdString();
    }
}

TEST(JsonText, NestingAndEmptyContainersAreIndentedAlike)
{
    const QJsonObject inner{{"a", 1}, {"b", QJsonArray{}}, {"c", QJsonObject{}}};
    const QJsonValue cases[] = {
        QJsonObject{},
        QJsonArray{},
        QJsonArray{QJsonArray{}, QJsonObject{}, QJsonArray{QJsonArray{1, "x"}}},
        QJsonObject{{"inner", inner}, {"list", QJsonArray{inner, inner}}, {"text", "t"}},
    };
    for (const QJsonValue &value : cases)
        EXPECT_EQ(viaWriter(value), viaDocument(value)) << viaDocument(value).toStdString();

    // The program's own ASCII names go without a conversion; others are escaped.
    for (const char *name : {"Site-ID", "a\"b", "tab\there", "caf\xe9"}) {
        QByteArray out;
        JsonTextWriter json(out);
        json.beginObject();
        json.key(name);
        json.integer(1);
        json.endObject();
        json.finish();
        EXPECT_EQ(out, viaDocument(QJsonObject{{QString::fromLatin1(name), 1}})) << name;
    }
}
