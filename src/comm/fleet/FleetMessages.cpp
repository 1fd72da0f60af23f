// The one-sentence failures of the fleet transfer.
#include "comm/fleet/FleetMessages.h"

#include "instrument_files/LanguageInfo.h"

#include <initializer_list>

namespace stepvane {

namespace {

struct Cause {
    std::initializer_list<const char *> clues; // any of these, ignoring case
    const char *sentence;
};

// The causes the system, the transports and the protocol name, most telling
// first: a reset seen while a reply was awaited is still a closed connection.
const Cause kCauses[] = {
    {{"broken pipe", "connection reset", "connection was closed", "closed the connection",
      "connection closed"},
     "the instrument closed the connection"},
    {{"connection refused"},
     "the instrument refused the connection: nothing listens at that address and port"},
    {{"no route to host", "network is unreachable", "host is unreachable"},
     "the instrument cannot be reached on the network"},
    {{"cannot resolve", "no ipv6 address", "name or service not known"},
     "the instrument's address cannot be found"},
    {{"busy"}, "the instrument is busy with other connections; try again later"},
    {{"stopped taking data", "stayed full", "had not taken the whole file"},
     "the instrument stopped taking the file"},
    {{"timed out", "timeout", "did not answer in time"}, "the instrument did not answer in time"},
    {{"checksum", "malformed packet", "communication error", "too long (more than"},
     "the instrument's reply was garbled"},
    {{"no usb device is configured"}, "no USB device is configured"},
    {{"cancelled"}, "cancelled"},
};

const char *causeOf(const QString &text)
{
    for (const Cause &cause : kCauses)
        for (const char *clue : cause.clues)
            if (text.contains(QLatin1String(clue), Qt::CaseInsensitive))
                return cause.sentence;
    return nullptr;
}

// A language-table identifier ("STR_ERROR_TIMEOUT") as the words it stands for.
QString readable(const QString &text)
{
    const QString looked = GetMessageText(text, 0);
    return looked.isEmpty() ? text : looked;
}

// The first sentence of a message, to follow "failed: ".
QString firstSentence(QString text)
{
    text = text.simplified();
    const qsizetype stop = text.indexOf(QLatin1String(". "));
    if (stop > 0)
        text.truncate(stop);
    while (text.endsWith(u'.'))
        text.chop(1);
    if (!text.isEmpty() && !(text.size() > 1 && text.at(1).isUpper()))
        text[0] = text.at(0).toLower();
    return text;
}

// The message that says what went wrong: the first error, not the notices.
const Message *failureOf(const std::vector<Message> &messages)
{
    for (const Message &m : messages)
        if (m.icon != MessageIcon::Information)
            return &m;
    return messages.empty() ? nullptr : &messages.front();
}

} // namespace

QString fleetFailureSentence(const std::vector<Message> &messages, const QString &lastError)
{
    const Message *failure = failureOf(messages);
    const QString text = failure ? failure->text() : QString();
    // The system's or the protocol's words carry the cause; the message's own
    // words ("Fail to send file to EQP") only say that it failed.
    for (const QString &clue : {text, readable(lastError)})
        if (const char *sentence = causeOf(clue))
            return QString::fromLatin1(sentence);
    if (!failure)
        return QStringLiteral("the transfer failed");
    if (failure->id == QLatin1String("IDS_CONNECT_FAIL"))
        return QStringLiteral("could not connect to the instrument");
    if (failure->literal == QLatin1String("Read file Error"))
        return QStringLiteral("the wizard file could not be read");
    QString sentence = firstSentence(failure->detail.isEmpty() ? text : failure->detail);
    if (failure->literal.startsWith(QLatin1String("Fail to send file")))
        sentence = QStringLiteral("the instrument did not take the file (%1)").arg(sentence);
    return sentence;
}

} // namespace stepvane
