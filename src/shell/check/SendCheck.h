// The check that runs before a wizard file goes to the instrument: the file
// is read for the model it was made for and checked; when it has errors, or
// cannot be read as a wizard at all, the user is asked whether to send it
// anyway. A file without errors goes without a question.
#pragma once

#include <QString>

class QWidget;

namespace stepvane {

class UserInterface;

// True when the file may be sent.
bool confirmSendAfterCheck(UserInterface &ui, const QString &path, QWidget *parent);

} // namespace stepvane
