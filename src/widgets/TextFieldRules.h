// What every text field of the editor may hold. A wizard file cannot keep
// most control characters, U+FFFE, U+FFFF or a lone surrogate, so a field
// refuses them however they come (typed, pasted, dropped) and says so in a
// note; the rest of the text stays. Fields whose text the wizard limits in
// length show their count ("72 / 90") while they have the focus and stop at
// the limit with a note, so nothing modal ever interrupts typing.
#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace stepvane {

// The note a field shows when it drops such characters.
QString unsafeTextNote();
// The note a field shows when it stops at its limit.
QString lengthLimitNote(int maxLength);

// The field drops characters a wizard cannot hold. A field with a validator
// of its own (addresses, numbers of other dialogs) is left as it is.
void keepWizardText(QLineEdit *field);
// keepWizardText for every text field inside root.
void keepWizardTextIn(QWidget *root);

// The field holds at most maxLength characters (UTF-16 units), shows its
// count while it has the focus and notes when it stops.
void limitLength(QLineEdit *field, int maxLength);
// The count the field shows ("72 / 90"), empty when it shows none.
QString shownLengthCount(const QLineEdit *field);

} // namespace stepvane
