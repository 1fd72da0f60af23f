// How the core reports to the user without knowing about windows: a message is
// either a language-table identifier or a literal text, with arguments, and an
// icon kind. The GUI shows message boxes, the CLI prints lines, tests collect.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace stepvane {

enum class MessageIcon { Error, Warning, Information, Question };

struct Message {
    QString id;      // language-table identifier, or empty for a literal text
    QString literal; // used when id is empty; may hold printf-style %s placeholders
    QStringList args;
    MessageIcon icon = MessageIcon::Error;
    // What the system said about a failure ("No space left on device"),
    // shown on a line of its own below the text; empty for most messages.
    QString detail;

    static Message fromId(const QString &id, QStringList args = {},
                          MessageIcon icon = MessageIcon::Error);
    static Message fromText(const QString &text, QStringList args = {},
                            MessageIcon icon = MessageIcon::Warning);
    Message withDetail(const QString &text) const;

    // The text to show: the language entry (language 0) or the literal, with
    // every %s replaced by the next argument in turn, then the detail line.
    QString text() const;
};

// Replaces each "%s" in the format by the next argument; "%%" stays a single %.
QString formatMessage(const QString &format, const QStringList &args);

// Where Message::text() finds the text of an identifier. The language table
// lives above this floor, so it installs itself here when it is loaded;
// until then an identifier's text is empty.
using MessageTextLookup = QString (*)(const QString &id);
void setMessageTextLookup(MessageTextLookup lookup);

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void report(const Message &message) = 0;
    // A yes/no question; sinks without a user answer "no".
    virtual bool ask(const Message &) { return false; }
};

// Drops everything; the default where a caller gives no sink.
class NullMessageSink : public MessageSink {
public:
    void report(const Message &) override {}
};

// Keeps every message; for tests and for callers that decide later what to show.
class CollectingMessageSink : public MessageSink {
public:
    void report(const Message &message) override { messages.push_back(message); }
    std::vector<Message> messages;
    QStringList texts() const;
    QStringList ids() const;
};

NullMessageSink &nullSink();

} // namespace stepvane
