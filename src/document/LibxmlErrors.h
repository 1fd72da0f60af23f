// Keeps libxml2's error lines off stderr while one of our calls runs.
#pragma once

#include <QByteArray>
#include <QString>

#include <libxml/globals.h>
#include <libxml/xmlerror.h>

#include <cstdarg>
#include <cstdio>

namespace stepvane {

// libxml2 prints its errors ("I/O error : write error") to stderr unless told
// otherwise. While one of our calls runs, its errors on this thread (libxml2
// keeps the handlers per thread) are collected here instead, so that only
// the caller decides what the user sees.
class LibxmlErrors {
public:
    LibxmlErrors()
        : m_oldGeneric(xmlGenericError), m_oldGenericContext(xmlGenericErrorContext),
          m_oldStructured(xmlStructuredError), m_oldStructuredContext(xmlStructuredErrorContext)
    {
        xmlSetGenericErrorFunc(this, &LibxmlErrors::generic);
        xmlSetStructuredErrorFunc(this, &LibxmlErrors::structured);
    }
    ~LibxmlErrors()
    {
        xmlSetGenericErrorFunc(m_oldGenericContext, m_oldGeneric);
        xmlSetStructuredErrorFunc(m_oldStructuredContext, m_oldStructured);
    }
    LibxmlErrors(const LibxmlErrors &) = delete;
    LibxmlErrors &operator=(const LibxmlErrors &) = delete;

    QString text() const { return QString::fromUtf8(m_text).simplified(); }
    // The first message alone: the ones after it mostly follow from it.
    QString firstLine() const
    {
        return QString::fromUtf8(m_text)
            .section(u'\n', 0, 0, QString::SectionSkipEmpty)
            .simplified();
    }

private:
    static void generic(void *context, const char *format, ...)
    {
        char line[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        static_cast<LibxmlErrors *>(context)->append(line);
    }
    static void structured(void *context, xmlErrorPtr error)
    {
        if (error && error->message)
            static_cast<LibxmlErrors *>(context)->append(error->message);
    }
    void append(const char *text)
    {
        if (m_text.size() < 4096)
            m_text += text;
    }

    QByteArray m_text;
    xmlGenericErrorFunc m_oldGeneric;
    void *m_oldGenericContext;
    xmlStructuredErrorFunc m_oldStructured;
    void *m_oldStructuredContext;
};

} // namespace stepvane
