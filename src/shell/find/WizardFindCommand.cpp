// Find and Find next.
#include "shell/find/WizardFindCommand.h"

#include "shell/find/CFindDlg.h"
#include "shell/main/CStepvaneDlg.h"
#include "shell/sequences/CVXTestList_View.h"
#include "shell/taskeditor/CVXMeasurementEditDlg.h"

#include "widgets/WindowPlace.h"

#include <QAction>
#include <QLineEdit>

namespace stepvane {

WizardFindCommand::WizardFindCommand(CStepvaneDlg &window) : QObject(&window), m_window(window)
{
    m_find = new QAction(QStringLiteral("Find..."), &window);
    m_find->setObjectName(QStringLiteral("actionFind"));
    m_find->setShortcut(QKeySequence::Find);
    m_findNext = new QAction(QStringLiteral("Find next"), &window);
    m_findNext->setObjectName(QStringLiteral("actionFindNext"));
    m_findNext->setShortcut(QKeySequence::FindNext);
    connect(m_find, &QAction::triggered, this, &WizardFindCommand::openFind);
    connect(m_findNext, &QAction::triggered, this, &WizardFindCommand::findNext);
    // The keys work in both windows the wizard is edited in.
    QWidget *editor = window.pane() ? window.pane()->taskEditor() : nullptr;
    for (QWidget *w : {static_cast<QWidget *>(&window), editor}) {
        if (!w)
            continue;
        w->addAction(m_find);
        w->addAction(m_findNext);
    }
}

void WizardFindCommand::openFind()
{
    if (!m_dialog) {
        m_dialog = new CFindDlg(m_window.document(), &m_window);
        rememberPlace(m_dialog, QStringLiteral("Find"));
        connect(m_dialog, &CFindDlg::hitChosen, this, &WizardFindCommand::showHit);
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
    m_dialog->textField()->setFocus(Qt::ShortcutFocusReason);
    m_dialog->textField()->selectAll();
}

void WizardFindCommand::findNext()
{
    if (!m_dialog || m_dialog->textField()->text().isEmpty()) {
        openFind();
        return;
    }
    m_dialog->findNext();
}

void WizardFindCommand::showHit(const SearchHit &hit)
{
    CVXTestList_View *pane = m_window.pane();
    if (!pane)
        return;
    if (hit.sequence < 0) {
        m_window.raise();
        m_window.titleEdit()->setFocus(Qt::OtherFocusReason);
    } else {
        pane->setSelectedIndex(hit.sequence);
        pane->openTaskEditor(hit.sequence, hit.step);
    }
    // The Find window keeps the keys: the next Enter finds the next hit.
    if (m_dialog && m_dialog->isVisible()) {
        m_dialog->raise();
        m_dialog->activateWindow();
    }
}

} // namespace stepvane
