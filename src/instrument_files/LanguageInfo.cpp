// Language table reading and lookup.
#include "instrument_files/LanguageInfo.h"

#include "common/DataFiles.h"
#include "instrument_files/CodePage.h"

#include <QFile>

#include <mutex>

namespace stepvane {

namespace {

std::mutex g_languageMutex;
std::vector<LanguageEntry> g_languageTable;

// Every backslash is a line break; each non-empty piece ends with a line feed.
QString expandLineBreaks(const QString &field)
{
    QString out;
    for (const QString &piece : field.split(u'\\', Qt::SkipEmptyParts)) {
        out += piece;
        out += u'\n';
    }
    return out;
}

} // namespace

std::vector<LanguageEntry> parseLanguageInfo(const QByteArray &bytes)
{
    std::vector<LanguageEntry> entries;
    const QString text = fromCp1252(bytes);
    const auto lines = QStringView(text).split(u'\n');
    for (QStringView line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'*'))
            continue;
        const auto fields = line.split(u'|', Qt::SkipEmptyParts);
        if (fields.size() < 4)
            break;
        LanguageEntry e;
        e.id = fields[0].toString();
        for (int i = 0; i < 3; ++i)
            e.text[i] = expandLineBreaks(fields[i + 1].toString());
        entries.push_back(std::move(e));
    }
    return entries;
}

int LoadLanguageInfo(const QString &path)
{
    const QString file = path.isEmpty() ? dataFilePath(QStringLiteral("LanguageInfo.txt")) : path;
    std::vector<LanguageEntry> entries;
    QFile f(file);
    if (!file.isEmpty() && f.open(QIODevice::ReadOnly))
        entries = parseLanguageInfo(f.readAll());
    const int count = int(entries.size());
    setLanguageTable(std::move(entries));
    return count;
}

void setLanguageTable(std::vector<LanguageEntry> entries)
{
    std::lock_guard lock(g_languageMutex);
    g_languageTable = std::move(entries);
}

QString GetMessageText(const QString &id, int language)
{
    if (language < 0 || language > 2)
        return QString();
    std::lock_guard lock(g_languageMutex);
    for (const auto &e : g_languageTable)
        if (e.id == id)
            return e.text[language];
    return QString();
}

} // namespace stepvane
