// IPv4AddressEdit: a dotted IPv4 address in four boxes that behave as the
// address fields people know: typing replaces a box's selected text, a third
// digit or a "." moves on to the next box (a "." right after such a move is
// taken as already done), Backspace in an empty box and the arrow keys at a
// box's edge move between boxes, a box never holds more than 255, and a whole
// address pasted into any box fills all four.
#pragma once

#include <QWidget>

#include <array>

class QLineEdit;

namespace stepvane {

class IPv4AddressEdit : public QWidget {
    Q_OBJECT
public:
    explicit IPv4AddressEdit(QWidget *parent = nullptr);

    // The four numbers; an empty box counts as 0.
    std::array<int, 4> fields() const;
    void setFields(const std::array<int, 4> &fields);
    QLineEdit *box(int index) const { return m_boxes.at(size_t(index)); }

signals:
    // The user changed a number.
    void edited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int indexOf(const QObject *box) const;
    bool keyPressed(int index, class QKeyEvent *event);
    void boxEdited(int index);
    // Moves the typing into another box; selectAll so that typing replaces.
    void enter(int index, bool selectAll, bool atEnd = true);
    bool pasteAddress(const QString &text);

    std::array<QLineEdit *, 4> m_boxes{};
    int m_advancedInto = -1; // the box a third digit moved into, until a key is typed
};

} // namespace stepvane
