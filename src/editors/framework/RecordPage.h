// RecordPage<Record>: an editor page that knows its record type, with the
// binding helpers for combo boxes and toggle buttons. Each helper stores into
// the record the page is bound to at the moment of the change, and fills its
// control again on every Bind.
#pragma once

#include "editors/framework/EditorPage.h"
#include "widgets/CKiteButton.h"

#include <QComboBox>

#include <functional>
#include <vector>

namespace stepvane {

template <typename Record> class RecordPage : public EditorPage {
public:
    using EditorPage::EditorPage;

protected:
    // The bound record, or nullptr while unbound.
    Record *record() const
    {
        TaskStep *step = boundStep();
        return step ? step->template as<Record>() : nullptr;
    }

    // Fill the page's own controls beyond those the helpers fill.
    virtual void fillRecord(Record &) {}

    // A selection change stores the position (or what toStored makes of it);
    // Bind selects the position of the stored value (toPosition may say -1
    // for a value the list cannot show).
    void bindCombo(QComboBox *combo, int Record::*field, std::function<int(int)> toStored = {},
                   std::function<int(int)> toPosition = {})
    {
        QObject::connect(combo, &QComboBox::currentIndexChanged, this,
                         [this, field, toStored](int position) {
                             if (position < 0)
                                 return;
                             changeField(field, toStored ? toStored(position) : position);
                         });
        m_fillers.push_back([combo, field, toPosition](Record &r) {
            int position = toPosition ? toPosition(r.*field) : r.*field;
            if (position < 0 || position >= combo->count())
                position = -1;
            combo->setCurrentIndex(position);
        });
    }

    // A check-style button: a click stores its new state, 1 or 0. The click
    // itself stores (not the posted command), so a rebind in between cannot
    // send the value to another record.
    void bindToggle(CKiteToggleButton *button, int Record::*field)
    {
        QObject::connect(button, &QAbstractButton::clicked, this,
                         [this, field](bool on) { changeField(field, on ? 1 : 0); });
        m_fillers.push_back([button, field](Record &r) { button->setState(r.*field != 0); });
    }

    // One button of a radio group on a field: a click stores the button's
    // value and sets exactly the buttons of that field that match it.
    void bindRadio(CKiteToggleButton *button, int Record::*field, int value)
    {
        m_radios.push_back({button, field, value});
        QObject::connect(button, &QAbstractButton::clicked, this, [this, field, value] {
            changeField(field, value);
            if (Record *r = record())
                showRadios(*r, field);
        });
        m_fillers.push_back([this, field](Record &r) { showRadios(r, field); });
    }

    // Stores one value into the bound record as one edit of its own.
    template <typename Value> void changeField(Value Record::*field, Value value)
    {
        changeRecord(kControlField, [&] {
            if (Record *r = record())
                r->*field = value;
        });
    }

private:
    struct Radio {
        CKiteToggleButton *button;
        int Record::*field;
        int value;
    };

    void showRadios(const Record &r, int Record::*field)
    {
        for (const Radio &radio : m_radios)
            if (radio.field == field)
                radio.button->setState(r.*field == radio.value);
    }

    void fillControls() final
    {
        Record *r = record();
        if (!r)
            return;
        for (const auto &fill : m_fillers)
            fill(*r);
        fillRecord(*r);
    }

    std::vector<std::function<void(Record &)>> m_fillers;
    std::vector<Radio> m_radios;
};

} // namespace stepvane
