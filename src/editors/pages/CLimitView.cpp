// The limit page.
#include "editors/pages/CLimitView.h"

#include "editors/dialogs/Attachments.h"
#include "editors/pages/ConditionImageList.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace stepvane {

namespace {

bool limitLine(const LimitTask &r)
{
    return r.SelectMode != 0;
}

bool failOn(const LimitTask &r)
{
    return limitLine(r) && r.Limit_Line_On_Off != 0;
}

} // namespace

CLimitView::CLimitView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskLimit, kDefaultSize, parent)
{
    buildMode();
    buildThresholds();
    buildDisplay();
    m_actions = new ConditionImageList(
        context.ui,
        [this]() -> ConditionImageList::Images * {
            LimitTask *r = record();
            return r ? &r->images : nullptr;
        },
        [this](const std::function<void(ConditionImageList::Images &)> &edit) {
            changeRecord(kControlField, [&] {
                if (LimitTask *r = record())
                    edit(r->images);
            });
        },
        this);
    body()->addWidget(m_actions, 1);
}

void CLimitView::buildMode()
{
    PageGrid *grid = addGrid();
    m_limitLine = newRadioButton(QStringLiteral("Limit line"), grid, "limitLine");
    m_msl = newRadioButton(QStringLiteral("MSL"), grid, "msl");
    grid->addRow(QStringLiteral("Mode"), PageGrid::inLine({m_limitLine, m_msl}, grid));
    m_mslField = new QLineEdit(grid);
    m_mslField->setObjectName(QStringLiteral("mslFile"));
    m_mslField->setReadOnly(true);
    m_mslChooser = new QToolButton(grid);
    m_mslChooser->setObjectName(QStringLiteral("chooseMsl"));
    m_mslChooser->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_mslChooser->setToolTip(QStringLiteral("Attach an MSL file"));
    auto *mslLine = new QWidget(grid);
    auto *mslLayout = new QHBoxLayout(mslLine);
    mslLayout->setContentsMargins(0, 0, 0, 0);
    mslLayout->setSpacing(4);
    mslLayout->addWidget(m_mslField, 1);
    mslLayout->addWidget(m_mslChooser);
    const PageGrid::Row msl = grid->addRow(QStringLiteral("MSL file"), mslLine);

    // Back to limit line drops the mask file from the step. Its working copy
    // stays, since the edit history or a copied step may still use it; its
    // size goes with the name, so the writer looks for no file.
    bindRadioPair(m_msl, m_limitLine, &LimitTask::SelectMode, 0, 1, [](LimitTask &r, bool) {
        if (limitLine(r)) {
            r.MSLfileName.clear();
            r.TransMSLfileName.clear();
            r.MSLfileSize = 0;
        }
    });
    showWhen(msl, [](const LimitTask &r) { return !limitLine(r); });
    onFill([this](LimitTask &r) { m_mslField->setText(mslShown(r)); });
    connect(m_mslChooser, &QToolButton::clicked, this, &CLimitView::chooseMaskFile);
}

void CLimitView::buildThresholds()
{
    PageGrid *grid = addGrid();
    m_failOn = newRadioButton(QStringLiteral("On"), grid, "failOn");
    m_failOff = newRadioButton(QStringLiteral("Off"), grid, "failOff");
    m_failValue =
        decimalField(&LimitTask::Move_Limit, {.bounds = kLimitValueBounds, .emptyIsZero = true});
    m_failValue->setObjectName(QStringLiteral("failValue"));
    m_failValue->setFixedWidth(80);
    const PageGrid::Row fail =
        grid->addRow(QStringLiteral("Threshold Pass/Fail"),
                     PageGrid::inLine({m_failOn, m_failOff, m_failValue}, grid));
    m_warningOn = newRadioButton(QStringLiteral("On"), grid, "warningOn");
    m_warningOff = newRadioButton(QStringLiteral("Off"), grid, "warningOff");
    m_warningValue =
        decimalField(&LimitTask::Param, {.bounds = kLimitValueBounds, .emptyIsZero = true});
    m_warningValue->setObjectName(QStringLiteral("warningValue"));
    m_warningValue->setFixedWidth(80);
    const PageGrid::Row warning =
        grid->addRow(QStringLiteral("Threshold Warning"),
                     PageGrid::inLine({m_warningOn, m_warningOff, m_warningValue}, grid));

    bindRadioPair(m_failOff, m_failOn, &LimitTask::Limit_Line_On_Off, 0, 1);
    bindRadioPair(m_warningOff, m_warningOn, &LimitTask::Warning_On_Off, 0, 1);
    showWhen(fail, limitLine);
    showWhen(std::vector<QWidget *>{m_failValue}, failOn);
    showWhen(warning, failOn);
    showWhen(std::vector<QWidget *>{m_warningValue},
             [](const LimitTask &r) { return failOn(r) && r.Warning_On_Off != 0; });
}

void CLimitView::buildDisplay()
{
    PageGrid *grid = addGrid();
    m_textOn = newRadioButton(QStringLiteral("On"), grid, "textOn");
    m_textOff = newRadioButton(QStringLiteral("Off"), grid, "textOff");
    grid->addRow(QStringLiteral("Pass/fail text display"),
                 PageGrid::inLine({m_textOn, m_textOff}, grid));
    m_condition = new CKiteToggleButton(0, CKiteToggleButton::Style::Check,
                                        QStringLiteral("If fails, do the following:"), grid);
    m_condition->setObjectName(QStringLiteral("condition"));
    grid->addWide(m_condition);
    bindRadioPair(m_textOff, m_textOn, &LimitTask::Pass_Fail, 0, 1);
    bindToggle(m_condition, &LimitTask::Condition_Check);
}

QString CLimitView::mslShown(const LimitTask &r) const
{
    if (m_chosen.step == boundStep() && m_chosen.workingCopy == r.TransMSLfileName &&
        !r.TransMSLfileName.isEmpty())
        return QDir::toNativeSeparators(m_chosen.path);
    return r.MSLfileName;
}

void CLimitView::chooseMaskFile()
{
    TaskStep *step = boundStep();
    const LimitTask *r = record();
    if (!r || limitLine(*r))
        return;
    const QString path = context().ui.openFile(
        this, QString(), QStringLiteral("MSL Files(*.fml)|*.fml|"), QString());
    if (path.isEmpty() || boundStep() != step)
        return;
    // The content is not checked here: the instrument reads the mask file.
    const QString copy = attachCopy(context().ui, path);
    if (copy.isEmpty() || boundStep() != step)
        return;
    m_chosen = {step, copy, path};
    changeRecord(kControlField, [&] {
        LimitTask *r = record();
        r->MSLfileName = QFileInfo(path).fileName();
        r->TransMSLfileName = copy;
        r->MSLfileSize = Size(QFileInfo(copy).size());
    });
}

void CLimitView::fillRecord(LimitTask &)
{
    // Filled on Bind only: a change elsewhere on the page must not forget
    // the entry the user selected.
    m_actions->fill();
}

} // namespace stepvane
