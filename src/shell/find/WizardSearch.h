// Find over the texts a user writes into a wizard: its title, the sequence
// titles, step descriptions, the prompt lines of Prompt steps and the
// comments of the "Do the following" lists (marker and limit steps). Each hit
// names the place it was found, in document order.
#pragma once

#include "document/WizardDocument.h"

#include <QString>

#include <vector>

namespace stepvane {

struct SearchHit {
    int sequence = -1; // -1: the wizard title
    int step = -1;     // -1: the title of the sequence (or of the wizard)
    int part = 0;      // order inside the step: 0 description, then the lines
    QString field;     // the field the text is in, as the user knows it
    bool operator==(const SearchHit &) const = default;
};

// Every place whose text holds the searched text, letter case ignored; none
// for an empty text.
std::vector<SearchHit> searchWizard(const WizardDocument &doc, const QString &text);

// Whether a place lies after another one in document order.
bool comesAfter(const SearchHit &a, const SearchHit &b);

} // namespace stepvane
