// Names the readers look up in a libxml2 tree, as UTF-8 without a heap
// allocation for the short ASCII names of the formats.
#pragma once

#include <QByteArray>
#include <QStringView>

#include <libxml/tree.h>

#include <cstring>

namespace stepvane {

// A name the readers look up (an element or attribute name of the format)
// as UTF-8, in a buffer on the stack when it is short ASCII: a wizard's read
// looks names up hundreds of thousands of times.
class Utf8Name {
public:
    explicit Utf8Name(QStringView name)
    {
        if (name.size() < qsizetype(sizeof m_small)) {
            qsizetype i = 0;
            for (; i < name.size() && name[i].unicode() < 0x80; ++i)
                m_small[i] = char(name[i].unicode());
            if (i == name.size()) {
                m_small[i] = '\0';
                m_data = m_small;
                m_size = size_t(i);
                return;
            }
        }
        m_long = name.toUtf8();
        m_data = m_long.constData();
        m_size = size_t(m_long.size());
    }
    Utf8Name(const Utf8Name &) = delete;
    Utf8Name &operator=(const Utf8Name &) = delete;
    const xmlChar *text() const { return reinterpret_cast<const xmlChar *>(m_data); }
    // Whether an attribute's name, with its prefix when it has one, is this.
    bool names(const xmlAttr *attr) const
    {
        const char *local = reinterpret_cast<const char *>(attr->name);
        if (!attr->ns || !attr->ns->prefix)
            return std::strcmp(m_data, local) == 0;
        const char *prefix = reinterpret_cast<const char *>(attr->ns->prefix);
        const size_t length = std::strlen(prefix);
        return length < m_size && std::strncmp(m_data, prefix, length) == 0 &&
               m_data[length] == ':' && std::strcmp(m_data + length + 1, local) == 0;
    }

private:
    char m_small[64];
    QByteArray m_long;
    const char *m_data = nullptr;
    size_t m_size = 0;
};

} // namespace stepvane
