// Fixed name tables of the wizard: model names, task kind names and groups,
// and the tables the file writer maps codes through.
#pragma once

#include "document/WizardDocument.h"

#include <QString>
#include <QStringList>

#include <initializer_list>

namespace stepvane {

constexpr int kModelCount = 4;
constexpr int kUnknownModel = 4;

// "VX310A".."VX340A"; any other index is "Unknown Equipment".
QString modelName(int modelIndex);

QString taskStoredName(TaskKind kind); // the Task_Step_Name text; empty for unstorable kinds
QString taskListName(TaskKind kind);   // the task list label
TaskGroup taskGroup(TaskKind kind);
// Case-sensitive; an unknown name gives TaskUnknown.
TaskKind kindFromStoredName(const QString &name);

const QStringList &MeasurementNameTable(); // 23 entries
const QStringList &LayoutNameTable();      // 10 entries
const QStringList &OutputFormatTable();    // 11 entries

// Text of a Measure_Mode code 0..11; empty when the code has none.
QString measurementText(int code);
// Entry of a table, or empty when the index is outside it.
QString tableEntry(const QStringList &table, int index);
// The text of a code in a table whose first entry has firstCode; a null text
// when the code has none (the writer then stores only the code).
QString entryOrNull(std::initializer_list<const char *> texts, int code, int firstCode);
// "Automation" for 1, "Manual" for 2, else null.
QString automationManual(int mode);

inline const QString kApplicationVersion = QStringLiteral("1.2.1");
inline const QString kFirmwareVersion = QStringLiteral("1.064");

} // namespace stepvane
