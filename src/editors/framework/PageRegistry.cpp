// Page registry look-up.
#include "editors/framework/PageRegistry.h"

namespace stepvane {

const PageRegistration *findPages(const PageRegistry &registry, TaskKind kind)
{
    for (const PageRegistration &entry : registry)
        if (entry.kind == kind && !entry.pages.empty())
            return &entry;
    return nullptr;
}

} // namespace stepvane
