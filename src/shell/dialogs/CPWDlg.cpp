// The password dialog in its two modes.
#include "shell/dialogs/CPWDlg.h"

#include "widgets/UserInterface.h"

#include "widgets/TextFieldRules.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace stepvane {

CPWDlg::CPWDlg(UserInterface &ui, Mode mode, QWidget *parent)
    : QDialog(parent), m_ui(ui), m_mode(mode)
{
    setWindowTitle(QStringLiteral("Password"));
    setObjectName(QStringLiteral("CPWDlg"));

    m_passwordEdit = new QLineEdit(this);
    m_passwordEdit->setObjectName(QStringLiteral("password"));
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_confirmEdit = new QLineEdit(this);
    m_confirmEdit->setObjectName(QStringLiteral("confirm"));
    m_confirmEdit->setEchoMode(QLineEdit::Password);
    m_confirmLabel = new QLabel(QStringLiteral("Confirm :"), this);
    // A NUL would cut the password short in the file; other control
    // characters would make the file unreadable.
    keepWizardTextIn(this);

    auto *form = new QFormLayout;
    form->addRow(new QLabel(QStringLiteral("Password :"), this), m_passwordEdit);
    form->addRow(m_confirmLabel, m_confirmEdit);

    m_ok = new QPushButton(QStringLiteral("ok"), this);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &CPWDlg::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    // In enter mode the stored password is only compared, never confirmed.
    const bool setMode = mode == ModeSet;
    m_confirmEdit->setVisible(setMode);
    m_confirmLabel->setVisible(setMode);
    setMinimumWidth(300);
}

void CPWDlg::showEvent(QShowEvent *event)
{
    // Every use starts empty, whatever the caller put into the fields.
    if (!m_shownOnce) {
        m_shownOnce = true;
        m_passwordEdit->clear();
        m_confirmEdit->clear();
        m_passwordSet = false;
        m_passwordEdit->setFocus();
    }
    QDialog::showEvent(event);
}

void CPWDlg::accept()
{
    m_passwordSet = false;
    m_password = m_passwordEdit->text();
    if (m_mode == ModeEnter) {
        QDialog::accept();
        return;
    }
    m_confirmation = m_confirmEdit->text();
    if (m_password != m_confirmation) {
        // The dialog stays open with what was typed, so a slip can be fixed.
        m_ui.report(Message::fromId(QStringLiteral("IDS_INCORRECT_PW"), {}, MessageIcon::Warning));
        return;
    }
    m_passwordSet = !m_password.isEmpty();
    QDialog::accept();
}

} // namespace stepvane
