// The Find window (Ctrl+F in the main window and the task editor): a text
// field; Enter, F3 or "Find next" go to the next place of the wizard that
// holds the text, in document order and around again from the start. The
// window says which hit it shows and where, and asks its owner to show that
// place; it stays open beside the editor.
#pragma once

#include "shell/find/WizardSearch.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace stepvane {

class CFindDlg : public QDialog {
    Q_OBJECT
public:
    CFindDlg(const WizardDocument &doc, QWidget *parent = nullptr);

    QLineEdit *textField() const { return m_text; }
    QLabel *resultLabel() const { return m_result; }
    QPushButton *nextButton() const { return m_next; }
    // Looks again with the current text and goes to the next hit.
    void findNext();

signals:
    void hitChosen(const stepvane::SearchHit &hit);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    const WizardDocument &m_doc;
    QLineEdit *m_text = nullptr;
    QLabel *m_result = nullptr;
    QPushButton *m_next = nullptr;
    SearchHit m_last;     // the place shown last
    bool m_shown = false; // whether m_last is one
};

} // namespace stepvane
