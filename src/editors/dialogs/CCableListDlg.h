// CCableListDlg: the cable list dialog of the DTF cable page. It lists the
// cables of Cable.csv (name, velocity, loss at 1 GHz and at 2 GHz), with the
// 1 GHz loss converted to dB per foot when opened in Foot, and remembers the
// row and column the user clicked: a double-click or Apply accepts it,
// Cancel (or the close box) forgets it.
#pragma once

#include "instrument_files/CableList.h"

#include <QDialog>

#include <vector>

class QTableWidget;

namespace stepvane {

class CCableListDlg : public QDialog {
    Q_OBJECT
public:
    // unit: 0 metre, any other value foot.
    CCableListDlg(std::vector<CableEntry> cables, int unit, QWidget *parent = nullptr);

    // The row and column last clicked (-1 and 0 when none, or cancelled).
    int chosenRow() const { return m_row; }
    int chosenColumn() const { return m_column; }
    // The chosen cable, or nullptr.
    const CableEntry *chosenCable() const;

    QTableWidget *list() const { return m_list; }

    // The 1 GHz loss as the list shows it in the unit.
    static QString shownLoss1GHz(const CableEntry &cable, int unit);

public slots:
    void reject() override;

private:
    void fill(int unit);

    std::vector<CableEntry> m_cables;
    QTableWidget *m_list;
    int m_row = -1;
    int m_column = 0;
};

} // namespace stepvane
