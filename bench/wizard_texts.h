// Hand-made wizard texts for the benchmarks: the frame elements, and the
// densest file the reader's shape limits let through (hostile inputs build
// on the same pieces).
#pragma once

#include "document/WizardDocument.h"

#include <QByteArray>

namespace stepvane::bench {

inline QByteArray number(qint64 n)
{
    return QByteArray::number(n);
}

inline QByteArray wizardHeader(qint64 sequences, const QByteArray &titleExtra = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<STEPVANE><Information>"
           "<InstrumentEQP DValue=\"VX330A\" LValue=\"2\"/><Application_Version DValue=\"1.2.1\"/>"
           "<FW_Version DValue=\"1.064\"/><TestingSequence_Count DValue=\"" +
           number(sequences) + "\"/><Title DValue=\"t\"" + titleExtra +
           "/><SeqEndOption DValue=\"2\"/></Information>";
}

inline QByteArray sequenceOpen(qint64 index, qint64 declaredSteps)
{
    return "<TestingSequence_Num" + number(index) +
           "><Information><InstrumentEQP DValue=\"VX330A\" LValue=\"2\"/>"
           "<Application_Version DValue=\"1.2.1\"/><FW_Version DValue=\"1.064\"/>"
           "<Task_Steps_Count DValue=\"" +
           number(declaredSteps) +
           "\"/><Title DValue=\"s\"/><File_Name DValue=\"\"/></Information>";
}

inline QByteArray sequenceClose(qint64 index)
{
    return "</TestingSequence_Num" + number(index) + ">";
}

inline QByteArray holdStep(qint64 n, const QByteArray &inside = {})
{
    return "<Task_Step_Num" + number(n) +
           "><Task_Step_Name DValue=\"Hold\"/><Description DValue=\"freeze the trace\"/>" + inside +
           "</Task_Step_Num" + number(n) + ">";
}

inline QByteArray manyAttributes(int count)
{
    QByteArray attributes;
    for (int i = 0; i < count; ++i)
        attributes += " a" + number(i) + "=\"x\"";
    return wizardHeader(0, attributes) + "</STEPVANE>";
}

inline QByteArray manySequences(int count, int stepsEach)
{
    QByteArray out = wizardHeader(count);
    for (int i = 0; i < count; ++i) {
        out += sequenceOpen(i, stepsEach + 1);
        for (int n = 0; n < stepsEach; ++n)
            out += holdStep(n);
        out += sequenceClose(i);
    }
    return out + "</STEPVANE>";
}

inline QByteArray manySteps(int count, qint64 declared)
{
    QByteArray out = wizardHeader(1) + sequenceOpen(0, declared);
    for (int n = 0; n < count; ++n)
        out += holdStep(n);
    return out + sequenceClose(0) + "</STEPVANE>";
}

inline QByteArray oneStepWith(const QByteArray &inside)
{
    return wizardHeader(1) + sequenceOpen(0, 2) + holdStep(0, inside) + sequenceClose(0) +
           "</STEPVANE>";
}

// About as many elements as the shape limits let through: 100 sequences of
// 100 steps, each step with 120 small elements of its own.
inline QByteArray densestAllowed()
{
    const QByteArray inside = QByteArray("<x><y/></x>").repeated(60);
    QByteArray out = wizardHeader(kMaxSequences);
    for (int i = 0; i < kMaxSequences; ++i) {
        out += sequenceOpen(i, kMaxSteps + 1);
        for (int n = 0; n < kMaxSteps; ++n)
            out += holdStep(n, inside);
        out += sequenceClose(i);
    }
    return out + "</STEPVANE>";
}

} // namespace stepvane::bench
