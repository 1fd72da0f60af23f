// Opens the task editor on one sequence, modally, placed beside the main
// window. The sequence pane calls this on a double click.
#pragma once

#include <functional>

class QWidget;

namespace stepvane {

struct AppState;
struct TestingSequence;
struct WizardDocument;
class UserInterface;

// onTitleChanged is called while the editor runs whenever the sequence title
// changed, so the sequence rows follow the typing. initialStep, when given,
// is selected with its page shown as the editor opens.
void runTaskEditor(AppState &state, UserInterface &ui, WizardDocument &document,
                   TestingSequence *sequence, QWidget *mainWindow,
                   const std::function<void()> &onTitleChanged, int initialStep = -1);

} // namespace stepvane
