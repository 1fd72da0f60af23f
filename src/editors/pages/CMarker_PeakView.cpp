// The marker/peak page and its companion panel.
#include "editors/pages/CMarker_PeakView.h"

#include "editors/pages/ConditionImageList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace stepvane {

namespace {

const QStringList kMarkerNames = {"None", "M1", "M2", "M3", "M4", "M5", "M6"};
const QStringList kTypes = {"Off", "Normal", "Delta", "Delta Pair"};
const QStringList kSearchModes = {"None",           "Peak Search",     "Next Peak",
                                  "Next Peak Left", "Next Peak Right", "Valley Search"};

QComboBox *comboOf(QWidget *parent, const QStringList &entries, const char *name)
{
    auto *combo = new QComboBox(parent);
    combo->addItems(entries);
    combo->setObjectName(QLatin1String(name));
    return combo;
}

} // namespace

CMarker_PeakView::CMarker_PeakView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskMarkerPeak, kPageSize, parent)
{
    buildMarkerRows();
    buildPeakValley();
    buildCondition();
    m_actions = new ConditionImageList(
        context.ui,
        [this]() -> ConditionImageList::Images * {
            MarkerPeakTask *r = record();
            return r ? &r->images : nullptr;
        },
        [this](const std::function<void(ConditionImageList::Images &)> &edit) {
            changeRecord(kControlField, [&] {
                if (MarkerPeakTask *r = record())
                    edit(r->images);
            });
        },
        this);
    m_actions->setMinimumHeight(170); // the page is tall: the list takes the room below
    addGrid(QStringLiteral("Do the following:"))->addWide(m_actions);
}

void CMarker_PeakView::buildMarkerRows()
{
    auto *box = new QWidget(this);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    const QStringList headings = {"Marker", "Type", "Search mode", "X value"};
    for (int column = 0; column < headings.size(); ++column)
        grid->addWidget(new QLabel(headings.at(column), box), 0, column);
    for (int row = 0; row < kMarkerCount; ++row) {
        const auto marker = [row](MarkerPeakTask &r) -> MarkerSetting & {
            return r.markers[size_t(row)];
        };
        MarkerRow &controls = m_rows[size_t(row)];
        controls.name = comboOf(box, kMarkerNames, "markerName");
        controls.type = comboOf(box, kTypes, "markerType");
        controls.searchMode = comboOf(box, kSearchModes, "searchMode");
        controls.xValue =
            decimalField([marker](MarkerPeakTask &r) -> double & { return marker(r).X_Value; },
                         {.bounds = kMarkerXBounds, .emptyIsZero = true});
        controls.xValue->setParent(box);
        controls.xValue->setObjectName(QStringLiteral("xValue"));
        controls.xValue->setFixedWidth(72);
        grid->addWidget(controls.name, row + 1, 0);
        grid->addWidget(controls.type, row + 1, 1);
        grid->addWidget(controls.searchMode, row + 1, 2);
        grid->addWidget(controls.xValue, row + 1, 3);
        bindCombo(controls.name, [marker](MarkerPeakTask &r) -> int & { return marker(r).Name; });
        bindCombo(controls.type, [marker](MarkerPeakTask &r) -> int & { return marker(r).Type; });
        // A search places the marker itself: its X value goes back to 0.
        bindCombo(
            controls.searchMode,
            [marker](MarkerPeakTask &r) -> int & { return marker(r).Search_mode; }, {}, {},
            [marker](MarkerPeakTask &r, bool) {
                if (marker(r).Search_mode != 0)
                    marker(r).X_Value = 0;
            });
    }
    grid->setColumnStretch(2, 1);
    body()->addWidget(box);
}

void CMarker_PeakView::buildPeakValley()
{
    PageGrid *grid = addGrid();
    m_searchBetween = comboOf(grid, {"None", "Peak", "Valley"}, "searchBetween");
    m_pair1 = new CKiteToggleButton(1, CKiteToggleButton::Style::Check,
                                    QStringLiteral("M1 to M2: M5"), grid);
    m_pair2 = new CKiteToggleButton(2, CKiteToggleButton::Style::Check,
                                    QStringLiteral("M3 to M4: M6"), grid);
    grid->addRow(QStringLiteral("Search between"), m_searchBetween);
    grid->addRow(nullptr, m_pair1);
    grid->addRow(nullptr, m_pair2);
    bindCombo(m_searchBetween, &MarkerPeakTask::Search_between);
    bindToggle(m_pair1, &MarkerPeakTask::M1toM2_M5);
    bindToggle(m_pair2, &MarkerPeakTask::M3toM4_M6);
}

void CMarker_PeakView::buildCondition()
{
    auto *box = new QWidget(this);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 6, 0, 0);
    grid->setHorizontalSpacing(6);
    m_condition =
        new CKiteToggleButton(3, CKiteToggleButton::Style::Check, QStringLiteral("IF"), box);
    m_condition->setObjectName(QStringLiteral("condition"));
    m_markerName = comboOf(box, kMarkerNames.mid(1), "conditionMarker");
    m_sign = comboOf(box, {">", "<", "=="}, "sign");
    m_axis = comboOf(box, {"X", "Y"}, "axis");
    m_threshold = textField(&MarkerPeakTask::Threshold_Fail, CVXEdit::MarkerSyntax);
    m_threshold->setParent(box);
    m_threshold->setObjectName(QStringLiteral("markerValue"));
    const QStringList labels = {"Marker", "Sign", "Axis", "Marker Value"};
    for (int column = 0; column < labels.size(); ++column)
        grid->addWidget(new QLabel(labels.at(column), box), 0, column + 1);
    grid->addWidget(m_condition, 1, 0);
    grid->addWidget(m_markerName, 1, 1);
    grid->addWidget(m_sign, 1, 2);
    grid->addWidget(m_axis, 1, 3);
    grid->addWidget(m_threshold, 1, 4);
    grid->setColumnStretch(4, 1);
    bindToggle(m_condition, &MarkerPeakTask::Condition_Check);
    bindCombo(m_markerName, &MarkerPeakTask::MarkerName);
    bindCombo(m_sign, &MarkerPeakTask::Equality_sign);
    // Any non-zero flag is Y.
    bindCombo(m_axis, &MarkerPeakTask::Axis, {}, [](int axis) { return axis != 0 ? 1 : 0; });
    body()->addWidget(box);
}

void CMarker_PeakView::fillRecord(MarkerPeakTask &)
{
    // Filled on Bind only: a change elsewhere on the page must not forget
    // the entry the user selected.
    m_actions->fill();
}

CMarkerValleyView::CMarkerValleyView(PageContext &context, QWidget *parent)
    : EditorPage(context, TaskMarkerPeak, kDefaultSize, parent)
{
    // Nothing to edit here: the title and description belong to the page above.
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->hide();
}

} // namespace stepvane
