// CMeasureModeView: the page of a Measure Mode step: its description and the
// measurement to select. VX310A and VX320A have no 2-port measurements, so
// their list is two entries shorter; the record always holds the index in the
// full list of twelve.
#pragma once

#include "document/ModelTables.h"
#include "editors/framework/RecordPage.h"

#include <QStringList>

class QComboBox;

namespace stepvane {

class CMeasureModeView : public RecordPage<MeasureModeTask> {
    Q_OBJECT
public:
    CMeasureModeView(PageContext &context, QWidget *parent = nullptr);

    // The twelve measurements, in stored-index order.
    static const QStringList &measurementList();
    // Models without the 2-port measurements (entries 6 and 7).
    static bool hasShortList(int modelIndex) { return !modelFacts(modelIndex).twoPort; }
    // Position in the model's list for a stored index (-1: not in the list),
    // and the stored index for a position.
    static int positionOf(int modelIndex, int measurement);
    static int measurementAt(int modelIndex, int position);

    QComboBox *modeList() const { return m_modes; }

protected:
    void fillRecord(MeasureModeTask &record) override;

private:
    void buildList(int modelIndex);

    QComboBox *m_modes;
    int m_listModel = -1;
};

} // namespace stepvane
