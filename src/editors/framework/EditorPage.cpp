// The editor page base: binding, description rule, field dispatch.
#include "editors/framework/EditorPage.h"

#include "document/NameTables.h"
#include "editors/framework/PageGrid.h"
#include "widgets/CKiteButton.h"
#include "widgets/CVXEdit.h"
#include "widgets/ControlLook.h"
#include "widgets/ControlOrder.h"
#include "widgets/FieldNote.h"
#include "widgets/TextFieldRules.h"

#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include <variant>

namespace stepvane {

QString &stepDescription(TaskStep &step)
{
    return std::visit([](auto &record) -> QString & { return record.Description; }, step.record);
}

const QString &stepDescription(const TaskStep &step)
{
    return std::visit([](const auto &record) -> const QString & { return record.Description; },
                      step.record);
}

EditorPage::EditorPage(PageContext &context, TaskKind kind, QSize size, QWidget *parent)
    : QWidget(parent), m_context(context), m_kind(kind), m_size(size)
{
    setFixedHeight(size.height());
    setMinimumWidth(std::min(size.width(), 340));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAutoFillBackground(true);
    FieldNote::markHost(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->setSpacing(10);

    m_title = new QLabel(taskListName(kind), this);
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    m_title->setFont(titleFont);
    const GroupColors colors = groupColors(taskGroup(kind));
    QPalette titlePalette = m_title->palette();
    titlePalette.setColor(QPalette::WindowText, colors.accent);
    m_title->setPalette(titlePalette);
    layout->addWidget(m_title);
    auto *rule = new QFrame(this);
    rule->setFixedHeight(2);
    rule->setAutoFillBackground(true);
    QPalette rulePalette = rule->palette();
    rulePalette.setColor(QPalette::Window, colors.accent);
    rule->setPalette(rulePalette);
    layout->addWidget(rule);

    m_form = new QFormLayout;
    m_form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_form->setHorizontalSpacing(PageGrid::kLeadGap);
    m_form->setVerticalSpacing(8);
    layout->addLayout(m_form);

    m_description = new CVXEdit(this);
    m_description->setObjectName(QStringLiteral("description"));
    limitLength(m_description, kMaxDescriptionLength);
    m_description->configure(0,
                             [this](int, const QString &text, bool) { descriptionEdited(text); });
    auto *label = new QLabel(QStringLiteral("Description"), this);
    label->setMinimumWidth(PageGrid::kLeadWidth);
    m_form->addRow(label, m_description);

    m_body = new QVBoxLayout;
    m_body->setSpacing(8);
    layout->addLayout(m_body);
    layout->addStretch(1);
}

EditorPage::~EditorPage()
{
    // The fields outlive this part of the page; a focus loss while the
    // window closes must not call back into it.
    m_step = nullptr;
    for (CVXEdit *edit : findChildren<CVXEdit *>())
        edit->setHandler({});
}

QString EditorPage::title() const
{
    return m_title->text();
}

void EditorPage::Bind(TaskStep *step)
{
    if (step && step->kind() != m_kind)
        step = nullptr;
    m_step = step;
    if (!step)
        return;
    // A note about the record shown before is no note about this one; the
    // same step bound again (the pane shows it anew) keeps its notes.
    if (step != m_lastStep)
        FieldNote::hideAll(this);
    m_lastStep = step;
    {
        QScopedValueRollback filling(m_filling, true);
        m_description->setText(stepDescription(*step));
        fillControls();
    }
    arrangeKeys();
}

void EditorPage::arrangeKeys()
{
    // Tab follows the rows as laid out, not the order the page made its
    // controls in, and every control is named after its label.
    arrangeControls(this);
    keepWizardTextIn(this);
    // Enter on a page never presses a button (a button inside a dialog
    // would otherwise take it as the dialog's default).
    for (QPushButton *button : findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

void EditorPage::fieldChanged(int, const QString &, bool) {}

void EditorPage::afterChange(int, bool) {}

PageGrid *EditorPage::addGrid(const QString &heading)
{
    auto *grid = new PageGrid(heading, this);
    m_body->addWidget(grid);
    return grid;
}

CKiteToggleButton *EditorPage::radioButton(const QString &text)
{
    auto *button = new CKiteToggleButton(0, CKiteToggleButton::Style::Radio, text, this);
    button->setObjectName(text);
    return button;
}

CKiteToggleButton *EditorPage::checkButton(const QString &text)
{
    auto *button = new CKiteToggleButton(0, CKiteToggleButton::Style::Check, text, this);
    button->setObjectName(text);
    return button;
}

CVXEdit *EditorPage::createEdit(int fieldId, int inputClass, float lowerBound, float upperBound)
{
    auto *edit = new CVXEdit(this);
    edit->configure(
        fieldId,
        [this](int id, const QString &text, bool commit) {
            changeRecord(
                id, [&] { fieldChanged(id, text, commit); }, commit);
        },
        inputClass, lowerBound, upperBound);
    return edit;
}

void EditorPage::changeRecord(int field, const std::function<void()> &change, bool endsEdit)
{
    if (!m_step || m_filling)
        return;
    TaskStep *step = m_step;
    TaskRecord before = step->record;
    const int unitBefore = m_context.state.CurrentDistanceUnit;
    change();
    // A message box shown by the change runs its own event loop, in which the
    // step may have been deleted and this page unbound: then there is nothing
    // left to show or record.
    if (m_step != step)
        return;
    {
        QScopedValueRollback filling(m_filling, true);
        afterChange(field, endsEdit);
    }
    if (!m_context.edits)
        return;
    const EditRecorder::Key key{this, field};
    if (!(step->record == before)) {
        m_context.edits->recordChanged(*step, std::move(before), key);
        // A unit switch also set the editor-wide unit: undo takes both back.
        if (m_context.state.CurrentDistanceUnit != unitBefore)
            m_context.edits->distanceUnitSwitched(m_context.state.CurrentDistanceUnit, unitBefore);
    }
    if (endsEdit)
        m_context.edits->endEdit(key);
}

void EditorPage::descriptionEdited(const QString &text)
{
    if (!m_step || m_filling)
        return;
    // The field stops at the limit with its note; nothing modal interrupts
    // the typing.
    const QString value = text.left(kMaxDescriptionLength);
    changeRecord(
        kDescriptionField, [&] { stepDescription(*m_step) = value; }, false);
    if (m_context.redrawTaskList)
        m_context.redrawTaskList();
}

} // namespace stepvane
