// The fiber inspection page.
#include "editors/pages/CFiberView.h"

namespace stepvane {

CFiberView::CFiberView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskFiber, kDefaultSize, parent)
{
    PageGrid *grid = addGrid();
    auto *profiles = named(new QComboBox(this), "Profile");
    profiles->addItems(fiberProfiles());
    auto *tips = named(new QComboBox(this), "Tip");
    grid->addRow(QStringLiteral("Profile"), profiles);
    grid->addRow(QStringLiteral("Tip"), tips);
    bindCombo(profiles, &FiberTask::Profile);
    listFrom(tips, [](const FiberTask &r) { return fiberTips(r.Profile); });
    bindCombo(tips, &FiberTask::Tip);
}

} // namespace stepvane
