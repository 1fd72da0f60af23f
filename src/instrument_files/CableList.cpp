// Cable list reading and the application's cable table.
#include "instrument_files/CableList.h"

#include "instrument_files/TextTable.h"

#include <mutex>

namespace stepvane {

namespace {

std::mutex g_cableMutex;
std::vector<CableEntry> g_cables;

} // namespace

std::vector<CableEntry> parseCableList(const QByteArray &bytes)
{
    std::vector<CableEntry> entries;
    forEachTableLine(QString::fromLatin1(bytes), [&](QStringView line) {
        FieldReader fields(line);
        const auto name = fields.next(kComma);
        const auto velocity = fields.next(kComma);
        const auto loss1 = fields.next(kComma);
        if (!name || !velocity || !loss1)
            return false;
        CableEntry e;
        e.name = name->toString();
        e.velocity = velocity->toString();
        e.loss1GHz = loss1->toString();
        if (const auto loss2 = fields.next(kComma))
            e.loss2GHz = loss2->toString();
        entries.push_back(std::move(e));
        return true;
    });
    return entries;
}

int LoadCableList(const QString &path)
{
    const auto bytes =
        readTextTableFile(path.isEmpty() ? textTablePath(QStringLiteral("Cable.csv")) : path);
    std::vector<CableEntry> entries;
    if (bytes)
        entries = parseCableList(*bytes);
    const int count = int(entries.size());
    setCableTable(std::move(entries));
    return count;
}

void setCableTable(std::vector<CableEntry> entries)
{
    std::lock_guard lock(g_cableMutex);
    g_cables = std::move(entries);
}

std::vector<CableEntry> cableTable()
{
    std::lock_guard lock(g_cableMutex);
    return g_cables;
}

} // namespace stepvane
