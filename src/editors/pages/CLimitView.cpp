// The limit page.
#include "editors/pages/CLimitView.h"

#include "common/NumberText.h"
#include "editors/dialogs/Attachments.h"
#include "editors/pages/ConditionImageList.h"
#include "widgets/CVXEdit.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace stepvane
{

namespace
{

enum Field { FailValue = 1, WarningValue = 2 };
constexpr float kThresholdLow = -60.0f;
constexpr float kThresholdHigh = 65.0f;

CKiteToggleButton *radio(const QString &text, QWidget *parent, const char *name)
{
    auto *button = new CKiteToggleButton(0, CKiteToggleButton::Style::Radio, text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

// A row of the page: a label of fixed width, then the controls.
QHBoxLayout *rowOf(QWidget *row, const QString &label)
{
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *caption = new QLabel(label, row);
    caption->setFixedWidth(120);
    layout->addWidget(caption);
    return layout;
}

} // namespace

CLimitView::CLimitView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskLimit, kDefaultSize, parent)
{
    body()->addWidget(buildMode());
    body()->addWidget(buildThresholds());
    body()->addWidget(buildDisplay());
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

QWidget *CLimitView::buildMode()
{
    auto *box = new QWidget(this);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *modeRow = new QWidget(box);
    QHBoxLayout *mode = rowOf(modeRow, QStringLiteral("Mode"));
    m_limitLine = radio(QStringLiteral("Limit line"), modeRow, "limitLine");
    m_msl = radio(QStringLiteral("MSL"), modeRow, "msl");
    mode->addWidget(m_limitLine);
    mode->addWidget(m_msl);
    mode->addStretch(1);
    layout->addWidget(modeRow);

    m_mslRow = new QWidget(box);
    QHBoxLayout *msl = rowOf(m_mslRow, QStringLiteral("MSL file"));
    m_mslField = new QLineEdit(m_mslRow);
    m_mslField->setObjectName(QStringLiteral("mslFile"));
    m_mslField->setReadOnly(true);
    m_mslChooser = new QToolButton(m_mslRow);
    m_mslChooser->setObjectName(QStringLiteral("chooseMsl"));
    m_mslChooser->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_mslChooser->setToolTip(QStringLiteral("Attach an MSL file"));
    msl->addWidget(m_mslField, 1);
    msl->addWidget(m_mslChooser);
    layout->addWidget(m_mslRow);

    connect(m_limitLine, &QAbstractButton::clicked, this, [this] { chooseMode(true); });
    connect(m_msl, &QAbstractButton::clicked, this, [this] { chooseMode(false); });
    connect(m_mslChooser, &QToolButton::clicked, this, &CLimitView::chooseMaskFile);
    return box;
}

QWidget *CLimitView::buildThresholds()
{
    auto *box = new QWidget(this);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto valueField = [this](int field, QWidget *row, const char *name) {
        CVXEdit *edit = createEdit(field, CVXEdit::Decimal, kThresholdLow, kThresholdHigh);
        edit->setParent(row);
        edit->setObjectName(QLatin1String(name));
        edit->setFixedWidth(80);
        return edit;
    };

    m_failRow = new QWidget(box);
    QHBoxLayout *fail = rowOf(m_failRow, QStringLiteral("Threshold Pass/Fail"));
    m_failOn = radio(QStringLiteral("On"), m_failRow, "failOn");
    m_failOff = radio(QStringLiteral("Off"), m_failRow, "failOff");
    m_failValue = valueField(FailValue, m_failRow, "failValue");
    fail->addWidget(m_failOn);
    fail->addWidget(m_failOff);
    fail->addWidget(m_failValue);
    fail->addStretch(1);
    layout->addWidget(m_failRow);

    m_warningRow = new QWidget(box);
    QHBoxLayout *warning = rowOf(m_warningRow, QStringLiteral("Threshold Warning"));
    m_warningOn = radio(QStringLiteral("On"), m_warningRow, "warningOn");
    m_warningOff = radio(QStringLiteral("Off"), m_warningRow, "warningOff");
    m_warningValue = valueField(WarningValue, m_warningRow, "warningValue");
    warning->addWidget(m_warningOn);
    warning->addWidget(m_warningOff);
    warning->addWidget(m_warningValue);
    warning->addStretch(1);
    layout->addWidget(m_warningRow);

    bindFlagPair(m_failOn, m_failOff, &LimitTask::Limit_Line_On_Off);
    bindFlagPair(m_warningOn, m_warningOff, &LimitTask::Warning_On_Off);
    return box;
}

QWidget *CLimitView::buildDisplay()
{
    auto *box = new QWidget(this);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *textRow = new QWidget(box);
    QHBoxLayout *text = rowOf(textRow, QStringLiteral("Pass/fail text display"));
    m_textOn = radio(QStringLiteral("On"), textRow, "textOn");
    m_textOff = radio(QStringLiteral("Off"), textRow, "textOff");
    text->addWidget(m_textOn);
    text->addWidget(m_textOff);
    text->addStretch(1);
    layout->addWidget(textRow);
    m_condition = new CKiteToggleButton(0, CKiteToggleButton::Style::Check,
                                        QStringLiteral("If fails, do the following:"), box);
    m_condition->setObjectName(QStringLiteral("condition"));
    layout->addWidget(m_condition);
    bindFlagPair(m_textOn, m_textOff, &LimitTask::Pass_Fail);
    bindToggle(m_condition, &LimitTask::Condition_Check);
    return box;
}

void CLimitView::bindFlagPair(CKiteToggleButton *on, CKiteToggleButton *off, int LimitTask::*field)
{
    for (CKiteToggleButton *button : {on, off}) {
        const int value = button == on ? 1 : 0;
        connect(button, &QAbstractButton::clicked, this, [this, field, value] {
            changeField(field, value);
            showState();
        });
    }
}

void CLimitView::chooseMode(bool limitLine)
{
    if (!record())
        return;
    changeRecord(kControlField, [&] {
        LimitTask *r = record();
        r->SelectMode = limitLine ? 1 : 0;
        if (limitLine) {
            // The mask file is dropped from the step; its working copy stays,
            // since the edit history or a copied step may still use it. Its
            // size goes with the name, so the writer looks for no file.
            r->MSLfileName.clear();
            r->TransMSLfileName.clear();
            r->MSLfileSize = 0;
        }
    });
    showState();
}

void CLimitView::chooseMaskFile()
{
    const LimitTask *before = record();
    if (!before || before->SelectMode != 0)
        return;
    const QString path = context().ui.openFile(
        this, QString(), QStringLiteral("MSL Files(*.fml)|*.fml|"), QString());
    if (path.isEmpty() || record() != before)
        return;
    const QString copy = attachCopy(context().ui, path);
    if (copy.isEmpty() || record() != before)
        return;
    changeRecord(kControlField, [&] {
        LimitTask *r = record();
        r->MSLfileName = QFileInfo(path).fileName();
        r->TransMSLfileName = copy;
        r->MSLfileSize = Size(QFileInfo(copy).size());
    });
    m_mslField->setText(QDir::toNativeSeparators(path));
}

void CLimitView::fillRecord(LimitTask &r)
{
    m_mslField->setText(r.MSLfileName);
    m_failValue->setText(formatDecimal(r.Move_Limit));
    m_warningValue->setText(formatDecimal(r.Param));
    m_actions->fill();
    showState();
}

void CLimitView::showState()
{
    const LimitTask *r = record();
    if (!r)
        return;
    const bool limitLine = r->SelectMode != 0;
    m_limitLine->setState(limitLine);
    m_msl->setState(!limitLine);
    m_failOn->setState(r->Limit_Line_On_Off != 0);
    m_failOff->setState(r->Limit_Line_On_Off == 0);
    m_warningOn->setState(r->Warning_On_Off != 0);
    m_warningOff->setState(r->Warning_On_Off == 0);
    m_textOn->setState(r->Pass_Fail != 0);
    m_textOff->setState(r->Pass_Fail == 0);
    if (r->MSLfileName.isEmpty())
        m_mslField->clear();
    showRows();
}

void CLimitView::showRows()
{
    const LimitTask *r = record();
    if (!r)
        return;
    const bool limitLine = r->SelectMode != 0;
    const bool failOn = limitLine && r->Limit_Line_On_Off != 0;
    m_mslRow->setVisible(!limitLine);
    m_failRow->setVisible(limitLine);
    m_failValue->setVisible(failOn);
    m_warningRow->setVisible(failOn);
    m_warningValue->setVisible(failOn && r->Warning_On_Off != 0);
}

void CLimitView::fieldChanged(int fieldId, const QString &text, bool)
{
    LimitTask *r = record();
    if (!r)
        return;
    const double value = parseDecimalText(text); // an empty text stores 0
    if (fieldId == FailValue)
        r->Move_Limit = value;
    else if (fieldId == WarningValue)
        r->Param = value;
}

} // namespace stepvane
