// The marker/peak page and its companion panel.
#include "editors/pages/CMarker_PeakView.h"

#include "common/NumberText.h"
#include "editors/pages/ConditionImageList.h"
#include "widgets/CVXEdit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace stepvane
{

namespace
{

// Field ids of the edit fields: X values of rows 0..5, then the threshold.
constexpr int kXValueField = 100;
constexpr int kThresholdField = 200;
constexpr float kXValueLow = 0.0f;
constexpr float kXValueHigh = 6000.0f;

QComboBox *comboOf(QWidget *parent, const QStringList &entries, const char *name)
{
    auto *combo = new QComboBox(parent);
    combo->addItems(entries);
    combo->setObjectName(QLatin1String(name));
    return combo;
}

const QStringList kMarkerNames = {"None", "M1", "M2", "M3", "M4", "M5", "M6"};
const QStringList kTypes = {"Off", "Normal", "Delta", "Delta Pair"};
const QStringList kSearchModes = {"None",           "Peak Search",     "Next Peak",
                                  "Next Peak Left", "Next Peak Right", "Valley Search"};

} // namespace

CMarker_PeakView::CMarker_PeakView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskMarkerPeak, kPageSize, parent)
{
    body()->addWidget(buildMarkerRows());
    body()->addWidget(buildPeakValley());
    body()->addWidget(buildCondition());

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
    body()->addWidget(new QLabel(QStringLiteral("Do the following:"), this));
    body()->addWidget(m_actions, 1);
}

QWidget *CMarker_PeakView::buildMarkerRows()
{
    auto *box = new QWidget(this);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    const QStringList headings = {"Marker", "Type", "Search mode", "X value"};
    for (int column = 0; column < headings.size(); ++column)
        grid->addWidget(new QLabel(headings.at(column), box), 0, column);
    for (int row = 0; row < kMarkerCount; ++row) {
        MarkerRow &r = m_rows[size_t(row)];
        r.name = comboOf(box, kMarkerNames, "markerName");
        r.type = comboOf(box, kTypes, "markerType");
        r.searchMode = comboOf(box, kSearchModes, "searchMode");
        r.xValue = createEdit(kXValueField + row, CVXEdit::Decimal, kXValueLow, kXValueHigh);
        r.xValue->setParent(box);
        r.xValue->setMaximumWidth(70);
        grid->addWidget(r.name, row + 1, 0);
        grid->addWidget(r.type, row + 1, 1);
        grid->addWidget(r.searchMode, row + 1, 2);
        grid->addWidget(r.xValue, row + 1, 3);
        bindMarkerCombo(r.name, row, &MarkerSetting::Name);
        bindMarkerCombo(r.type, row, &MarkerSetting::Type);
        bindMarkerCombo(r.searchMode, row, &MarkerSetting::Search_mode);
        connect(r.searchMode, &QComboBox::currentIndexChanged, this,
                [this, row](int position) { searchModeChosen(row, position); });
    }
    grid->setColumnStretch(2, 1);
    return box;
}

QWidget *CMarker_PeakView::buildPeakValley()
{
    auto *box = new QWidget(this);
    auto *layout = new QGridLayout(box);
    layout->setContentsMargins(0, 6, 0, 0);
    m_searchBetween = comboOf(box, {"None", "Peak", "Valley"}, "searchBetween");
    m_pair1 = new CKiteToggleButton(1, CKiteToggleButton::Style::Check,
                                    QStringLiteral("M1 to M2: M5"), box);
    m_pair2 = new CKiteToggleButton(2, CKiteToggleButton::Style::Check,
                                    QStringLiteral("M3 to M4: M6"), box);
    layout->addWidget(new QLabel(QStringLiteral("Search between"), box), 0, 0);
    layout->addWidget(m_searchBetween, 0, 1);
    layout->addWidget(m_pair1, 1, 1);
    layout->addWidget(m_pair2, 2, 1);
    layout->setColumnStretch(2, 1);
    bindCombo(m_searchBetween, &MarkerPeakTask::Search_between);
    bindToggle(m_pair1, &MarkerPeakTask::M1toM2_M5);
    bindToggle(m_pair2, &MarkerPeakTask::M3toM4_M6);
    return box;
}

QWidget *CMarker_PeakView::buildCondition()
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
    m_threshold = createEdit(kThresholdField, CVXEdit::MarkerSyntax);
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
    bindCombo(m_axis, &MarkerPeakTask::Axis);
    return box;
}

void CMarker_PeakView::bindMarkerCombo(QComboBox *combo, int row, int MarkerSetting::*field)
{
    connect(combo, &QComboBox::currentIndexChanged, this, [this, row, field](int position) {
        if (position < 0)
            return;
        changeRecord(kControlField, [&] {
            if (MarkerPeakTask *r = record())
                r->markers[size_t(row)].*field = position;
        });
    });
}

void CMarker_PeakView::searchModeChosen(int row, int position)
{
    // A search places the marker itself: its X value goes back to 0.
    MarkerPeakTask *r = record();
    if (!r || isFilling() || position <= 0)
        return;
    changeRecord(kControlField, [&] { r->markers[size_t(row)].X_Value = 0; });
    m_rows[size_t(row)].xValue->setText(formatDecimal(0));
}

void CMarker_PeakView::fillRecord(MarkerPeakTask &r)
{
    for (int row = 0; row < kMarkerCount; ++row) {
        const MarkerSetting &m = r.markers[size_t(row)];
        const MarkerRow &controls = m_rows[size_t(row)];
        const auto select = [](QComboBox *combo, int value) {
            combo->setCurrentIndex(value >= 0 && value < combo->count() ? value : -1);
        };
        select(controls.name, m.Name);
        select(controls.type, m.Type);
        select(controls.searchMode, m.Search_mode);
        controls.xValue->setText(formatDecimal(m.X_Value));
    }
    m_threshold->setText(r.Threshold_Fail);
    m_actions->fill();
}

void CMarker_PeakView::fieldChanged(int fieldId, const QString &text, bool)
{
    MarkerPeakTask *r = record();
    if (!r)
        return;
    if (fieldId == kThresholdField) {
        r->Threshold_Fail = text;
        return;
    }
    const int row = fieldId - kXValueField;
    if (row >= 0 && row < kMarkerCount)
        r->markers[size_t(row)].X_Value = text.isEmpty() ? 0.0 : parseDecimalText(text);
}

CMarkerValleyView::CMarkerValleyView(PageContext &context, QWidget *parent)
    : EditorPage(context, TaskMarkerPeak, kDefaultSize, parent)
{
    // Nothing to edit here: the title and description belong to the page above.
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->hide();
}

} // namespace stepvane
