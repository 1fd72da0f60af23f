// CLimitView: the page of a Limit step. In limit-line mode it sets the fail
// threshold and, while that is on, the warning threshold; in MSL mode it
// attaches a mask file (.fml). Both modes set the pass/fail text display and
// the "do the following" list shown when the test fails.
#pragma once

#include "editors/framework/RecordPage.h"

class QLineEdit;
class QToolButton;

namespace stepvane
{

class CVXEdit;
class ConditionImageList;

class CLimitView : public RecordPage<LimitTask>
{
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
    void fieldChanged(int fieldId, const QString &text, bool commit) override;

  private:
    QWidget *buildMode();
    QWidget *buildThresholds();
    QWidget *buildDisplay();
    // A pair of On / Off radios on a flag; then shows the rows that follow it.
    void bindFlagPair(CKiteToggleButton *on, CKiteToggleButton *off, int LimitTask::*field);
    void chooseMode(bool limitLine);
    // Radios and visible rows from the bound record.
    void showState();
    void showRows();

    CKiteToggleButton *m_limitLine = nullptr;
    CKiteToggleButton *m_msl = nullptr;
    QWidget *m_mslRow = nullptr;
    QLineEdit *m_mslField = nullptr;
    QToolButton *m_mslChooser = nullptr;
    QWidget *m_failRow = nullptr;
    CKiteToggleButton *m_failOn = nullptr;
    CKiteToggleButton *m_failOff = nullptr;
    CVXEdit *m_failValue = nullptr;
    QWidget *m_warningRow = nullptr;
    CKiteToggleButton *m_warningOn = nullptr;
    CKiteToggleButton *m_warningOff = nullptr;
    CVXEdit *m_warningValue = nullptr;
    CKiteToggleButton *m_textOn = nullptr;
    CKiteToggleButton *m_textOff = nullptr;
    CKiteToggleButton *m_condition = nullptr;
    ConditionImageList *m_actions = nullptr;
};

} // namespace stepvane
