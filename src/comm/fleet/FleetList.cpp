// The fleet list: its rules, the settings store and the CSV exchange.
#include "comm/fleet/FleetList.h"

#include "common/AtomicFile.h"
#include "common/FileKind.h"

#include <QFile>
#include <QSettings>
#include <QStringDecoder>
#include <QStringList>

#include <arpa/inet.h>

namespace stepvane {

namespace {

const QString kArray = QStringLiteral("Fleet");
const QByteArray kHeader = QByteArrayLiteral("name,method,address,port");
// A fleet file is a few lines per instrument: anything far larger is not one.
constexpr qsizetype kMaxCsvBytes = 1024 * 1024;
constexpr qsizetype kMaxLineBytes = 4096;

bool hasControl(const QString &text)
{
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return true;
    return false;
}

bool isHostName(const QString &text)
{
    if (text.isEmpty() || text.size() > 253)
        return false;
    bool allNumeric = true;
    for (const QString &label : text.split(u'.')) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(u'-') || label.endsWith(u'-'))
            return false;
        for (const QChar c : label) {
            if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-')
                return false;
            if (!c.isDigit())
                allNumeric = false;
        }
    }
    return !allNumeric; // "300.1.1.1" is a mistyped address, not a name
}

bool isNumeric(int family, const QString &text)
{
    QString host = text;
    if (family == AF_INET6) {
        const qsizetype zone = host.indexOf(u'%'); // fe80::1%eth0
        if (zone > 0)
            host.truncate(zone);
    }
    unsigned char buffer[sizeof(in6_addr)];
    return inet_pton(family, host.toLatin1().constData(), buffer) == 1 &&
           host.toLatin1() == host.toUtf8();
}

QString readText(QSettings &store, const QString &key)
{
    const QVariant v = store.value(key);
    return v.isValid() && v.canConvert<QString>() ? v.toString().left(kMaxFleetNameLength * 2)
                                                  : QString();
}

// Splits one line into fields; false with the reason when the quoting is broken.
bool splitCsvLine(const QString &line, QStringList &fields, QString &why)
{
    fields.clear();
    QString field;
    bool quoted = false;    // inside a quoted field
    bool wasQuoted = false; // the field had quotes and they are closed
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < line.size() && line.at(i + 1) == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                    wasQuoted = true;
                }
            } else {
                field += c;
            }
        } else if (c == u',') {
            fields << (wasQuoted ? field : field.trimmed());
            field.clear();
            wasQuoted = false;
        } else if (c == u'"' && field.trimmed().isEmpty() && !wasQuoted) {
            quoted = true;
            field.clear();
        } else if (wasQuoted) {
            if (!c.isSpace()) {
                why = QStringLiteral("text after a closing quote");
                return false;
            }
        } else {
            field += c;
        }
    }
    if (quoted) {
        why = QStringLiteral("a quoted field is not closed");
        return false;
    }
    fields << (wasQuoted ? field : field.trimmed());
    return true;
}

} // namespace

QString FleetInstrument::where() const
{
    if (method == kMethodUsb)
        return QStringLiteral("USB");
    if (method == kMethodIPv6)
        return QStringLiteral("[%1]:%2").arg(address).arg(port);
    return QStringLiteral("%1:%2").arg(address).arg(port);
}

CommSettings FleetInstrument::settings(const CommSettings &base) const
{
    CommSettings s = base;
    s.method = method;
    if (method == kMethodIPv6)
        s.ipv6 = address;
    else if (method == kMethodIPv4)
        s.ip = address;
    s.port = port;
    return s;
}

QString fleetMethodText(int method)
{
    switch (method) {
    case kMethodIPv4:
        return QStringLiteral("ipv4");
    case kMethodIPv6:
        return QStringLiteral("ipv6");
    case kMethodUsb:
        return QStringLiteral("usb");
    default:
        return QString();
    }
}

int fleetMethodFromText(const QString &text)
{
    const QString t = text.trimmed().toLower();
    for (int m : {int(kMethodIPv4), int(kMethodIPv6), int(kMethodUsb)})
        if (t == fleetMethodText(m))
            return m;
    return -1;
}

QString fleetEntryProblem(const FleetInstrument &in)
{
    if (in.name.trimmed().isEmpty())
        return QStringLiteral("the name is empty");
    if (in.name.size() > kMaxFleetNameLength)
        return QStringLiteral("the name is longer than %1 characters").arg(kMaxFleetNameLength);
    if (hasControl(in.name))
        return QStringLiteral("the name holds a control character");
    if (in.method == kMethodUsb) {
        if (!in.address.isEmpty())
            return QStringLiteral("a USB instrument has no address");
        return QString();
    }
    if (in.method != kMethodIPv4 && in.method != kMethodIPv6)
        return QStringLiteral("unknown method (use ipv4, ipv6 or usb)");
    if (in.address.isEmpty())
        return QStringLiteral("the address is empty");
    // A NUL would end the address where the system reads it: what is shown
    // and what is reached would differ.
    if (hasControl(in.address))
        return QStringLiteral("the address holds a control character");
    const bool v6 = in.method == kMethodIPv6;
    if (!isNumeric(v6 ? AF_INET6 : AF_INET, in.address) && !isHostName(in.address))
        return QStringLiteral("\"%1\" is not an %2 address or host name")
            .arg(in.address.left(64), v6 ? QStringLiteral("IPv6") : QStringLiteral("IPv4"));
    if (in.port < 1 || in.port > 65535)
        return QStringLiteral("the port must be a whole number from 1 to 65535");
    return QString();
}

QString fleetConflict(const FleetList &list, const FleetInstrument &in, int skipIndex)
{
    for (int i = 0; i < int(list.size()); ++i) {
        if (i == skipIndex)
            continue;
        if (list[size_t(i)].name.trimmed().compare(in.name.trimmed(), Qt::CaseInsensitive) == 0)
            return QStringLiteral("the name \"%1\" is already used").arg(in.name.trimmed());
        if (in.method == kMethodUsb && list[size_t(i)].method == kMethodUsb)
            return QStringLiteral("USB instruments cannot yet be told apart, so a fleet holds at "
                                  "most one (\"%1\" is already the USB instrument)")
                .arg(list[size_t(i)].name);
    }
    if (int(list.size()) - (skipIndex >= 0 ? 1 : 0) >= kMaxFleetSize)
        return QStringLiteral("a fleet holds at most %1 instruments").arg(kMaxFleetSize);
    return QString();
}

FleetList loadFleet()
{
    QSettings store(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
    return loadFleet(store);
}

FleetList loadFleet(QSettings &store)
{
    FleetList list;
    const int size = std::min(store.beginReadArray(kArray), kMaxFleetSize);
    for (int i = 0; i < size; ++i) {
        store.setArrayIndex(i);
        FleetInstrument in;
        in.name = readText(store, QStringLiteral("Name")).trimmed();
        in.method = fleetMethodFromText(readText(store, QStringLiteral("Method")));
        if (in.method < 0)
            in.method = kMethodIPv4;
        in.address = in.method == kMethodUsb ? QString()
                                             : readText(store, QStringLiteral("Address")).trimmed();
        bool ok = false;
        const int port = store.value(QStringLiteral("Port")).toInt(&ok);
        in.port = ok && port > 0 && port <= 65535 ? port : CommSettings::kDefaultPort;
        const QVariant include = store.value(QStringLiteral("Include"), true);
        in.included = include.canConvert<bool>() ? include.toBool() : true;
        // An entry without a usable name or address has nothing to mend it
        // with; it is left out rather than sent to a made-up host.
        if (fleetEntryProblem(in).isEmpty() && fleetConflict(list, in).isEmpty())
            list.push_back(in);
    }
    store.endArray();
    return list;
}

bool saveFleet(const FleetList &list)
{
    QSettings store(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
    return saveFleet(list, store);
}

bool saveFleet(const FleetList &list, QSettings &store)
{
    store.remove(kArray);
    store.beginWriteArray(kArray, int(list.size()));
    for (int i = 0; i < int(list.size()); ++i) {
        const FleetInstrument &in = list[size_t(i)];
        store.setArrayIndex(i);
        store.setValue(QStringLiteral("Name"), in.name);
        store.setValue(QStringLiteral("Method"), fleetMethodText(in.method));
        store.setValue(QStringLiteral("Address"), in.address);
        store.setValue(QStringLiteral("Port"), in.port);
        store.setValue(QStringLiteral("Include"), in.included);
    }
    store.endArray();
    store.sync();
    return store.status() == QSettings::NoError && store.isWritable();
}

QString FleetCsvResult::message() const
{
    return line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(error) : error;
}

FleetCsvResult parseFleetCsv(const QByteArray &bytes)
{
    FleetCsvResult result;
    auto fail = [&result](int line, const QString &why) {
        result.list.clear();
        result.line = line;
        result.error = why;
        return result;
    };
    if (bytes.size() > kMaxCsvBytes)
        return fail(0, QStringLiteral("the file is larger than 1 MB: not a fleet list"));
    QByteArray text = bytes;
    if (text.startsWith("\xEF\xBB\xBF")) // a spreadsheet's byte order mark
        text.remove(0, 3);
    const QList<QByteArray> lines = text.split('\n');
    bool header = false;
    FleetList list;
    std::vector<int> lineOf; // the line of each entry, for the conflict message
    for (int n = 1; n <= int(lines.size()); ++n) {
        QByteArray raw = lines.at(n - 1);
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (raw.size() > kMaxLineBytes)
            return fail(n, QStringLiteral("the line is longer than %1 bytes").arg(kMaxLineBytes));
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = utf8(raw);
        if (utf8.hasError())
            return fail(n, QStringLiteral("the line is not UTF-8 text"));
        if (line.trimmed().isEmpty())
            continue;
        if (!header) {
            QString compact = line;
            compact.remove(u' ');
            if (compact.compare(QString::fromLatin1(kHeader), Qt::CaseInsensitive) != 0)
                return fail(n, QStringLiteral("the first line must be \"%1\"")
                                   .arg(QString::fromLatin1(kHeader)));
            header = true;
            continue;
        }
        QStringList fields;
        QString why;
        if (!splitCsvLine(line, fields, why))
            return fail(n, why);
        if (fields.size() != 4)
            return fail(n, QStringLiteral("%1 fields where 4 belong (name,method,address,port)")
                               .arg(fields.size()));
        FleetInstrument in;
        in.name = fields.at(0);
        in.method = fleetMethodFromText(fields.at(1));
        if (in.method < 0)
            return fail(n, QStringLiteral("unknown method \"%1\" (use ipv4, ipv6 or usb)")
                               .arg(fields.at(1).left(32)));
        in.address = fields.at(2);
        if (in.method == kMethodIPv6 && in.address.startsWith(u'[') && in.address.endsWith(u']'))
            in.address = in.address.mid(1, in.address.size() - 2);
        if (!fields.at(3).isEmpty()) {
            bool ok = false;
            in.port = fields.at(3).toInt(&ok);
            if (!ok)
                in.port = 0;
            if (in.method == kMethodUsb)
                return fail(n, QStringLiteral("a USB instrument has no port"));
        }
        if (const QString problem = fleetEntryProblem(in); !problem.isEmpty())
            return fail(n, problem);
        if (const QString conflict = fleetConflict(list, in); !conflict.isEmpty()) {
            // Name the line of the entry it collides with.
            for (size_t i = 0; i < list.size(); ++i)
                if (list[i].name.trimmed().compare(in.name.trimmed(), Qt::CaseInsensitive) == 0 ||
                    (in.method == kMethodUsb && list[i].method == kMethodUsb))
                    return fail(n, QStringLiteral("%1, on line %2").arg(conflict).arg(lineOf[i]));
            return fail(n, conflict);
        }
        list.push_back(in);
        lineOf.push_back(n);
    }
    if (!header)
        return fail(1, QStringLiteral("the file is empty: the first line must be \"%1\"")
                           .arg(QString::fromLatin1(kHeader)));
    result.list = std::move(list);
    return result;
}

FleetCsvResult readFleetCsv(const QString &path)
{
    FleetCsvResult result;
    if (const QString why = notARegularFile(path); !why.isEmpty()) {
        result.error = QStringLiteral("%1: %2").arg(path, why);
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return result;
    }
    // One byte more than allowed is enough to refuse a file that is too large.
    return parseFleetCsv(file.read(kMaxCsvBytes + 1));
}

QByteArray csvField(const QString &text)
{
    const bool quote = text.contains(u',') || text.contains(u'"') || text.contains(u'\n') ||
                       text.contains(u'\r') || text.trimmed() != text;
    QByteArray bytes = text.toUtf8();
    if (!quote)
        return bytes;
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

QByteArray fleetCsv(const FleetList &list)
{
    QByteArray out = kHeader + '\n';
    for (const FleetInstrument &in : list) {
        const bool usb = in.method == kMethodUsb;
        out += csvField(in.name) + ',' + fleetMethodText(in.method).toLatin1() + ',' +
               csvField(in.address) + ',' + (usb ? QByteArray() : QByteArray::number(in.port)) +
               '\n';
    }
    return out;
}

bool writeFleetCsv(const QString &path, const FleetList &list, QString *error)
{
    return writeFileAtomically(path, fleetCsv(list), error);
}

} // namespace stepvane
