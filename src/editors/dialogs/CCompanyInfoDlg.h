// CCompanyInfoDlg ("Company Information"): the company name and address of a
// save or report step, each with its check box, and the logo picture chosen
// with "...". The logo's working copy is made when it is chosen; the record
// takes it, with the texts, only when the dialog is closed with "Close" or
// the close box.
#pragma once

#include "editors/dialogs/InfoDialog.h"
#include "editors/dialogs/ReportInfo.h"

class QCheckBox;
class QLineEdit;

namespace stepvane {

class UserInterface;

class CCompanyInfoDlg : public InfoDialog {
    Q_OBJECT
public:
    CCompanyInfoDlg(UserInterface &ui, const CompanyInfo &values, QWidget *parent = nullptr);

    CompanyInfo values() const;
    // "...": choose the logo picture.
    void chooseLogo();

    QLineEdit *nameField() const { return m_name; }
    QLineEdit *addressField() const { return m_address; }
    QCheckBox *nameCheck() const { return m_nameCheck; }
    QCheckBox *addressCheck() const { return m_addressCheck; }
    QLineEdit *logoField() const { return m_logoField; }
    QPushButton *logoButton() const { return m_logoButton; }

private:
    UserInterface &m_ui;
    AttachedImage m_logo;
    QLineEdit *m_name;
    QLineEdit *m_address;
    QCheckBox *m_nameCheck;
    QCheckBox *m_addressCheck;
    QLineEdit *m_logoField;
    QPushButton *m_logoButton;
};

} // namespace stepvane
