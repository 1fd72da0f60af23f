// `build` refuses every text a wizard file cannot hold, naming the field by
// its JSON path, and leaves the previous output as it was. The texts are
// every string `dump` prints for a wizard with a step of every kind, so a
// field added to the JSON is covered without this test knowing of it.
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

#include <gtest/gtest.h>

using namespace stepvane::test;

namespace {

// Every string of a JSON value with its path ("sequences[0].Title").
void strings(const QJsonValue &value, const QString &path, QStringList &out)
{
    if (value.isString()) {
        out << path;
    } else if (value.isObject()) {
        const QJsonObject o = value.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            strings(it.value(), path.isEmpty() ? it.key() : path + u'.' + it.key(), out);
    } else if (value.isArray()) {
        const QJsonArray a = value.toArray();
        for (qsizetype i = 0; i < a.size(); ++i)
            strings(a.at(i), QStringLiteral("%1[%2]").arg(path).arg(i), out);
    }
}

// The JSON with the string at path replaced.
QJsonValue replaced(const QJsonValue &value, QStringView path, const QString &text)
{
    if (path.isEmpty())
        return text;
    if (path.startsWith(u'[')) {
        const qsizetype close = path.indexOf(u']');
        const int index = path.mid(1, close - 1).toInt();
        QJsonArray a = value.toArray();
        QStringView rest = path.mid(close + 1);
        if (rest.startsWith(u'.'))
            rest = rest.mid(1);
        a[index] = replaced(a.at(index), rest, text);
        return a;
    }
    qsizetype end = 0;
    while (end < path.size() && path[end] != u'.' && path[end] != u'[')
        ++end;
    const QString key = path.left(end).toString();
    QStringView rest = path.mid(end);
    if (rest.startsWith(u'.'))
        rest = rest.mid(1);
    QJsonObject o = value.toObject();
    o[key] = replaced(o.value(key), rest, text);
    return o;
}

class CliUnwritable : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CliUnwritable, EveryTextWithEveryBadCharacterIsRefusedByItsPath)
{
    QJsonArray steps;
    for (int kind : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 23})
        steps.append(QJsonObject{{"kind", kind}});
    // Condition pictures have no slots of their own: one each.
    steps[15] = QJsonObject{{"kind", 16}, {"record", QJsonObject{{"images", QJsonArray{{}}}}}};
    steps[16] = QJsonObject{{"kind", 17}, {"record", QJsonObject{{"images", QJsonArray{{}}}}}};
    const QJsonObject seed{
        {"model", 2},
        {"Title", "Site"},
        {"PW", "secret"},
        {"sequences", QJsonArray{QJsonObject{{"Title", "Feeder"}, {"steps", steps}}}}};
    writeAll(path("seed.json"), QJsonDocument(seed).toJson());
    ASSERT_EQ(cli({"build", path("seed.json"), path("out.wzd")}).code, 0);
    const QByteArray before = readAll(path("out.wzd"));
    const CliRun dump = cli({"dump", path("out.wzd"), "--password", "secret"});
    ASSERT_EQ(dump.code, 0) << dump.err.toStdString();
    const QJsonObject full = QJsonDocument::fromJson(dump.out.toUtf8()).object();
    QStringList texts;
    strings(full, QString(), texts);
    // A step's name only stands in for a missing kind; it is never written.
    texts.removeIf([](const QString &p) { return p.endsWith(QLatin1String("].name")); });
    ASSERT_GT(texts.size(), 80);

    // As a user writes them: JSON escapes, since UTF-8 has no lone surrogate.
    const char *bad[] = {"A\\u0001B", "A\\u001f", "x\\u0000y", "\\ufffe",
                         "\\uFFFF",   "\\ud800z", "z\\udc00",  "\\udbff\\u0041"};
    // Every field with two of the characters in turn (each meets every field
    // in the writer's own table): the refusal is one check, its naming is what
    // differs from field to field.
    int n = 0;
    for (const QString &text : texts) {
        for (const char *b : {bad[n % 8], bad[(n + 3) % 8]}) {
            const QString in = path(QStringLiteral("bad%1.json").arg(n));
            QByteArray bytes =
                QJsonDocument(replaced(full, text, QStringLiteral("@BAD@")).toObject()).toJson();
            writeAll(in, bytes.replace("@BAD@", b));
            const CliRun run = cli({"build", in, path("out.wzd")});
            EXPECT_EQ(run.code, 1) << text.toStdString();
            EXPECT_TRUE(run.err.contains(text + QStringLiteral(": the character U+")))
                << run.err.toStdString();
        }
        ++n;
    }
    EXPECT_EQ(readAll(path("out.wzd")), before);
}
