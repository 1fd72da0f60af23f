// The base of every editor page: binding to one task step, the description
// field with its 256-character rule, the dispatch of edit-field changes, and
// (in RecordPage) helpers that tie combo boxes and toggle buttons to fields
// of the bound record. A page is created once and rebound on each selection;
// an unbound page ignores every change, so it never writes through a pointer
// to a step that is gone.
#pragma once

#include "document/ModelTables.h"
#include "document/WizardDocument.h"
#include "editors/framework/PageContext.h"

#include <QSize>
#include <QWidget>

#include <functional>
#include <limits>

class QFormLayout;
class QLabel;
class QVBoxLayout;

namespace stepvane {

class CKiteToggleButton;
class CVXEdit;
class PageGrid;

constexpr int kMaxDescriptionLength = kDescriptionMaxLength;

// The Description text of any step's record (every record kind has one).
QString &stepDescription(TaskStep &step);
const QString &stepDescription(const TaskStep &step);

class EditorPage : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kDefaultSize{374, 525};

    EditorPage(PageContext &context, TaskKind kind, QSize size = kDefaultSize,
               QWidget *parent = nullptr);
    ~EditorPage() override;

    TaskKind kind() const { return m_kind; }
    QSize pageSize() const { return m_size; }

    // Keeps the step and fills every control from its record. nullptr, or a
    // step of another kind, leaves the page unbound.
    void Bind(TaskStep *step);
    TaskStep *boundStep() const { return m_step; }
    void Enable() { setEnabled(true); }
    void Disable() { setEnabled(false); }

    CVXEdit *descriptionField() const { return m_description; }
    QString title() const;
    // Tab order from the layout, control names from their labels, no
    // default buttons; Bind does it, a page that adds controls later again.
    void arrangeKeys();

protected:
    // Fill the page's own controls from the bound step (called by Bind while
    // the page is filling, so control signals store nothing).
    virtual void fillControls() {}
    // The page's field handler, for the fields made with createEdit.
    virtual void fieldChanged(int fieldId, const QString &text, bool commit);

    CVXEdit *createEdit(int fieldId, int inputClass = 0, float lowerBound = 1.0f,
                        float upperBound = 1.0f);
    // Called after each change made through changeRecord while the page is
    // still bound (controls' signals store nothing meanwhile): the page shows
    // what the change did. field and endsEdit are those of the change.
    virtual void afterChange(int field, bool endsEdit);
    // A new block of rows at the bottom of the page.
    PageGrid *addGrid(const QString &heading = QString());
    // The page's toggle buttons; each is named after its text.
    CKiteToggleButton *radioButton(const QString &text);
    CKiteToggleButton *checkButton(const QString &text);
    // Names a control (tests and screenshots find it by the name).
    template <typename Widget> static Widget *named(Widget *widget, const char *name)
    {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    }

    // The one path by which a page changes its bound record: runs change
    // (which writes the record) and tells the edit history what the record
    // was before, keyed by field so the keystrokes of one field make one
    // edit; endsEdit closes that edit (a commit, a click, a dialog's result).
    // Does nothing while unbound or filling. The field handler and the
    // binding helpers already run inside it; a page calls it itself only for
    // changes from elsewhere (a dialog closed, a file attached).
    void changeRecord(int field, const std::function<void()> &change, bool endsEdit = true);
    // Field keys of changes that are not typed into a field of the page.
    static constexpr int kDescriptionField = std::numeric_limits<int>::min();
    static constexpr int kControlField = std::numeric_limits<int>::min() + 1;
    QFormLayout *form() const { return m_form; }
    QVBoxLayout *body() const { return m_body; }
    PageContext &context() const { return m_context; }
    bool isFilling() const { return m_filling; }

private:
    void descriptionEdited(const QString &text);

    PageContext &m_context;
    TaskKind m_kind;
    QSize m_size;
    TaskStep *m_step = nullptr;
    const TaskStep *m_lastStep = nullptr; // the step bound last (its notes may show)
    bool m_filling = false;
    QLabel *m_title = nullptr;
    CVXEdit *m_description = nullptr;
    QFormLayout *m_form = nullptr;
    QVBoxLayout *m_body = nullptr;
};

} // namespace stepvane
