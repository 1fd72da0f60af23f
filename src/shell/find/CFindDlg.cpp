// The Find window.
#include "shell/find/CFindDlg.h"

#include "review/check/WizardCheck.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace stepvane {

CFindDlg::CFindDlg(const WizardDocument &doc, QWidget *parent) : QDialog(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("CFindDlg"));
    setWindowTitle(QStringLiteral("Find"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto *label = new QLabel(QStringLiteral("&Find:"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("findText"));
    m_text->setAccessibleName(QStringLiteral("Find"));
    m_text->setPlaceholderText(QStringLiteral("Titles, descriptions, prompts, comments"));
    m_text->setClearButtonEnabled(true);
    label->setBuddy(m_text);
    m_next = new QPushButton(QStringLiteral("Find &next"), this);
    m_next->setObjectName(QStringLiteral("findNext"));
    m_next->setAutoDefault(false);
    m_next->setToolTip(QStringLiteral("Next match (Enter, F3)"));
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("findResult"));
    m_result->setWordWrap(true);
    connect(m_next, &QPushButton::clicked, this, &CFindDlg::findNext);
    // A new text starts again from the top.
    connect(m_text, &QLineEdit::textChanged, this, [this] {
        m_shown = false;
        m_result->clear();
    });

    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_text, 1);
    row->addWidget(m_next);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_result);
    resize(420, sizeHint().height());
}

void CFindDlg::findNext()
{
    const std::vector<SearchHit> hits = searchWizard(m_doc, m_text->text());
    if (hits.empty()) {
        m_shown = false;
        m_result->setText(m_text->text().isEmpty() ? QString() : QStringLiteral("Not found."));
        return;
    }
    // The first hit past the one shown last (the wizard may have changed
    // since), around to the first one at the end.
    int next = 0;
    for (int i = 0; m_shown && i < int(hits.size()); ++i)
        if (comesAfter(hits[size_t(i)], m_last)) {
            next = i;
            break;
        }
    m_last = hits[size_t(next)];
    m_shown = true;
    Finding where;
    where.sequence = m_last.sequence;
    where.step = m_last.step;
    m_result->setText(QStringLiteral("%1 of %2: %3, %4")
                          .arg(next + 1)
                          .arg(hits.size())
                          .arg(findingPlace(where, m_doc), m_last.field));
    emit hitChosen(m_last);
}

void CFindDlg::keyPressEvent(QKeyEvent *event)
{
    // Enter goes on to the next hit; it does not close the window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->matches(QKeySequence::FindNext)) {
        findNext();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace stepvane
