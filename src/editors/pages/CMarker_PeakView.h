// CMarker_PeakView: the page of a Marker / Peak step: six markers with their
// type, search mode and X value, the peak/valley search between marker
// pairs, one "If" condition on a marker value, and the "do the following"
// list shown when the condition holds. CMarkerValleyView is the blank panel
// the detail pane shows beneath it.
#pragma once

#include "editors/framework/RecordPage.h"

#include <array>

class QComboBox;

namespace stepvane {

class ConditionImageList;

class CMarker_PeakView : public RecordPage<MarkerPeakTask> {
    Q_OBJECT
public:
    static constexpr QSize kPageSize{374, 699};

    CMarker_PeakView(PageContext &context, QWidget *parent = nullptr);

    QComboBox *nameList(int row) const { return m_rows[size_t(row)].name; }
    QComboBox *typeList(int row) const { return m_rows[size_t(row)].type; }
    QComboBox *searchModeList(int row) const { return m_rows[size_t(row)].searchMode; }
    CVXEdit *xValueField(int row) const { return m_rows[size_t(row)].xValue; }
    QComboBox *searchBetweenList() const { return m_searchBetween; }
    CKiteToggleButton *pairButton(int pair) const { return pair == 0 ? m_pair1 : m_pair2; }
    CKiteToggleButton *conditionButton() const { return m_condition; }
    QComboBox *markerNameList() const { return m_markerName; }
    QComboBox *signList() const { return m_sign; }
    QComboBox *axisList() const { return m_axis; }
    CVXEdit *thresholdField() const { return m_threshold; }
    ConditionImageList *actions() const { return m_actions; }

protected:
    void fillRecord(MarkerPeakTask &record) override;

private:
    struct MarkerRow {
        QComboBox *name;
        QComboBox *type;
        QComboBox *searchMode;
        CVXEdit *xValue;
    };

    void buildMarkerRows();
    void buildPeakValley();
    void buildCondition();

    std::array<MarkerRow, kMarkerCount> m_rows{};
    QComboBox *m_searchBetween = nullptr;
    CKiteToggleButton *m_pair1 = nullptr;
    CKiteToggleButton *m_pair2 = nullptr;
    CKiteToggleButton *m_condition = nullptr;
    QComboBox *m_markerName = nullptr;
    QComboBox *m_sign = nullptr;
    QComboBox *m_axis = nullptr;
    CVXEdit *m_threshold = nullptr;
    ConditionImageList *m_actions = nullptr;
};

// The companion panel: only background, extending the scrolled area.
class CMarkerValleyView : public EditorPage {
    Q_OBJECT
public:
    CMarkerValleyView(PageContext &context, QWidget *parent = nullptr);
};

} // namespace stepvane
