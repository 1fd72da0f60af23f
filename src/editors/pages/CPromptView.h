// CPromptView: the page of a Prompt step: ten numbered comments, each with
// a picture attached through the image dialog, whether the operator may
// work the instrument meanwhile, and how the wizard moves on (when the
// operator confirms, or by itself after a delay of 5 to 600 seconds).
#pragma once

#include "editors/framework/RecordPage.h"

#include <array>

class QToolButton;

namespace stepvane {

class CKiteButton;

class CPromptView : public RecordPage<PromptTask> {
    Q_OBJECT
public:
    CPromptView(PageContext &context, QWidget *parent = nullptr);

    CVXEdit *commentField(int slot) const { return m_comments[size_t(slot)]; }
    CKiteButton *imageButton(int slot) const { return m_imageButtons[size_t(slot)]; }
    // Whether the slot's button shows the picture icon with its check mark.
    bool showsAttached(int slot) const;
    CKiteToggleButton *enableButton() const { return m_enable; }
    CKiteToggleButton *disableButton() const { return m_disable; }
    CKiteToggleButton *autoButton() const { return m_auto; }
    CKiteToggleButton *manualButton() const { return m_manual; }
    CVXEdit *delayField() const { return m_delay; }
    QToolButton *delayUp() const { return m_up; }
    QToolButton *delayDown() const { return m_down; }

    // The image button of a slot: the image dialog on that slot's picture.
    void editImage(int slot);

private:
    void buildPrompts();
    CVXEdit *makeComment(int slot);
    void buildOperation();
    // The delay field with its spin buttons, "sec" and the range.
    PageGrid::Row addDelay(PageGrid *move);
    void stepDelay(int by);

    std::array<CVXEdit *, kPromptImageSlots> m_comments{};
    std::array<CKiteButton *, kPromptImageSlots> m_imageButtons{};
    CKiteToggleButton *m_enable = nullptr;
    CKiteToggleButton *m_disable = nullptr;
    CKiteToggleButton *m_auto = nullptr;
    CKiteToggleButton *m_manual = nullptr;
    CVXEdit *m_delay = nullptr;
    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
};

} // namespace stepvane
