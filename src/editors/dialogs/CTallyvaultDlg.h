// CTallyvaultDlg ("Tag ID"): the seven tag identifiers of a save or report
// step in a two-column list. A click on a row lays an edit field over its
// value; the value is taken when the field loses the focus, and also when
// the dialog is closed while the field is still open.
#pragma once

#include "editors/dialogs/InfoDialog.h"
#include "editors/dialogs/ReportInfo.h"

class QLineEdit;
class QTableWidget;

namespace stepvane {

class CTallyvaultDlg : public InfoDialog {
    Q_OBJECT
public:
    explicit CTallyvaultDlg(const TagTexts &values, QWidget *parent = nullptr);

    // The row names, in order.
    static const QStringList &rowNames();

    // The cell texts, each at most 511 characters.
    TagTexts values() const;

    QTableWidget *list() const { return m_list; }
    QLineEdit *editField() const { return m_edit; }
    // Opens the edit field over the row's value cell.
    void editRow(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finishEdit();

    QTableWidget *m_list;
    QLineEdit *m_edit;
    int m_editRow = -1;
};

} // namespace stepvane
