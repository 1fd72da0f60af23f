// The measure mode page.
#include "editors/pages/CMeasureModeView.h"

#include <QComboBox>
#include <QFormLayout>

namespace stepvane {

namespace {
constexpr int kFirstTwoPort = 6;
constexpr int kTwoPortCount = 2;
} // namespace

const QStringList &CMeasureModeView::measurementList()
{
    static const QStringList list = {"Reflection VSWR",
                                     "Reflection Return Loss",
                                     "DTF VSWR",
                                     "DTF Return Loss",
                                     "1 Port Cable Loss",
                                     "1 Port Phase",
                                     "2 Port Transmission",
                                     "2 Port Phase",
                                     "Smith Chart",
                                     "RF Power",
                                     "Optical Power",
                                     "Fiber Inspection"};
    return list;
}

int CMeasureModeView::positionOf(int modelIndex, int measurement)
{
    if (measurement < 0 || measurement >= measurementList().size())
        return -1;
    if (!hasShortList(modelIndex) || measurement < kFirstTwoPort)
        return measurement;
    // A 2-port measurement has no entry in the short list; showing the entry
    // two places down would name a different measurement, so none is shown.
    if (measurement < kFirstTwoPort + kTwoPortCount)
        return -1;
    return measurement - kTwoPortCount;
}

int CMeasureModeView::measurementAt(int modelIndex, int position)
{
    if (hasShortList(modelIndex) && position >= kFirstTwoPort)
        return position + kTwoPortCount;
    return position;
}

CMeasureModeView::CMeasureModeView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskMeasureMode, kDefaultSize, parent), m_modes(new QComboBox(this))
{
    m_modes->setObjectName(QStringLiteral("selectMode"));
    form()->addRow(QStringLiteral("Select mode"), m_modes);
    buildList(context.state.CurrentModelIndex);
    bindCombo(
        m_modes, &MeasureModeTask::Measurement,
        [this](int position) { return measurementAt(m_listModel, position); },
        [this](int measurement) { return positionOf(m_listModel, measurement); });
}

void CMeasureModeView::buildList(int modelIndex)
{
    QStringList entries = measurementList();
    if (hasShortList(modelIndex))
        entries.remove(kFirstTwoPort, kTwoPortCount);
    const QSignalBlocker block(m_modes);
    m_modes->clear();
    m_modes->addItems(entries);
    m_listModel = modelIndex;
}

void CMeasureModeView::fillRecord(MeasureModeTask &record)
{
    // The model is read again on every Bind; the list follows it if it changed.
    const int model = context().state.CurrentModelIndex;
    if (hasShortList(model) != hasShortList(m_listModel)) {
        buildList(model);
        const QSignalBlocker block(m_modes);
        m_modes->setCurrentIndex(positionOf(model, record.Measurement));
    }
    m_listModel = model;
}

} // namespace stepvane
