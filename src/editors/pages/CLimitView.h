// CLimitView: the page of a Limit step. In limit-line mode it sets the fail
// threshold and, while that is on, the warning threshold; in MSL mode it
// attaches a mask file (.fml). Both modes set the pass/fail text display and
// the "do the following" list shown when the test fails.
#pragma once

#include "editors/framework/RecordPage.h"

class QLineEdit;
class QToolButton;

namespace stepvane {

class ConditionImageList;

class CLimitView : public RecordPage<LimitTask> {
    Q_OBJECT
public:
    CLimitView(PageContext &context, QWidget *parent = nullptr);

    CKiteToggleButton *limitLineButton() const { return m_limitLine; }
    CKiteToggleButton *mslButton() const { return m_msl; }
    QLineEdit *mslField() const { return m_mslField; }
    QToolButton *mslChooser() const { return m_mslChooser; }
    CKiteToggleButton *failOnButton() const { return m_failOn; }
    CKiteToggleButton *failOffButton() const { return m_failOff; }
    CVXEdit *failValueField() const { return m_failValue; }
    CKiteToggleButton *warningOnButton() const { return m_warningOn; }
    CKiteToggleButton *warningOffButton() const { return m_warningOff; }
    CVXEdit *warningValueField() const { return m_warningValue; }
    CKiteToggleButton *textOnButton() const { return m_textOn; }
    CKiteToggleButton *textOffButton() const { return m_textOff; }
    CKiteToggleButton *conditionButton() const { return m_condition; }
    ConditionImageList *actions() const { return m_actions; }

    // The open-folder button: choose the mask file.
    void chooseMaskFile();

protected:
    void fillRecord(LimitTask &record) override;

private:
    void buildMode();
    void buildThresholds();
    void buildDisplay();
    QString mslShown(const LimitTask &r) const;

    CKiteToggleButton *m_limitLine = nullptr;
    CKiteToggleButton *m_msl = nullptr;
    QLineEdit *m_mslField = nullptr;
    QToolButton *m_mslChooser = nullptr;
    CKiteToggleButton *m_failOn = nullptr;
    CKiteToggleButton *m_failOff = nullptr;
    CVXEdit *m_failValue = nullptr;
    CKiteToggleButton *m_warningOn = nullptr;
    CKiteToggleButton *m_warningOff = nullptr;
    CVXEdit *m_warningValue = nullptr;
    CKiteToggleButton *m_textOn = nullptr;
    CKiteToggleButton *m_textOff = nullptr;
    CKiteToggleButton *m_condition = nullptr;
    ConditionImageList *m_actions = nullptr;
    // The file last chosen on this page, shown with its folder while the
    // step it was chosen for still holds it.
    struct Chosen {
        const TaskStep *step = nullptr;
        QString workingCopy;
        QString path;
    } m_chosen;
};

} // namespace stepvane
