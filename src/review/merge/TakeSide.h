// Taking one side's value for a conflict the merge listed: the field (or
// picture slot "ImageNum_2", or marker "Num3") of a record set to its value
// in another record of the same kind.
#pragma once

#include "document/WizardDocument.h"

#include <QString>

namespace stepvane {

// Sets record's field to its value in from. False (record unchanged) when
// the records are of different kinds or neither has such a field. A slot
// from lacks is removed from record; one record lacks is added at its end.
bool copyRecordField(TaskRecord &record, const TaskRecord &from, const QString &field);

} // namespace stepvane
