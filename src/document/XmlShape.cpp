// The one-pass shape check of XML text before it is parsed.
#include "document/XmlShape.h"

#include "document/WizardDocument.h"
#include "document/XmlIo.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace stepvane {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Walks the markup only: text between tags is passed over with memchr, so
// the large base64 texts of embedded files cost next to nothing.
class ShapeScanner {
public:
    static QString malformed() { return QStringLiteral("the markup is not well-formed"); }

    ShapeScanner(const char *data, qint64 size, const XmlShapeLimits &limits,
                 const std::vector<SkippedText> *skipped)
        : m_data(data), m_p(data), m_end(data + size), m_limits(limits), m_skipped(skipped)
    {
        m_stack.reserve(size_t(std::clamp(limits.maxDepth, 0, 32)) + 1);
        m_stack.emplace_back(); // the document itself
    }

    QString run()
    {
        while (m_p < m_end) {
            jumpSkipped();
            const auto *lt = static_cast<const char *>(std::memchr(m_p, '<', size_t(m_end - m_p)));
            if (!lt)
                break;
            m_p = lt + 1;
            if (m_p >= m_end)
                return malformed();
            QString problem;
            if (*m_p == '?')
                problem = skipPast("?>");
            else if (*m_p == '!')
                problem = declaration();
            else if (*m_p == '/')
                problem = endTag();
            else
                problem = startTag();
            if (!problem.isEmpty())
                return problem;
        }
        return m_stack.size() == 1 ? QString() : QStringLiteral("the text ends inside an element");
    }

private:
    // A skipped stretch holds no '<' and ends at one: the search for the
    // next '<' may start at its end.
    void jumpSkipped()
    {
        if (!m_skipped)
            return;
        const size_t at = size_t(m_p - m_data);
        while (m_nextSkipped < m_skipped->size() && (*m_skipped)[m_nextSkipped].end <= at)
            ++m_nextSkipped;
        if (m_nextSkipped < m_skipped->size() && (*m_skipped)[m_nextSkipped].begin == at)
            m_p = m_data + (*m_skipped)[m_nextSkipped].end;
    }

    struct Frame {
        int children = 0;
        std::array<int, XmlShapeLimits::kMaxCounted> counted{};
    };

    bool startsWith(const char *text) const
    {
        const size_t n = std::strlen(text);
        return size_t(m_end - m_p) >= n && std::memcmp(m_p, text, n) == 0;
    }

    QString skipPast(const char *terminator)
    {
        const size_t n = std::strlen(terminator);
        const void *hit = memmem(m_p, size_t(m_end - m_p), terminator, n);
        if (!hit)
            return malformed();
        m_p = static_cast<const char *>(hit) + n;
        return QString();
    }

    QString declaration()
    {
        if (startsWith("!--"))
            return skipPast("-->");
        if (startsWith("![CDATA["))
            return skipPast("]]>");
        return QStringLiteral("a document type declaration");
    }

    QString endTag()
    {
        const auto *gt = static_cast<const char *>(std::memchr(m_p, '>', size_t(m_end - m_p)));
        if (!gt || m_stack.size() <= 1)
            return malformed();
        m_p = gt + 1;
        m_stack.pop_back();
        return QString();
    }

    void skipSpaces()
    {
        while (m_p < m_end && isSpace(*m_p))
            ++m_p;
    }

    QString startTag()
    {
        const char *name = m_p;
        while (m_p < m_end && !isSpace(*m_p) && *m_p != '>' && *m_p != '/')
            ++m_p;
        const size_t nameLength = size_t(m_p - name);
        if (nameLength == 0)
            return malformed();
        for (int attributes = 0;;) {
            skipSpaces();
            if (m_p >= m_end)
                return malformed();
            if (*m_p == '>') {
                ++m_p;
                return openElement(name, nameLength, false);
            }
            if (*m_p == '/') {
                if (m_end - m_p < 2 || m_p[1] != '>')
                    return malformed();
                m_p += 2;
                return openElement(name, nameLength, true);
            }
            if (!skipAttribute())
                return malformed();
            if (++attributes > m_limits.maxAttributes)
                return QStringLiteral("more than %1 attributes on one element")
                    .arg(m_limits.maxAttributes);
        }
    }

    // name = "value" or name = 'value'
    bool skipAttribute()
    {
        while (m_p < m_end && !isSpace(*m_p) && *m_p != '=' && *m_p != '>' && *m_p != '/')
            ++m_p;
        skipSpaces();
        if (m_p >= m_end || *m_p != '=')
            return false;
        ++m_p;
        skipSpaces();
        if (m_p >= m_end || (*m_p != '"' && *m_p != '\''))
            return false;
        const char quote = *m_p++;
        const auto *close = static_cast<const char *>(std::memchr(m_p, quote, size_t(m_end - m_p)));
        if (!close)
            return false;
        m_p = close + 1;
        return true;
    }

    QString openElement(const char *name, size_t length, bool empty)
    {
        Frame &parent = m_stack.back();
        const int counted = countedIndex(name, length);
        if (counted >= 0) {
            const XmlShapeLimits::Counted &rule = m_limits.counted[size_t(counted)];
            if (++parent.counted[size_t(counted)] > rule.max)
                return QStringLiteral("more than %1 %2 elements in one element")
                    .arg(rule.max)
                    .arg(QString::fromLatin1(rule.prefix));
        } else if (m_limits.maxChildren > 0 && ++parent.children > m_limits.maxChildren) {
            return QStringLiteral("more than %1 child elements in one element")
                .arg(m_limits.maxChildren);
        }
        if (++m_elements > m_limits.maxElements)
            return QStringLiteral("more than %1 elements").arg(m_limits.maxElements);
        if (empty)
            return QString();
        if (qsizetype(m_stack.size()) > m_limits.maxDepth)
            return QStringLiteral("elements nested deeper than %1 levels").arg(m_limits.maxDepth);
        m_stack.emplace_back();
        return QString();
    }

    int countedIndex(const char *name, size_t length) const
    {
        for (size_t k = 0; k < m_limits.counted.size() && k < XmlShapeLimits::kMaxCounted; ++k) {
            const QByteArray &prefix = m_limits.counted[k].prefix;
            if (length >= size_t(prefix.size()) &&
                std::memcmp(name, prefix.constData(), size_t(prefix.size())) == 0)
                return int(k);
        }
        return -1;
    }

    const char *m_data;
    const char *m_p;
    const char *m_end;
    const XmlShapeLimits &m_limits;
    const std::vector<SkippedText> *m_skipped;
    size_t m_nextSkipped = 0;
    std::vector<Frame> m_stack;
    qint64 m_elements = 0;
};

} // namespace

XmlShapeLimits XmlShapeLimits::wizard()
{
    XmlShapeLimits limits;
    // The writer puts at most four attributes on an element (DValue, LValue
    // and the two of a base64 element), nests six levels and gives a step
    // about fifteen children.
    limits.maxAttributes = 16;
    limits.maxDepth = 16;
    limits.maxChildren = 64;
    limits.counted = {{QByteArrayLiteral("TestingSequence_Num"), kMaxSequences},
                      {QByteArrayLiteral("Task_Step_Num"), kMaxSteps + 1}};
    // Every step of a full wizard with room for the largest step kind (a
    // marker step with all its pictures has about 120 elements).
    limits.maxElements = qint64(kMaxSequences) * (kMaxSteps + 2) * 128 + 1024;
    return limits;
}

QString xmlShapeProblem(const char *data, qint64 size, const XmlShapeLimits &limits,
                        const std::vector<SkippedText> *skipped)
{
    return ShapeScanner(data, size, limits, skipped).run();
}

bool isMalformedOnly(const QString &problem)
{
    return problem == ShapeScanner::malformed();
}

} // namespace stepvane
