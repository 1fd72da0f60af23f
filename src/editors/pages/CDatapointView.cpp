// The data point page.
#include "editors/pages/CDatapointView.h"

#include <QGridLayout>

namespace stepvane {

CDatapointView::CDatapointView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskDataPoint, kDefaultSize, parent)
{
    // Two rows: 126, 251 and 501, then 1001 and 2001. A count no button
    // has leaves them all clear.
    auto *buttons = new QWidget(this);
    auto *layout = new QGridLayout(buttons);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(24);
    constexpr int kPerRow = 3;
    const std::vector<int> &counts = dataPointCounts();
    for (size_t i = 0; i < counts.size(); ++i) {
        CKiteToggleButton *button = radioButton(QString::number(counts[i]));
        layout->addWidget(button, int(i) / kPerRow, int(i) % kPerRow);
        bindRadio(button, &DataPointTask::Param, counts[i]);
    }
    layout->setColumnStretch(kPerRow, 1);
    PageGrid *grid = addGrid(QStringLiteral("Data points"));
    grid->addWide(buttons);
}

} // namespace stepvane
