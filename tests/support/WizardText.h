// Wizard files for the format tests: a one-sequence wizard around hand-written
// step bodies, reading and writing with the model of the reference files, and
// a look at the first step's elements with libxml2 directly, independent of
// the reader under test.
#pragma once

#include "document/VX_CAAXML_PARSER.h"
#include "support/TestFiles.h"

#include <QStringList>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <string>
#include <vector>

namespace stepvane::test {

constexpr int kReferenceModel = 2; // VX330A, the model of the reference files

// A one-sequence wizard holding the given step bodies (Task_Step_Name onwards).
inline QByteArray wizardAround(const QStringList &stepBodies)
{
    QString xml =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<STEPVANE><Information>"
            "<InstrumentEQP DValue=\"VX330A\" LValue=\"2\"/><Application_Version DValue=\"1.2.1\"/>"
            "<FW_Version DValue=\"1.064\"/><TestingSequence_Count DValue=\"1\"/>"
            "<Title DValue=\"t\"/><SeqEndOption DValue=\"2\"/></Information>"
            "<TestingSequence_Num0><Information><InstrumentEQP DValue=\"VX330A\" LValue=\"2\"/>"
            "<Application_Version DValue=\"1.2.1\"/><FW_Version DValue=\"1.064\"/>"
            "<Task_Steps_Count DValue=\"%1\"/><Title DValue=\"s\"/></Information>")
            .arg(stepBodies.size());
    for (int i = 0; i < stepBodies.size(); ++i)
        xml += QStringLiteral("<Task_Step_Num%1>%2</Task_Step_Num%1>").arg(i).arg(stepBodies[i]);
    return (xml + QStringLiteral("</TestingSequence_Num0></STEPVANE>\n")).toUtf8();
}

inline bool saveWizard(WizardDocument &doc, const QString &path, MessageSink *sink = nullptr)
{
    VX_CAAXML_PARSER parser(&doc, kReferenceModel, sink);
    return parser.Save_Wizard(path);
}

inline int readWizard(const QString &path, WizardDocument &doc, MessageSink *sink = nullptr)
{
    VX_CAAXML_PARSER parser(&doc, kReferenceModel, sink);
    return parser.Read_Wizard_File(path);
}

// The records of the only sequence; none when the wizard holds another number.
inline std::vector<TaskRecord> recordsOf(const WizardDocument &doc)
{
    std::vector<TaskRecord> out;
    if (doc.sequenceCount() == 1)
        for (const auto &step : doc.sequence(0)->steps)
            out.push_back(step->record);
    return out;
}

namespace detail {
inline QString xmlText(const xmlChar *s)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(s));
}

// Calls fn with the element at "A/B/C" below the first step, or with null.
template <typename Fn> auto atFirstStep(const QString &file, const QString &path, Fn fn)
{
    const QByteArray bytes = readAll(file);
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                      XML_PARSE_NONET | XML_PARSE_HUGE),
        xmlFreeDoc);
    const xmlNode *node = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    for (const QString &piece : (QStringLiteral("TestingSequence_Num0/Task_Step_Num0/") + path)
                                    .split(u'/', Qt::SkipEmptyParts)) {
        const xmlNode *child = node ? node->children : nullptr;
        while (child && !(child->type == XML_ELEMENT_NODE && xmlText(child->name) == piece))
            child = child->next;
        node = child;
    }
    return fn(node);
}
} // namespace detail

// "name=value;..." for the attributes of the element at "A/B" below the first
// step, in document order; "<missing>" when there is no such element.
inline std::string stepAttributes(const QString &file, const QString &path)
{
    return detail::atFirstStep(file, path, [](const xmlNode *node) {
        if (!node)
            return std::string("<missing>");
        QStringList out;
        for (const xmlAttr *a = node->properties; a; a = a->next) {
            xmlChar *v = xmlNodeListGetString(node->doc, a->children, 1);
            out << detail::xmlText(a->name) + u'=' + detail::xmlText(v);
            xmlFree(v);
        }
        return out.join(u';').toStdString();
    });
}

// The names of the child elements of the element at "A/B" below the first step.
inline QStringList stepChildren(const QString &file, const QString &path = {})
{
    return detail::atFirstStep(file, path, [](const xmlNode *node) {
        QStringList out;
        for (const xmlNode *c = node ? node->children : nullptr; c; c = c->next)
            if (c->type == XML_ELEMENT_NODE)
                out << detail::xmlText(c->name);
        return out;
    });
}

} // namespace stepvane::test
