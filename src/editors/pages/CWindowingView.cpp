// The windowing page.
#include "editors/pages/CWindowingView.h"

namespace stepvane {

CWindowingView::CWindowingView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskWindowing, kDefaultSize, parent)
{
    PageGrid *grid = addGrid(QStringLiteral("Window"));
    const QStringList &names = windowingNames();
    for (int position = 0; position < names.size(); ++position) {
        CKiteToggleButton *button = radioButton(names.at(position));
        grid->addWide(button);
        bindRadio(button, &WindowingTask::Param, position);
    }
}

} // namespace stepvane
