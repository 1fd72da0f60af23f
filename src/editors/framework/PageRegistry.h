// Which editor pages a task kind shows. Most kinds have one page, Marker /
// Peak has two stacked ones, and kinds without parameters have none (the
// detail pane then stays empty). The built-in list names every page the
// editor has; a new page is one more entry there.
#pragma once

#include "document/WizardDocument.h"
#include "editors/framework/EditorPage.h"

#include <functional>
#include <vector>

namespace stepvane {

using PageFactory = std::function<EditorPage *(PageContext &context, QWidget *parent)>;

struct PageRegistration {
    TaskKind kind;
    std::vector<PageFactory> pages; // shown top to bottom
};

using PageRegistry = std::vector<PageRegistration>;

// The editor's own pages (src/editors/pages/BuiltinPages.cpp).
const PageRegistry &builtinPageRegistry();

// The registration of a kind, or nullptr when the kind has no page.
const PageRegistration *findPages(const PageRegistry &registry, TaskKind kind);

} // namespace stepvane
