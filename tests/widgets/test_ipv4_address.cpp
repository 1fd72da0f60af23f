// The IPv4 address field, typed into as a user types: the usual address
// typing gives that address, "." and a third digit move on, a box holds at
// most 255, Backspace goes back, and a whole pasted address fills all boxes.
#include "widgets/IPv4AddressEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>
#include <ostream>

using namespace stepvane;

namespace {

using Fields = std::array<int, 4>;

// Types keys into whatever box has the focus, the way they arrive.
void typeKeys(const QString &keys)
{
    for (const QChar c : keys) {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        if (c == u'<')
            QTest::keyClick(focus, Qt::Key_Backspace);
        else
            QTest::keyClicks(focus, QString(c));
    }
}

struct TypingCase {
    const char *name;
    Fields start;
    QString keys; // "<" is Backspace
    Fields result;
};

// Keeps test listings readable: the case's name instead of its bytes.
void PrintTo(const TypingCase &c, std::ostream *os)
{
    *os << c.name;
}

class IPv4Typing : public ::testing::TestWithParam<TypingCase> {};

TEST_P(IPv4Typing, GivesTheAddressTyped)
{
    const TypingCase &c = GetParam();
    IPv4AddressEdit field;
    field.setFields(c.start);
    field.show();
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    // Entering the field as by Tab: the first box's text is selected.
    field.box(0)->setFocus(Qt::TabFocusReason);
    field.box(0)->selectAll();
    typeKeys(c.keys);
    EXPECT_EQ(field.fields(), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, IPv4Typing,
    ::testing::Values(
        TypingCase{"loopback", {0, 0, 0, 0}, "127.0.0.1", {127, 0, 0, 1}},
        TypingCase{"overAnOldAddress", {10, 1, 2, 3}, "127.0.0.1", {127, 0, 0, 1}},
        TypingCase{"shortNumbers", {0, 0, 0, 0}, "192.168.1.10", {192, 168, 1, 10}},
        TypingCase{"threeDigitsMoveOn", {0, 0, 0, 0}, "100200250", {100, 200, 250, 0}},
        TypingCase{"aDigitOnAFullBoxStartsTheNext", {0, 0, 0, 0}, "1231", {123, 1, 0, 0}},
        TypingCase{"neverAbove255", {0, 0, 0, 0}, "300.", {255, 0, 0, 0}},
        TypingCase{"aDotInAnEmptyBoxStaysThere", {0, 0, 0, 0}, "1..2", {1, 2, 0, 0}},
        TypingCase{"lettersAreRefused", {0, 0, 0, 0}, "1a2.b3", {12, 3, 0, 0}},
        TypingCase{"backspaceGoesBack", {0, 0, 0, 0}, "12.3<<<4", {14, 0, 0, 0}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(IPv4Field, APastedAddressFillsEveryBoxAndReportsAnEdit)
{
    IPv4AddressEdit field;
    field.show();
    QSignalSpy edited(&field, &IPv4AddressEdit::edited);
    field.box(2)->setFocus();
    QApplication::clipboard()->setText(QStringLiteral(" 10.20.30.40 "));
    QTest::keyClick(field.box(2), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field.fields(), (Fields{10, 20, 30, 40}));
    EXPECT_EQ(edited.count(), 1);

    // Every part up to 255 is taken; one past it is not an address and changes nothing.
    const struct {
        const char *text;
        Fields after;
    } pastes[] = {{"255.0.255.1", {255, 0, 255, 1}},
                  {"10.20.300.1", {255, 0, 255, 1}},
                  {"1.256.2.3", {255, 0, 255, 1}},
                  {"0.0.0.255", {0, 0, 0, 255}}};
    for (const auto &p : pastes) {
        QApplication::clipboard()->setText(QString::fromLatin1(p.text));
        QTest::keyClick(field.box(1), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(field.fields(), p.after) << p.text;
    }
}

} // namespace
