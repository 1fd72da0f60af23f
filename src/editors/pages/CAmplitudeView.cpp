// The amplitude page.
#include "editors/pages/CAmplitudeView.h"

#include <QGridLayout>
#include <QLabel>

namespace stepvane {

namespace {

QString amplitudeRangeHint(const Bounds &b)
{
    return QStringLiteral("(%1 - %2)").arg(b.lower).arg(b.upper);
}

} // namespace

void CAmplitudeView::committed(AmplitudeTask &r, bool topMoved)
{
    // The value just committed gives way: Top moves above Bottom, or Bottom
    // below Top.
    if (r.Top <= r.Bottom) {
        if (topMoved)
            r.Top = r.Bottom + kAmplitudeGap;
        else
            r.Bottom = r.Top - kAmplitudeGap;
    }
    // A value outside the scale (the gap rule at either end of it, or a
    // value read from a file) stops at the end, and the other value gives
    // way if it no longer leaves the gap.
    const Bounds &scale = kAmplitudeBounds;
    if (r.Top > scale.upper) {
        r.Top = scale.upper;
        if (r.Bottom >= r.Top)
            r.Bottom = r.Top - kAmplitudeGap;
    }
    if (r.Bottom < scale.lower) {
        r.Bottom = scale.lower;
        if (r.Top <= r.Bottom)
            r.Top = r.Bottom + kAmplitudeGap;
    }
}

CAmplitudeView::CAmplitudeView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskAmplitude, kDefaultSize, parent), m_help(new QWidget(this)),
      m_helpGrid(new QGridLayout(m_help))
{
    PageGrid *grid = addGrid(QStringLiteral("Scale"));
    CVXEdit *top = named(decimalField(&AmplitudeTask::Top, {.bounds = kAmplitudeBounds,
                                                            .then =
                                                                [](AmplitudeTask &r, bool commit) {
                                                                    if (commit)
                                                                        committed(r, true);
                                                                }}),
                         "Top");
    CVXEdit *bottom =
        named(decimalField(&AmplitudeTask::Bottom, {.bounds = kAmplitudeBounds,
                                                    .then =
                                                        [](AmplitudeTask &r, bool commit) {
                                                            if (commit)
                                                                committed(r, false);
                                                        }}),
              "Bottom");
    keepOrder(bottom, top, QStringLiteral("Bottom"), QStringLiteral("Top"));
    grid->addRow(QStringLiteral("Top"), top, QString(), amplitudeRangeHint(kAmplitudeBounds));
    grid->addRow(QStringLiteral("Bottom"), bottom, QString(), amplitudeRangeHint(kAmplitudeBounds));

    PageGrid *help = addGrid(QStringLiteral("Scale ranges by measurement mode"));
    m_helpGrid->setContentsMargins(0, 0, 0, 0);
    m_helpGrid->setHorizontalSpacing(12);
    m_helpGrid->setVerticalSpacing(2);
    help->addWide(m_help);
    buildHelpTable(context.state.CurrentModelIndex);
}

void CAmplitudeView::buildHelpTable(int modelIndex)
{
    while (QLayoutItem *item = m_helpGrid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const auto cell = [this](const QString &text, int row, int column, bool head = false) {
        auto *label = new QLabel(text, m_help);
        if (head) {
            QFont font = label->font();
            font.setItalic(true);
            label->setFont(font);
        } else {
            PageGrid::styleHint(label);
        }
        m_helpGrid->addWidget(label, row, column);
    };
    cell(QStringLiteral("Mode"), 0, 0, true);
    cell(QStringLiteral("Top scale"), 0, 1, true);
    cell(QStringLiteral("Bottom scale"), 0, 2, true);
    int row = 1;
    for (const AmplitudeScale &scale : amplitudeScales(modelIndex)) {
        cell(scale.mode, row, 0);
        cell(scale.topText, row, 1);
        cell(scale.bottomText, row, 2);
        ++row;
    }
    m_helpGrid->setColumnStretch(3, 1);
    m_helpModel = modelIndex;
}

void CAmplitudeView::fillRecord(AmplitudeTask &)
{
    // The model is read again on every Bind; the table follows it.
    if (context().state.CurrentModelIndex != m_helpModel)
        buildHelpTable(context().state.CurrentModelIndex);
}

} // namespace stepvane
