// The export folder and the page frame shared by the web pages.
#include "summary/walkthrough/HtmlPage.h"

#include "common/AtomicFile.h"
#include "document/Sha256.h"
#include "document/WorkingCopies.h"
#include "document/WorkingCopyDigests.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace stepvane {

namespace {

const char *const kStyle = R"(
body { font-family: "DejaVu Sans", Arial, sans-serif; margin: 1.5em; color: #202020; }
h1 { font-size: 1.6em; margin-bottom: 0.3em; }
h2 { font-size: 1.3em; border-bottom: 2px solid #3a6ea5; padding-bottom: 0.2em; }
h3 { font-size: 1.1em; margin: 0 0 0.4em 0; }
table.facts th { text-align: left; padding-right: 1em; font-weight: normal; color: #505050; }
table.facts td { font-family: monospace; word-break: break-all; }
.step { border: 1px solid #c8c8c8; border-radius: 4px; padding: 0.6em 0.9em; margin: 0.8em 0; }
.description { font-style: italic; color: #404040; }
.line { margin: 0.5em 0; }
.line img, .entry img, .pictures img { max-width: 360px; max-height: 240px; border: 1px solid #c8c8c8;
  display: block; margin-top: 0.3em; }
.advance { color: #3a6ea5; }
.passes { color: #1d7a2e; font-weight: bold; }
.fails { color: #b02020; font-weight: bold; }
.warning { color: #8a5a00; }
.finding-error { color: #b02020; }
.finding-warning { color: #8a5a00; }
.missing { color: #b02020; }
.added { border-left: 6px solid #1d7a2e; }
.removed { border-left: 6px solid #b02020; }
.moved { border-left: 6px solid #3a6ea5; }
.changed { border-left: 6px solid #8a5a00; }
table.values { border-collapse: collapse; }
table.values th { text-align: left; }
table.values th, table.values td { border: 1px solid #c8c8c8; padding: 0.2em 0.5em; vertical-align: top; }
.pictures td { vertical-align: top; padding-right: 1em; }
@media print {
  body { margin: 0; }
  .contents { page-break-after: always; }
  .sequence { page-break-before: always; break-before: page; }
  .step { page-break-inside: avoid; break-inside: avoid; }
  a { color: inherit; text-decoration: none; }
}
)";

} // namespace

QString htmlEscape(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        case u'\'':
            out += QLatin1String("&#39;");
            break;
        default:
            // Control characters (C0, DEL and C1) are not allowed in an HTML
            // page; a browser would show C1 ones as Windows-1252 letters.
            if ((c.unicode() < 0x20 && c != u'\n' && c != u'\t') ||
                (c.unicode() >= 0x7f && c.unicode() <= 0x9f) || c.unicode() == 0xfffe ||
                c.unicode() == 0xffff)
                break;
            out += c;
        }
    }
    return out;
}

namespace {

// What htmlEscape drops (see there).
bool droppedFromPage(char16_t u)
{
    return (u < 0x20 && u != u'\n' && u != u'\t') || (u >= 0x7f && u <= 0x9f) || u == 0xfffe ||
           u == 0xffff;
}

template <size_t N> char *put(char *cursor, const char (&text)[N])
{
    std::memcpy(cursor, text, N - 1);
    return cursor + N - 1;
}

} // namespace

void appendHtmlEscaped(QByteArray &page, QStringView text)
{
    // What QString::toUtf8 writes for a surrogate without its partner.
    static const QByteArray lone = QString(QChar(0xd800)).toUtf8();
    // Room for the worst case: six bytes a unit ("&quot;"), a lone surrogate's
    // mark at most as long; cut to what was written.
    const qsizetype start = page.size();
    page.resize(start + text.size() * std::max<qsizetype>(6, lone.size()));
    char *cursor = page.data() + start;
    const char16_t *src = text.utf16();
    const char16_t *const end = src + text.size();
    while (src != end) {
        const char16_t u = *src++;
        if (droppedFromPage(u))
            continue;
        if (u < 0x80) {
            switch (u) {
            case u'&':
                cursor = put(cursor, "&amp;");
                break;
            case u'<':
                cursor = put(cursor, "&lt;");
                break;
            case u'>':
                cursor = put(cursor, "&gt;");
                break;
            case u'"':
                cursor = put(cursor, "&quot;");
                break;
            case u'\'':
                cursor = put(cursor, "&#39;");
                break;
            default:
                *cursor++ = char(u);
            }
        } else if (u < 0x800) {
            *cursor++ = char(0xc0 | (u >> 6));
            *cursor++ = char(0x80 | (u & 0x3f));
        } else if (u < 0xd800 || u > 0xdfff) {
            *cursor++ = char(0xe0 | (u >> 12));
            *cursor++ = char(0x80 | ((u >> 6) & 0x3f));
            *cursor++ = char(0x80 | (u & 0x3f));
        } else {
            // A dropped character between the halves of a pair leaves them
            // side by side in the escaped text: they still make one character.
            const char16_t *low = src;
            while (low != end && droppedFromPage(*low))
                ++low;
            if (u < 0xdc00 && low != end && *low >= 0xdc00 && *low <= 0xdfff) {
                const char32_t c = 0x10000 + ((char32_t(u) - 0xd800) << 10) + (*low - 0xdc00);
                *cursor++ = char(0xf0 | (c >> 18));
                *cursor++ = char(0x80 | ((c >> 12) & 0x3f));
                *cursor++ = char(0x80 | ((c >> 6) & 0x3f));
                *cursor++ = char(0x80 | (c & 0x3f));
                src = low + 1;
            } else {
                std::memcpy(cursor, lone.constData(), size_t(lone.size()));
                cursor += lone.size();
            }
        }
    }
    page.truncate(cursor - page.constData());
}

QString htmlPageStart(const QString &title)
{
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
               "<meta http-equiv=\"Content-Security-Policy\" content=\"script-src 'none'; "
               "object-src 'none'; base-uri 'none'; form-action 'none'\">\n"
               "<title>%1</title>\n<style>%2</style>\n</head>\n<body>\n")
        .arg(htmlEscape(title), QString::fromLatin1(kStyle));
}

QString htmlPageEnd()
{
    return QStringLiteral("</body>\n</html>\n");
}

QString fileSha256(const QString &path)
{
    return QString::fromLatin1(sha256OfFile(path).toHex());
}

QString safeExportName(const QString &name)
{
    QString safe = safeFileName(name);
    for (QChar &c : safe)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'.' && c != u'-' && c != u'_')
            c = u'_';
    // No hidden files and no name of dots only.
    while (safe.startsWith(u'.'))
        safe[0] = u'_';
    if (safe.size() > 80)
        safe = safe.right(80);
    return safe.isEmpty() ? QStringLiteral("file") : safe;
}

HtmlExportFolder::HtmlExportFolder(const QString &dir) : m_dir(dir) {}

HtmlExportFolder::~HtmlExportFolder() = default;

bool HtmlExportFolder::prepare()
{
    if (!m_dir.open()) {
        m_error = m_dir.error();
        return false;
    }
    m_files = m_dir.subfolder(QStringLiteral("files"));
    if (!m_files) {
        m_error = m_dir.error();
        return false;
    }
    return true;
}

QString HtmlExportFolder::addFile(const QString &sourcePath, const QString &name)
{
    if (const auto it = m_copied.constFind(sourcePath); it != m_copied.constEnd())
        return *it;
    // Held in memory by a read-only command, or the editor's file on disk:
    // either way the bytes go straight into DIR/files.
    const std::optional<QByteArray> bytes = workingCopyBytes(sourcePath);
    if (!bytes) {
        m_problems << QStringLiteral("%1: the attached file cannot be read").arg(name);
        return QString();
    }
    const QString fileName = QStringLiteral("%1-%2")
                                 .arg(++m_next, 3, 10, QLatin1Char('0'))
                                 .arg(safeExportName(name.isEmpty() ? sourcePath : name));
    QString error;
    if (!m_files || !m_files->writeFile(fileName, *bytes, &error, SyncToDisk::No)) {
        m_problems << (m_files ? error : m_error);
        return QString();
    }
    const QString link = QStringLiteral("files/") + fileName;
    m_copied.insert(sourcePath, link);
    return link;
}

WebPageResult HtmlExportFolder::finishUtf8(QByteArray page)
{
    page += htmlPageEnd().toUtf8();
    if (m_dir.isOpen() && m_dir.writeFile(QStringLiteral("index.html"), page, &m_error))
        return {true, QString(), m_problems};
    if (m_error.isEmpty())
        m_error = m_dir.error();
    return result();
}

WebPageResult HtmlExportFolder::finish(QString html)
{
    return finishUtf8(std::move(html).toUtf8());
}

} // namespace stepvane
