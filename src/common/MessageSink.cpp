// Message formatting and the simple sinks.
#include "common/MessageSink.h"

#include <atomic>

namespace stepvane {

namespace {
std::atomic<MessageTextLookup> g_lookup{nullptr};
} // namespace

void setMessageTextLookup(MessageTextLookup lookup)
{
    g_lookup.store(lookup);
}

Message Message::fromId(const QString &id, QStringList args, MessageIcon icon)
{
    Message m;
    m.id = id;
    m.args = std::move(args);
    m.icon = icon;
    return m;
}

Message Message::fromText(const QString &text, QStringList args, MessageIcon icon)
{
    Message m;
    m.literal = text;
    m.args = std::move(args);
    m.icon = icon;
    return m;
}

Message Message::withDetail(const QString &text) const
{
    Message m = *this;
    m.detail = text;
    return m;
}

QString formatMessage(const QString &format, const QStringList &args)
{
    QString out;
    out.reserve(format.size() + 32);
    int next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'%' && i + 1 < format.size()) {
            const QChar n = format.at(i + 1);
            if (n == u's') {
                out += next < args.size() ? args.at(next) : QString();
                ++next;
                ++i;
                continue;
            }
            if (n == u'%') {
                out += u'%';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString Message::text() const
{
    const MessageTextLookup lookup = g_lookup.load();
    const QString format = !id.isEmpty() ? (lookup ? lookup(id) : QString()) : literal;
    QString out = formatMessage(format, args);
    if (!detail.isEmpty()) {
        if (!out.isEmpty() && !out.endsWith(u'\n'))
            out += u'\n';
        out += detail;
    }
    return out;
}

QStringList CollectingMessageSink::texts() const
{
    QStringList out;
    for (const auto &m : messages)
        out << m.text();
    return out;
}

QStringList CollectingMessageSink::ids() const
{
    QStringList out;
    for (const auto &m : messages)
        out << (m.id.isEmpty() ? m.literal : m.id);
    return out;
}

NullMessageSink &nullSink()
{
    static NullMessageSink sink;
    return sink;
}

} // namespace stepvane
