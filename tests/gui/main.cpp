// The dialogs under test are real widgets: the same program set-up as the
// other widget-driving test folders.
#include "support/WidgetTestMain.cpp"
