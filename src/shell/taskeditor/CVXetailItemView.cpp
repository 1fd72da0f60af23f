// The detail pane: page creation, showing and binding.
#include "shell/taskeditor/CVXetailItemView.h"

#include "editors/framework/EditorPage.h"

#include <QMouseEvent>
#include <QVBoxLayout>

namespace stepvane {

namespace {

constexpr int kPageMostWidth = 620;

} // namespace

CVXetailItemView::CVXetailItemView(PageContext &context, const PageRegistry &registry,
                                   QWidget *parent)
    : QScrollArea(parent), m_container(new QWidget)
{
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto *layout = new QVBoxLayout(m_container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const PageRegistration &entry : registry) {
        for (const PageFactory &make : entry.pages) {
            EditorPage *page = make(context, m_container);
            if (!page)
                continue;
            page->hide();
            // A maximised window does not stretch combo boxes across the
            // screen while the value columns stay narrow.
            page->setMaximumWidth(kPageMostWidth);
            layout->addWidget(page);
            m_pages.push_back(page);
            m_byKind[entry.kind].push_back(page);
        }
    }
    layout->addStretch(1);
    setWidget(m_container);
}

const std::vector<EditorPage *> &CVXetailItemView::pagesFor(TaskKind kind) const
{
    static const std::vector<EditorPage *> none;
    const auto it = m_byKind.find(kind);
    return it == m_byKind.end() ? none : it->second;
}

std::vector<EditorPage *> CVXetailItemView::visiblePages() const
{
    std::vector<EditorPage *> shown;
    for (EditorPage *page : m_pages)
        if (!page->isHidden())
            shown.push_back(page);
    return shown;
}

int CVXetailItemView::scrollHeight() const
{
    int height = 0;
    for (EditorPage *page : visiblePages())
        height += page->pageSize().height();
    return height;
}

void CVXetailItemView::showStep(TaskStep *step)
{
    // Hide while still bound: a field losing the focus commits into the
    // record the page shows, which the caller keeps alive until this returns.
    for (EditorPage *page : m_pages)
        if (!page->isHidden())
            page->hide();
    for (EditorPage *page : m_pages)
        page->Bind(nullptr);
    m_shown = nullptr;
    if (!step)
        return;
    const std::vector<EditorPage *> &pages = pagesFor(step->kind());
    if (pages.empty())
        return;
    for (EditorPage *page : pages) {
        page->show();
        page->Bind(step);
    }
    m_shown = step;
    ensureVisible(0, 0);
}

bool CVXetailItemView::focusFirstField()
{
    for (EditorPage *page : visiblePages()) {
        for (QWidget *w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
            if (page->isAncestorOf(w) && w->isVisible() && w->isEnabled() &&
                (w->focusPolicy() & Qt::TabFocus)) {
                ensureWidgetVisible(w);
                w->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
    }
    return false;
}

void CVXetailItemView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void CVXetailItemView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

} // namespace stepvane
