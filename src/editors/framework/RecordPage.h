// RecordPage<Record>: an editor page that knows its record type, with the
// binding helpers its controls are declared with: number and text fields
// with bounds, decimals and an empty-text rule; combo boxes (with lists that
// may follow the record); toggle buttons, radio buttons and radio pairs; a
// Meter/Foot unit switch; widgets shown only while the record says so; and
// labels whose text follows the record. Every helper stores through
// changeRecord into the record bound at the moment of the change; each may
// take a rule (Then) that runs inside the same change, after the store.
// After every change, and on every Bind, the page shows the record again
// (all controls, except the field being typed into), so a rule only changes
// the record and never has to tell the controls.
#pragma once

#include "common/NumberText.h"
#include "document/ModelTables.h"
#include "editors/framework/EditorPage.h"
#include "editors/framework/PageGrid.h"
#include "widgets/AppState.h"
#include "widgets/CKiteButton.h"
#include "widgets/CVXEdit.h"
#include "widgets/FieldNote.h"

#include <QComboBox>
#include <QLabel>
#include <QScopedValueRollback>

#include <algorithm>

#include <functional>
#include <limits>
#include <vector>

namespace stepvane {

template <typename Record> class RecordPage : public EditorPage {
public:
    using EditorPage::EditorPage;

    // How a helper reaches its value in the record: a member pointer
    // (&Record::Top) or a function returning a reference (a marker row's value).
    template <typename T> using Access = std::function<T &(Record &)>;
    // A rule run after a store, inside the same change; commit is false for
    // the live updates of a number field and true for everything else.
    using Then = std::function<void(Record &, bool commit)>;
    using Test = std::function<bool(const Record &)>;

    // A field without bounds clamps nothing.
    static constexpr double kNoBound = std::numeric_limits<float>::max();

    struct NumberSpec {
        Bounds bounds{-kNoBound, kNoBound}; // what a commit clamps to
        std::function<Bounds(const Record &)> boundsOf =
            {};                   // instead: bounds that follow the record
        int decimals = 2;         // decimal fields: shown decimals
        bool emptyIsZero = false; // a live update of an empty text stores 0 (else keeps the value)
        bool commitOnly = false;  // live updates store nothing
        Then then = {};
        Then ifChanged = {};    // after then, only when the typed value changed the record
        QString limitText = {}; // names the bounds in the clamp note (CVXEdit::setLimitText)
    };

protected:
    // The bound record, or nullptr while unbound.
    Record *record() const
    {
        TaskStep *step = boundStep();
        return step ? step->template as<Record>() : nullptr;
    }

    // Anything the helpers do not show, filled on Bind only.
    virtual void fillRecord(Record &) {}
    // Shown again on Bind and after every change.
    void onFill(std::function<void(Record &)> fill) { m_fillers.push_back({0, std::move(fill)}); }

    // ---- edit fields ----------------------------------------------------

    // A class 1 field for a real value, shown with number.decimals.
    CVXEdit *decimalField(Access<double> value, NumberSpec number)
    {
        const int decimals = number.decimals;
        CVXEdit *edit = numberField(
            CVXEdit::Decimal, number,
            [value, decimals](Record &r) { return formatDecimal(value(r), decimals); },
            [value](Record &r, const QString &text) { value(r) = parseDecimalText(text); });
        edit->setDecimals(decimals);
        return edit;
    }
    // A class 3 field for a whole number.
    CVXEdit *wholeField(Access<int> value, NumberSpec number)
    {
        return numberField(
            CVXEdit::Whole, number, [value](Record &r) { return QString::number(value(r)); },
            [value](Record &r, const QString &text) { value(r) = parseWholeText(text); });
    }
    // A class 0 or 2 field whose whole text is stored on every change.
    CVXEdit *textField(Access<QString> value, int inputClass = CVXEdit::FreeText, Then then = {})
    {
        return bindEdit(
            inputClass, [value](Record &r) { return value(r); },
            [value, then](Record &r, const QString &text, bool commit) {
                value(r) = text;
                if (then)
                    then(r, commit);
            });
    }
    // Any edit field: show makes its text from the record, store takes the
    // text of a live update or commit.
    CVXEdit *bindEdit(int inputClass, std::function<QString(Record &)> show,
                      std::function<void(Record &, const QString &, bool)> store)
    {
        const int id = m_nextFieldId++;
        CVXEdit *edit = createEdit(id, inputClass);
        edit->setHandler([this, id, store](int, const QString &text, bool commit) {
            changeRecord(
                id,
                [&] {
                    if (Record *r = record())
                        store(*r, text, commit);
                },
                commit);
        });
        m_edits.push_back({id, edit});
        m_fillers.push_back({id, [edit, show](Record &r) {
                                 edit->setText(show(r));
                                 // A long text shows its beginning, unless it is being typed.
                                 if (!edit->hasFocus())
                                     edit->setCursorPosition(0);
                             }});
        return edit;
    }

    // ---- lists and buttons ------------------------------------------------

    // A selection change stores the position (or what toStored makes of it);
    // Bind selects the position of the stored value (toPosition may say -1
    // for a value the list cannot show).
    void bindCombo(QComboBox *combo, Access<int> field,
                   const std::function<int(int)> &toStored = {},
                   const std::function<int(int)> &toPosition = {}, Then then = {})
    {
        QObject::connect(combo, &QComboBox::currentIndexChanged, this,
                         [this, field, toStored, then](int position) {
                             if (position >= 0 && record())
                                 store(field, toStored ? toStored(position) : position, then);
                         });
        m_fillers.push_back({0, [this, combo, field, toPosition](Record &r) {
                                 fillList(combo, r);
                                 int position = toPosition ? toPosition(field(r)) : field(r);
                                 if (position < 0 || position >= combo->count())
                                     position = -1;
                                 combo->setCurrentIndex(position);
                             }});
    }
    // The entries of a bound combo box follow the record (rebuilt when they differ).
    void listFrom(QComboBox *combo, std::function<QStringList(const Record &)> entries)
    {
        m_lists.push_back({combo, std::move(entries)});
    }

    // A check-style button: a click stores its new state, 1 or 0. The click
    // itself stores (not the posted command), so a rebind in between cannot
    // send the value to another record.
    void bindToggle(CKiteToggleButton *button, Access<int> field, Then then = {})
    {
        QObject::connect(button, &QAbstractButton::clicked, this,
                         [this, field, then](bool on) { store(field, on ? 1 : 0, then); });
        m_fillers.push_back({0, [button, field](Record &r) { button->setState(field(r) != 0); }});
    }

    // One radio button for one value of a field: set exactly when the field
    // holds the value (a value no button has leaves all of them clear).
    void bindRadio(CKiteToggleButton *button, Access<int> field, int value, Then then = {})
    {
        QObject::connect(button, &QAbstractButton::clicked, this,
                         [this, field, value, then] { store(field, value, then); });
        m_fillers.push_back(
            {0, [button, field, value](Record &r) { button->setState(field(r) == value); }});
    }

    // A radio pair: exact is set when the field holds exactValue, other for
    // any other value (so an odd stored value shows as the other choice).
    template <typename T, typename Field>
    void bindRadioPair(CKiteToggleButton *exact, CKiteToggleButton *other, Field field,
                       T exactValue, T otherValue, Then then = {})
    {
        Access<T> access = field;
        QObject::connect(exact, &QAbstractButton::clicked, this,
                         [=, this] { store(access, exactValue, then); });
        QObject::connect(other, &QAbstractButton::clicked, this,
                         [=, this] { store(access, otherValue, then); });
        m_fillers.push_back({0, [=](Record &r) {
                                 exact->setState(access(r) == exactValue);
                                 other->setState(access(r) != exactValue);
                             }});
    }

    // The Meter/Foot pair of a record's Units: choosing the other unit
    // stores it, makes it the editor-wide unit for new steps and lets convert
    // change the record's distances; choosing the shown unit does nothing.
    void bindUnitSwitch(CKiteToggleButton *meter, CKiteToggleButton *foot, Access<int> units,
                        std::function<void(Record &, int unit)> convert)
    {
        const auto choose = [this, units, convert](int unit) {
            // The converted fields say so (see afterChange).
            QScopedValueRollback converting(m_converting, unit == kDistanceFoot
                                                              ? QStringLiteral("feet")
                                                              : QStringLiteral("metres"));
            changeRecord(kControlField, [&] {
                Record *r = record();
                if (!r || units(*r) == unit)
                    return;
                units(*r) = unit;
                context().state.CurrentDistanceUnit = unit;
                convert(*r, unit);
            });
        };
        QObject::connect(meter, &QAbstractButton::clicked, this, [=] { choose(kDistanceMeter); });
        QObject::connect(foot, &QAbstractButton::clicked, this, [=] { choose(kDistanceFoot); });
        m_fillers.push_back({0, [=](Record &r) {
                                 meter->setState(units(r) == kDistanceMeter);
                                 foot->setState(units(r) != kDistanceMeter);
                             }});
    }

    // A rule keeps low below high (start and stop, bottom and top): when a
    // commit moves one of them, its note says so by these names ("Start
    // moved to 100.00 to stay below Stop").
    void keepOrder(CVXEdit *low, CVXEdit *high, const QString &lowName, const QString &highName)
    {
        m_orders.push_back({low, high, lowName, highName});
    }

    // ---- what follows the record ------------------------------------------

    // The widgets are shown while when holds.
    void showWhen(std::vector<QWidget *> widgets, Test when)
    {
        m_fillers.push_back({0, [widgets = std::move(widgets), when](Record &r) {
                                 const bool shown = when(r);
                                 for (QWidget *w : widgets)
                                     w->setVisible(shown);
                             }});
    }
    void showWhen(const PageGrid::Row &row, Test when) { showWhen(row.widgets(), std::move(when)); }

    // The label's text follows the record (a unit, a field's name).
    void labelFrom(QLabel *label, std::function<QString(const Record &)> text)
    {
        m_fillers.push_back({0, [label, text](Record &r) { label->setText(text(r)); }});
    }

    // Stores one value into the bound record as one edit of its own, then
    // runs the rule.
    template <typename Value>
    void store(const Access<Value> &field, Value value, const Then &then = {})
    {
        changeRecord(kControlField, [&] {
            if (Record *r = record()) {
                field(*r) = value;
                if (then)
                    then(*r, true);
            }
        });
    }
    template <typename Value> void changeField(Value Record::*field, Value value)
    {
        store(Access<Value>(field), value);
    }

    void afterChange(int field, bool endsEdit) override
    {
        // The description changes nothing else on a page.
        if (field == kDescriptionField)
            return;
        // A commit or a unit switch whose rules changed what a field shows
        // (the value just typed, or another one) says so by that field.
        const bool noting = endsEdit && (isEditField(field) || !m_converting.isEmpty());
        std::vector<QString> shown;
        if (noting)
            for (const BoundEdit &bound : m_edits)
                shown.push_back(bound.edit->text());
        showRecord(endsEdit ? 0 : field);
        if (!noting)
            return;
        for (size_t i = 0; i < m_edits.size(); ++i)
            if (m_edits[i].edit->text() != shown[i])
                FieldNote::showBy(m_edits[i].edit, correctionNote(m_edits[i], shown[i], field));
    }

private:
    struct Filler {
        int field; // the edit field it fills; 0 for every other control
        std::function<void(Record &)> fill;
    };
    struct List {
        QComboBox *combo;
        std::function<QStringList(const Record &)> entries;
    };
    struct BoundEdit {
        int field;
        CVXEdit *edit;
    };
    struct Order {
        CVXEdit *low, *high;
        QString lowName, highName;
    };

    bool isEditField(int field) const
    {
        return std::any_of(m_edits.begin(), m_edits.end(),
                           [field](const BoundEdit &b) { return b.field == field; });
    }

    QString correctionNote(const BoundEdit &moved, const QString &was, int committed) const
    {
        const QString now = moved.edit->text();
        if (!m_converting.isEmpty())
            return QStringLiteral("Converted to %1 (was %2)").arg(m_converting, was);
        for (const Order &order : m_orders) {
            if (order.low == moved.edit)
                return QStringLiteral("%1 moved to %2 to stay below %3")
                    .arg(order.lowName, now, order.highName);
            if (order.high == moved.edit)
                return QStringLiteral("%1 moved to %2 to stay above %3")
                    .arg(order.highName, now, order.lowName);
        }
        if (moved.field == committed)
            return QStringLiteral("Changed to %1").arg(now);
        for (const BoundEdit &bound : m_edits)
            if (bound.field == committed && !bound.edit->accessibleName().isEmpty())
                return QStringLiteral("Changed to %1 to fit %2")
                    .arg(now, bound.edit->accessibleName());
        return QStringLiteral("Changed to %1").arg(now);
    }

    CVXEdit *numberField(int inputClass, const NumberSpec &number,
                         std::function<QString(Record &)> show,
                         std::function<void(Record &, const QString &)> parse)
    {
        CVXEdit *edit = bindEdit(inputClass, std::move(show),
                                 [number, parse](Record &r, const QString &text, bool commit) {
                                     if (!commit && number.commitOnly)
                                         return;
                                     if (text.isEmpty() && !number.emptyIsZero)
                                         return;
                                     const Record before = r;
                                     parse(r, text.isEmpty() ? QStringLiteral("0") : text);
                                     const bool changed = !(before == r);
                                     if (number.then)
                                         number.then(r, commit);
                                     if (changed && number.ifChanged)
                                         number.ifChanged(r, commit);
                                 });
        const auto applyBounds = [edit](const Bounds &b) {
            edit->setBounds(float(b.lower), float(b.upper));
        };
        applyBounds(number.bounds);
        if (!number.limitText.isEmpty())
            edit->setLimitText(number.limitText);
        if (number.boundsOf)
            m_fillers.push_back(
                {0, [applyBounds, of = number.boundsOf](Record &r) { applyBounds(of(r)); }});
        return edit;
    }

    void fillList(QComboBox *combo, const Record &r)
    {
        for (const List &list : m_lists) {
            if (list.combo != combo)
                continue;
            const QStringList entries = list.entries(r);
            QStringList shown;
            for (int i = 0; i < combo->count(); ++i)
                shown << combo->itemText(i);
            if (shown != entries) {
                combo->clear();
                combo->addItems(entries);
            }
        }
    }

    // Shows the record in every control but the field being typed into.
    void showRecord(int skipField)
    {
        Record *r = record();
        if (!r)
            return;
        for (const Filler &filler : m_fillers)
            if (skipField == 0 || filler.field != skipField)
                filler.fill(*r);
    }

    void fillControls() final
    {
        showRecord(0);
        if (Record *r = record())
            fillRecord(*r);
    }

    static constexpr int kFirstHelperField = 1 << 16;
    int m_nextFieldId = kFirstHelperField;
    std::vector<Filler> m_fillers;
    std::vector<List> m_lists;
    std::vector<BoundEdit> m_edits;
    std::vector<Order> m_orders;
    QString m_converting; // while a unit switch runs: the new unit's name
};

} // namespace stepvane
