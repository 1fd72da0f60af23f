// The editor pages and page dialogs rendered with sample records, for the
// screenshots that let the pages' look be reviewed without a display. One
// table lists the samples; a new page or dialog adds its rows there.
#pragma once

#include "document/WizardDocument.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace stepvane {

class UserInterface;

// One page shown with one sample record.
struct PageSample {
    QString name;  // the file name, without ".png"
    TaskKind kind; // the page (all pages of the kind, stacked)
    int model;     // CurrentModelIndex while the page is created and bound
    int distanceUnit;
    std::function<void(TaskRecord &)> prepare;   // sample values over the factory's
    std::function<void(QWidget &pane)> act = {}; // input given once the pages are shown
};
const std::vector<PageSample> &pageSamples();

// One page dialog with sample content.
struct DialogSample {
    QString name;
    std::function<std::unique_ptr<QWidget>(UserInterface &ui)> make;
};
const std::vector<DialogSample> &dialogSamples();

// Every sample rendered, by file name.
std::vector<std::pair<QString, QImage>> renderPageSamples(UserInterface &ui);

} // namespace stepvane
