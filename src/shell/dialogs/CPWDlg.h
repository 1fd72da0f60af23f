// The password dialog: sets or removes a wizard's password when it is saved
// (set mode, password and confirmation) and asks for it when a protected
// wizard is opened (enter mode, password only). It compares texts and stores
// nothing itself; the caller reads the result after the dialog ended.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace stepvane {

class UserInterface;

class CPWDlg : public QDialog {
    Q_OBJECT
public:
    enum Mode { ModeSet = 0, ModeEnter = 1 };

    CPWDlg(UserInterface &ui, Mode mode, QWidget *parent = nullptr);

    Mode mode() const { return m_mode; }
    QString password() const { return m_password; }
    QString confirmation() const { return m_confirmation; }
    // 1 only when set mode ended with a non-empty, confirmed password.
    bool passwordSet() const { return m_passwordSet; }

    QLineEdit *passwordField() const { return m_passwordEdit; }
    QLineEdit *confirmField() const { return m_confirmEdit; }
    QLabel *confirmLabel() const { return m_confirmLabel; }
    QPushButton *okButton() const { return m_ok; }

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    UserInterface &m_ui;
    Mode m_mode;
    QLineEdit *m_passwordEdit;
    QLineEdit *m_confirmEdit;
    QLabel *m_confirmLabel;
    QPushButton *m_ok;
    QString m_password;
    QString m_confirmation;
    bool m_passwordSet = false;
    bool m_shownOnce = false;
};

} // namespace stepvane
