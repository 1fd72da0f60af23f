// CCompanyInfoDlg ("Company Information"): the company name and address of a
// save or report step, each with its check box, and the logo picture chosen
// with "...". The logo's working copy is made when it is chosen; the record
// takes it, with the texts, only when the dialog is closed with "Close" or
// the close box.
#pragma once

#include "editors/dialogs/InfoDialog.h"
#include "editors/dialogs/ReportInfo.h"

#include <optional>

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
    // "Use last company": the name, address and logo the last closed company
    // dialog kept (settings), in one action; the check boxes stay as they are.
    void useLastCompany();

    // What the next dialogs offer: kept when a company dialog ends with Close.
    static void remember(const CompanyInfo &values);
    static std::optional<CompanyInfo> remembered();

    QLineEdit *nameField() const { return m_name; }
    QLineEdit *addressField() const { return m_address; }
    QCheckBox *nameCheck() const { return m_nameCheck; }
    QCheckBox *addressCheck() const { return m_addressCheck; }
    QLineEdit *logoField() const { return m_logoField; }
    QPushButton *logoButton() const { return m_logoButton; }
    QPushButton *useLastButton() const { return m_useLast; }

private:
    UserInterface &m_ui;
    AttachedImage m_logo;
    QLineEdit *m_name;
    QLineEdit *m_address;
    QCheckBox *m_nameCheck;
    QCheckBox *m_addressCheck;
    QLineEdit *m_logoField;
    QPushButton *m_logoButton;
    QPushButton *m_useLast;
};

} // namespace stepvane
