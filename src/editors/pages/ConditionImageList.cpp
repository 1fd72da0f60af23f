// The "do the following" list of the marker and limit pages.
#include "editors/pages/ConditionImageList.h"

#include "editors/dialogs/CImageDialog.h"
#include "widgets/CKiteButton.h"
#include "widgets/UserInterface.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace stepvane {

ConditionImageList::ConditionImageList(UserInterface &ui, Access images, Change change,
                                       QWidget *parent)
    : QWidget(parent), m_ui(ui), m_images(std::move(images)), m_change(std::move(change)),
      m_list(new QTreeWidget(this)), m_plus(new CKiteButton(1, this)),
      m_minus(new CKiteButton(2, this))
{
    m_list->setObjectName(QStringLiteral("doTheFollowing"));
    m_list->setAccessibleName(QStringLiteral("Do the following"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("Comment"), QStringLiteral("Image")});
    m_list->setColumnWidth(0, 170);
    m_list->header()->setStretchLastSection(true);
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setAlternatingRowColors(true);
    m_list->setMinimumHeight(110);
    m_list->installEventFilter(this);

    m_plus->setObjectName(QStringLiteral("addEntry"));
    m_plus->setText(QStringLiteral("+"));
    m_plus->setToolTip(QStringLiteral("Add"));
    m_minus->setObjectName(QStringLiteral("removeEntry"));
    m_minus->setText(QStringLiteral("\u2212"));
    m_minus->setToolTip(QStringLiteral("Remove"));
    for (CKiteButton *button : {m_plus, m_minus}) {
        button->setFixedSize(32, 32);
        QFont font = button->font();
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * 1.4);
        button->setFont(font);
    }

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_plus);
    buttons->addWidget(m_minus);
    buttons->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(m_plus, &CKiteButton::command, this, &ConditionImageList::addEntry);
    connect(m_minus, &CKiteButton::command, this, &ConditionImageList::removeSelected);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { changeEntry(m_list->indexOfTopLevelItem(item)); });
}

void ConditionImageList::fill()
{
    const QSignalBlocker block(m_list);
    m_list->clear();
    if (const Images *images = m_images()) {
        for (const AttachedImage &entry : *images)
            m_list->addTopLevelItem(new QTreeWidgetItem({entry.Comment, entry.ImageName}));
    }
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
}

int ConditionImageList::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.front());
}

AttachedImage ConditionImageList::runImageDialog(const AttachedImage &entry)
{
    CImageDialog dialog(m_ui, entry, true, this);
    m_ui.runModal(dialog);
    return dialog.image();
}

void ConditionImageList::addEntry()
{
    const Images *images = m_images();
    if (!images)
        return;
    if (images->size() >= size_t(kMaxConditionImages)) {
        m_ui.report(Message::fromId(QStringLiteral("IDS_IF_FAIL_10_MAX")));
        return;
    }
    const AttachedImage entry = runImageDialog(AttachedImage{});
    // The dialog is modal, but the page may have been rebound meanwhile: the
    // entry belongs to the step it was made for, or to none.
    if (m_images() != images || (entry.Comment.isEmpty() && entry.ImageName.isEmpty()))
        return;
    m_change([&](Images &list) {
        if (list.size() < size_t(kMaxConditionImages))
            list.push_back(entry);
    });
    fill();
}

void ConditionImageList::changeEntry(int row)
{
    const Images *images = m_images();
    if (!images || row < 0 || size_t(row) >= images->size())
        return;
    const AttachedImage entry = runImageDialog((*images)[size_t(row)]);
    if (m_images() != images || size_t(row) >= images->size())
        return;
    m_change([&](Images &list) { list[size_t(row)] = entry; });
    fill();
}

void ConditionImageList::removeSelected()
{
    // Only an entry the user selected on this step: the selection is
    // forgotten whenever the list is filled, after a removal too, so a second
    // press never removes an entry nobody pointed at.
    const int row = selectedRow();
    const Images *images = m_images();
    if (!images || row < 0 || size_t(row) >= images->size())
        return;
    // The working copy of its picture stays: the edit history or a copied
    // step may still use it.
    m_change([&](Images &list) { list.erase(list.begin() + row); });
    fill();
}

bool ConditionImageList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        removeSelected();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace stepvane
