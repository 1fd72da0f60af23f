// CLoadSetupView: the page of a Load step: the instrument loads its factory
// preset, a setup file attached from the computer (.sta, or an XML setup,
// whose calibration data stay behind), or its own current settings, fetched
// from the instrument now. An attached or fetched setup is summarised in the
// page's setup info and travels inside the wizard file.
#pragma once

#include "editors/framework/RecordPage.h"

class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace stepvane {

struct SetupAttachment;

class CLoadSetupView : public RecordPage<LoadTask> {
    Q_OBJECT
public:
    CLoadSetupView(PageContext &context, QWidget *parent = nullptr);

    CKiteToggleButton *modeButton(int mode) const; // 1 to 3
    QLineEdit *attachedField() const { return m_attached; }
    QLineEdit *fetchedField() const { return m_fetched; }
    QToolButton *openButton() const { return m_open; }
    QToolButton *fetchButton() const { return m_fetch; }
    QPlainTextEdit *infoBox() const { return m_info; }

    // The open-folder button (mode 2) and the fetch button (mode 3).
    void attachFromComputer();
    void fetchFromInstrument();

private:
    // The setup info box, and the fields that follow the record.
    void buildInfo();
    void takeSetup(TaskStep *step, const SetupAttachment &setup, const QString &shownPath);
    QString shownFile(const LoadTask &r, int mode) const;

    CKiteToggleButton *m_modes[3] = {};
    QLineEdit *m_attached = nullptr;
    QLineEdit *m_fetched = nullptr;
    QToolButton *m_open = nullptr;
    QToolButton *m_fetch = nullptr;
    QPlainTextEdit *m_info = nullptr;
    // The file last attached or fetched on this page, shown with its folder
    // while the step it was taken for still holds it.
    struct Chosen {
        const TaskStep *step = nullptr;
        QString workingCopy;
        QString path;
    } m_chosen;
};

} // namespace stepvane
