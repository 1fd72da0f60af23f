// CVXEdit: the filtered one-line edit field of every editor page. The input
// class decides which characters it takes (a refused one is named in a short
// note by the field); the owner's handler hears every
// change (live update) and, for number fields, a commit on Enter, or on focus
// loss after the user edited the text, that clamps the value to the field's
// bounds (saying so in a note when it does) and re-formats it.
#pragma once

#include <QLineEdit>

#include <functional>

namespace stepvane {

class CVXEdit : public QLineEdit {
    Q_OBJECT
public:
    enum InputClass { FreeText = 0, Decimal = 1, MarkerSyntax = 2, Whole = 3 };

    // Called with the field id, the whole text and whether this is a commit.
    using Handler = std::function<void(int fieldId, const QString &text, bool commit)>;

    explicit CVXEdit(QWidget *parent = nullptr);

    // One call configures the field as its owner needs it.
    void configure(int fieldId, Handler handler, int inputClass = FreeText, float lowerBound = 1.0f,
                   float upperBound = 1.0f);

    void setFieldId(int id) { m_fieldId = id; }
    int fieldId() const { return m_fieldId; }
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    void setBounds(float lower, float upper);
    float lowerBound() const { return m_lower; }
    float upperBound() const { return m_upper; }
    void setInputClass(int inputClass);
    int inputClass() const { return m_class; }
    // Decimals of the committed text of a class 1 field (2 unless set).
    void setDecimals(int decimals) { m_decimals = decimals; }
    int decimals() const { return m_decimals; }

    // Whether the character may be typed into a field of the class.
    static bool acceptsCharacter(int inputClass, QChar c);
    // What a field of the class takes, as its note says when it refuses a key.
    static QString acceptedText(int inputClass);
    // How a commit's clamp note names the bounds: %1 becomes "lowest" or
    // "highest" ("the model's %1 frequency"); "the %1 value allowed" unless set.
    void setLimitText(const QString &pattern) { m_limitText = pattern; }

    // Clamps, re-formats, shows and reports the text with the commit flag;
    // does nothing for classes 0 and 2. Setting the text (setText) marks the
    // field unedited until the user changes it again.
    void commit();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool isNumeric() const { return m_class != FreeText; }
    bool commits() const { return m_class == Decimal || m_class == Whole; }
    void report(bool commit);
    void numericKeyPress(QKeyEvent *event);

    int m_fieldId = 0;
    Handler m_handler;
    float m_upper = 1.0f;
    float m_lower = 1.0f;
    int m_class = FreeText;
    int m_decimals = 2;
    bool m_committing = false;
    QString m_limitText;
};

} // namespace stepvane
