// CVXetailItemView: the detail pane of the task editor. It creates every
// editor page of the registry once, and shows the page (or the stacked pages)
// of the step the task list selects, bound to that step. Kinds without a page
// leave the pane empty.
#pragma once

#include "document/WizardDocument.h"
#include "editors/framework/PageRegistry.h"

#include <QScrollArea>

#include <map>
#include <vector>

namespace stepvane {

class EditorPage;

class CVXetailItemView : public QScrollArea {
    Q_OBJECT
public:
    CVXetailItemView(PageContext &context, const PageRegistry &registry, QWidget *parent = nullptr);

    // Hides and unbinds every page, then shows and binds the step's pages
    // (nothing for nullptr or a kind without a page).
    void showStep(TaskStep *step);
    TaskStep *shownStep() const { return m_shown; }
    // Puts the keyboard focus on the first field of the shown page (the
    // focus order); false when no page is shown or it has no such field.
    bool focusFirstField();

    const std::vector<EditorPage *> &pagesFor(TaskKind kind) const;
    std::vector<EditorPage *> visiblePages() const;
    const std::vector<EditorPage *> &allPages() const { return m_pages; }
    // Height of what is shown: the sum of the shown pages' heights.
    int scrollHeight() const;

protected:
    // The pane keeps its clicks: a click here is not one on the empty window.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QWidget *m_container;
    std::vector<EditorPage *> m_pages;
    std::map<TaskKind, std::vector<EditorPage *>> m_byKind;
    TaskStep *m_shown = nullptr;
};

} // namespace stepvane
