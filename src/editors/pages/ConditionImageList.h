// ConditionImageList: the "do the following" list of the marker and limit
// pages: the comments and pictures the operator is shown when a condition
// fails, at most ten. The plus button adds an entry through the image
// dialog, a double-click changes one, and the minus button or the Delete key
// removes the selected one. The list never holds a record itself: it reads
// the bound record's entries through the page and changes them through the
// page framework, so the edit history sees every change.
#pragma once

#include "document/TaskRecords.h"

#include <QWidget>

#include <functional>
#include <vector>

class QTreeWidget;

namespace stepvane {

class CKiteButton;
class UserInterface;

class ConditionImageList : public QWidget {
    Q_OBJECT
public:
    using Images = std::vector<AttachedImage>;
    // The bound record's entries, or nullptr while the page is unbound.
    using Access = std::function<Images *()>;
    // Runs an edit of the entries through the page framework.
    using Change = std::function<void(const std::function<void(Images &)> &)>;

    ConditionImageList(UserInterface &ui, Access images, Change change, QWidget *parent = nullptr);

    // Shows the bound record's entries; the selection (the entry the minus
    // button would remove) is forgotten, so it never points into another step.
    void fill();

    // The plus button, a double-click on a row, the minus button.
    void addEntry();
    void changeEntry(int row);
    void removeSelected();

    QTreeWidget *list() const { return m_list; }
    CKiteButton *plusButton() const { return m_plus; }
    CKiteButton *minusButton() const { return m_minus; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int selectedRow() const;
    // Runs the image dialog (with its comment field) on an entry.
    AttachedImage runImageDialog(const AttachedImage &entry);

    UserInterface &m_ui;
    Access m_images;
    Change m_change;
    QTreeWidget *m_list;
    CKiteButton *m_plus;
    CKiteButton *m_minus;
};

} // namespace stepvane
