// The custom controls: what each CVXEdit input class takes, the live update
// and the commit with clamping, the number texts, and the button clicks.
//
// A grid's column headings name exactly the columns they span, and a field
// note shown again stays for its whole new time.
//
// The IPv4 address field, typed into as a user types: the usual address
// typing gives that address, "." and a third digit move on, a box holds at
// most 255, Backspace goes back, and a whole pasted address fills all boxes.
#include "common/NumberText.h"
#include "support/WidgetTestSupport.h"
#include "widgets/CKiteButton.h"
#include "widgets/CVXEdit.h"
#include "widgets/CVXSeqStatic.h"
#include "widgets/CVXTestingStatic.h"
#include "widgets/ControlOrder.h"
#include "widgets/FieldNote.h"
#include "widgets/IPv4AddressEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <ostream>

using namespace stepvane;
using namespace taskeditor_test;
using Fields = std::array<int, 4>;

namespace {

struct Call {
    QString text;
    bool commit;
};

// A window with the field under test and a second field to move the focus to.
struct EditHarness {
    std::vector<Call> calls; // outlives the window: closing it commits
    QWidget window;
    CVXEdit *edit = new CVXEdit(&window);
    QLineEdit *other = new QLineEdit(&window);

    EditHarness(int inputClass, float lower = 1.0f, float upper = 1.0f)
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        edit->configure(
            7,
            [this](int id, const QString &text, bool commit) {
                EXPECT_EQ(id, 7);
                calls.push_back({text, commit});
            },
            inputClass, lower, upper);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }
    int commits() const
    {
        return int(
            std::count_if(calls.begin(), calls.end(), [](const Call &c) { return c.commit; }));
    }
};

// The label laidOutControls gives each field of row 1, by column.
QStringList headingNames(const std::vector<std::pair<QString, int>> &headings, int columns)
{
    QWidget page;
    auto *grid = new QGridLayout(&page);
    int column = 0;
    for (const auto &[text, span] : headings) {
        grid->addWidget(new QLabel(text), 0, column, 1, span);
        column += span;
    }
    std::vector<QLineEdit *> fields;
    for (int c = 0; c < columns; ++c) {
        fields.push_back(new QLineEdit);
        grid->addWidget(fields.back(), 1, c);
    }
    QStringList names(columns);
    for (const LaidOutControl &control : laidOutControls(&page))
        for (int c = 0; c < columns; ++c)
            if (control.widget == fields[size_t(c)])
                names[c] = control.label;
    return names;
}

} // namespace

TEST(CVXEditInput, EachClassKeepsItsCharacters)
{
    const struct {
        int inputClass;
        QString shown;
    } cases[] = {{CVXEdit::FreeText, "1a2.5M-<x;"},
                 {CVXEdit::Decimal, "12.5-"},
                 {CVXEdit::MarkerSyntax, "12.5M-<;"},
                 {CVXEdit::Whole, "125-"}};
    for (const auto &c : cases) {
        EditHarness h(c.inputClass);
        QTest::keyClicks(h.edit, "1a2.5M-<x;");
        EXPECT_EQ(h.edit->text(), c.shown) << "class " << c.inputClass;
        // One live update per accepted character, each with the whole text;
        // a refused character calls nothing.
        ASSERT_EQ(int(h.calls.size()), int(c.shown.size())) << "class " << c.inputClass;
        for (size_t i = 0; i < h.calls.size(); ++i)
            EXPECT_EQ(h.calls[i].text, c.shown.left(qsizetype(i) + 1)) << "class " << c.inputClass;
        QTest::keyClick(h.edit, Qt::Key_Backspace);
        EXPECT_EQ(h.calls.back().text, c.shown.chopped(1)) << "a deletion updates too";
        EXPECT_EQ(h.commits(), 0);
    }
}

TEST(CVXEditCommit, EnterClampsAndReformats)
{
    const struct {
        int inputClass;
        float lower, upper;
        QString typed;
        QString shown;
    } cases[] = {{CVXEdit::Decimal, 100, 2700, "3000", "2700.00"}, // above: the upper bound
                 {CVXEdit::Decimal, 100, 2700, "50", "100.00"},    // below: the lower bound
                 {CVXEdit::Decimal, 100, 2700, "2700", "2700.00"}, // a bound itself is kept
                 {CVXEdit::Decimal, 1.4f, 4920, "1.4", "1.40"},    // single-precision bound
                 {CVXEdit::Decimal, -180, 180, "-12.345", "-12.35"},
                 {CVXEdit::Decimal, -180, 180, "", "0.00"},   // empty text is 0
                 {CVXEdit::Decimal, 100, 2700, "", "100.00"}, // ... and 0 is clamped too
                 {CVXEdit::Decimal, -60, 65, "1-2", "1.00"},  // the leading number counts
                 {CVXEdit::Whole, 5, 600, "601", "600"},
                 {CVXEdit::Whole, 5, 600, "-3", "5"},
                 {CVXEdit::Whole, 0, 2.7f, "3", "2"}, // bounds cut toward zero
                 {CVXEdit::Whole, 0, 600, "", "0"}};
    for (const auto &c : cases) {
        EditHarness h(c.inputClass, c.lower, c.upper);
        QTest::keyClicks(h.edit, c.typed);
        h.calls.clear();
        QTest::keyClick(h.edit, Qt::Key_Return);
        EXPECT_EQ(h.edit->text(), c.shown) << c.typed.toStdString();
        ASSERT_EQ(h.calls.size(), 1u) << c.typed.toStdString();
        EXPECT_TRUE(h.calls[0].commit);
        EXPECT_EQ(h.calls[0].text, c.shown);
    }
}

TEST(CVXEditCommit, PassingThroughCommitsNothingButEnterAndEditsDo)
{
    EditHarness h(CVXEdit::Decimal, 100, 2700);
    h.edit->setText("3201.00"); // a stored value above the bound
    h.other->setFocus();
    h.edit->setFocus();
    h.other->setFocus();
    EXPECT_EQ(h.edit->text(), "3201.00") << "tabbing through clamps nothing";
    EXPECT_EQ(h.commits(), 0);

    h.edit->setFocus();
    QTest::keyClick(h.edit, Qt::Key_Return);
    EXPECT_EQ(h.edit->text(), "2700.00") << "Enter commits an unedited field";
    EXPECT_EQ(h.commits(), 1);
    h.other->setFocus();
    EXPECT_EQ(h.commits(), 1) << "leaving after Enter commits nothing more";

    h.edit->setFocus();
    QTest::keyClick(h.edit, Qt::Key_Backspace);
    h.other->setFocus();
    EXPECT_EQ(h.commits(), 2) << "any edit commits on leaving";
    h.edit->setFocus();
    h.edit->selectAll();
    QGuiApplication::clipboard()->setText("5");
    QTest::keyClick(h.edit, Qt::Key_V, Qt::ControlModifier);
    h.other->setFocus();
    EXPECT_EQ(h.commits(), 3) << "a paste is an edit";
    EXPECT_EQ(h.edit->text(), "100.00") << "a focus-loss commit clamps like Enter";
    EXPECT_EQ(h.calls.back().text, "100.00");
}

TEST(CVXEditCommit, FreeTextAndMarkerFieldsDoNotCommit)
{
    for (int inputClass : {int(CVXEdit::FreeText), int(CVXEdit::MarkerSyntax)}) {
        EditHarness h(inputClass, 0, 1);
        QTest::keyClicks(h.edit, "5");
        QTest::keyClick(h.edit, Qt::Key_Return);
        h.other->setFocus();
        EXPECT_EQ(h.edit->text(), "5");
        EXPECT_EQ(h.commits(), 0) << "class " << inputClass;
    }
}

TEST(CVXEditCommit, CableFieldsKeepFourDecimalsAndAFieldWithoutHandlerCommitsToo)
{
    EditHarness h(CVXEdit::Decimal, 0, 1);
    h.edit->setDecimals(4);
    QTest::keyClicks(h.edit, "0.87654");
    QTest::keyClick(h.edit, Qt::Key_Enter);
    EXPECT_EQ(h.edit->text(), "0.8765");

    // A field without a handler still takes typing and commits.
    CVXEdit edit;
    edit.setInputClass(CVXEdit::Decimal);
    edit.setBounds(0, 10);
    edit.show();
    QTest::keyClicks(&edit, "7.5");
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.text(), "7.50");
}

TEST(CVXEditInput, NumberFieldsKeepTheirOwnUndoAndReportIt)
{
    for (int inputClass : {CVXEdit::Decimal, CVXEdit::MarkerSyntax, CVXEdit::Whole}) {
        EditHarness h(inputClass, -1000, 1000);
        h.edit->setText("5");
        h.edit->selectAll();
        QTest::keyClicks(h.edit, "12");
        ASSERT_EQ(h.edit->text(), "12");
        h.calls.clear();
        QTest::keyClick(h.edit, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(h.edit->text(), "5") << "class " << inputClass;
        ASSERT_FALSE(h.calls.empty()) << "class " << inputClass;
        EXPECT_EQ(h.calls.back().text, "5") << "the undone text reaches the record";
        QTest::keyClick(h.edit, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(h.edit->text(), "12") << "class " << inputClass;
        EXPECT_EQ(h.calls.back().text, "12");
    }
}

TEST(CVXEditInput, PasteReachesTheHandlerOnlyWithTheNextKeyOrCommit)
{
    EditHarness h(CVXEdit::Decimal, -100, 100);
    QGuiApplication::clipboard()->setText("12abc");
    QTest::keyClick(h.edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(h.edit->text(), "12abc") << "a paste takes whatever the clipboard holds";
    // The Ctrl key alone reports the text as it was before the paste.
    for (const Call &call : h.calls)
        EXPECT_TRUE(call.text.isEmpty());
    h.calls.clear();
    QTest::keyClick(h.edit, Qt::Key_Home);
    ASSERT_EQ(h.calls.size(), 1u);
    EXPECT_EQ(parseDecimalText(h.calls[0].text), 12.0);
    QTest::keyClick(h.edit, Qt::Key_Return);
    EXPECT_EQ(h.edit->text(), "12.00");
}

TEST(NumberText, LeadingNumberParse)
{
    const struct {
        const char *text;
        double value;
    } decimals[] = {{" 12.5xyz", 12.5}, {"-3e2", -300}, {"1e", 1},  {"abc", 0},
                    {".5", 0.5},        {"-", 0},       {"+7.", 7}, {"1.2.3", 1.2},
                    {"5M", 5},          {"0x10", 0},    {"", 0},    {"\t-0.25", -0.25}};
    for (const auto &c : decimals)
        EXPECT_DOUBLE_EQ(parseDecimalText(QString::fromLatin1(c.text)), c.value) << c.text;
    EXPECT_EQ(parseDecimalText("1e999"), DBL_MAX) << "no infinity reaches a record";
    EXPECT_EQ(parseDecimalText("-1e999"), -DBL_MAX);

    EXPECT_EQ(parseWholeText("-12abc"), -12);
    EXPECT_EQ(parseWholeText("  42"), 42);
    EXPECT_EQ(parseWholeText("99999999999"), INT_MAX);
    EXPECT_EQ(parseWholeText("-99999999999"), INT_MIN);
    EXPECT_EQ(parseWholeText("x1"), 0);
    EXPECT_EQ(formatDecimal(2700), "2700.00");
}

TEST(KiteButton, ClickCountsOnlyWhenReleasedOverTheButton)
{
    QWidget window;
    auto *button = new CKiteButton(42, &window);
    button->setGeometry(10, 10, 24, 24);
    window.resize(200, 100);
    window.show();
    QSignalSpy spy(button, &CKiteButton::command);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(12, 12));
    QTest::mouseMove(button, QPoint(150, 60));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(150, 60));
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 0) << "moved off before the release";

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(12, 12));
    QTest::mouseMove(button, QPoint(150, 60));
    QTest::mouseMove(button, QPoint(12, 12));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(spy.count(), 0) << "the command is posted, not sent inside the release";
    QCoreApplication::processEvents();
    ASSERT_EQ(spy.count(), 1) << "moved back on before the release";
    EXPECT_EQ(spy.at(0).at(0).toInt(), 42);

    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(12, 12));
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 1) << "a disabled button ignores the mouse";
}

TEST(KiteButton, ToggleFlipsOncePerReleaseAndOwnerSeesNewState)
{
    for (auto style : {CKiteToggleButton::Style::Check, CKiteToggleButton::Style::Radio}) {
        CKiteToggleButton toggle(5, style, "Zone 1");
        toggle.show();
        std::vector<bool> seen;
        QObject::connect(&toggle, &CKiteToggleButton::command,
                         [&](int) { seen.push_back(toggle.state()); });
        const QPoint inside = toggle.rect().center();
        QTest::mouseClick(&toggle, Qt::LeftButton, {}, inside);
        QCoreApplication::processEvents();
        QTest::mouseClick(&toggle, Qt::LeftButton, {}, inside);
        QCoreApplication::processEvents();
        EXPECT_EQ(seen, (std::vector<bool>{true, false}));
        toggle.setState(true);
        QCoreApplication::processEvents();
        EXPECT_EQ(seen.size(), 2u) << "setting the state reports nothing";
        EXPECT_GT(toggle.sizeHint().width(), toggle.fontMetrics().horizontalAdvance("Zone 1"));
    }
}

TEST(RowControls, ButtonsReportTheirRowAndOtherClicksPassToThePane)
{
    struct Pane : QWidget {
        int presses = 0;
        void mousePressEvent(QMouseEvent *e) override
        {
            ++presses;
            e->accept();
        }
    } pane;
    pane.resize(400, 200);
    auto *sequenceRow = new CVXTestingStatic(0, &pane);
    auto *taskRow = new CVXSeqStatic(0, &pane);
    sequenceRow->setGeometry(0, 0, 300, 33);
    taskRow->setGeometry(0, 50, 373, CVXSeqStatic::kRowHeight);
    sequenceRow->setContent(4, "5. Antenna");
    taskRow->setContent(7, "Hold", TaskGroup::Analysis);
    pane.show();

    QStringList heard;
    const auto hear = [&](const char *what) {
        return [&heard, what](int row) { heard << QString("%1 %2").arg(what).arg(row); };
    };
    QObject::connect(sequenceRow, &CVXTestingStatic::summaryRequested, hear("summary"));
    QObject::connect(sequenceRow, &CVXTestingStatic::deleteRequested, hear("delete"));
    QObject::connect(sequenceRow, &CVXTestingStatic::saveRequested, hear("save"));
    QObject::connect(taskRow, &CVXSeqStatic::deleteRequested, hear("task delete"));
    for (CKiteButton *b :
         {sequenceRow->button(CVXTestingStatic::SummaryCommand),
          sequenceRow->button(CVXTestingStatic::DeleteCommand),
          sequenceRow->button(CVXTestingStatic::SaveCommand), taskRow->deleteButton()})
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    QCoreApplication::processEvents();
    EXPECT_EQ(heard, (QStringList{"summary 4", "delete 4", "save 4", "task delete 7"}));
    EXPECT_EQ(taskRow->positionText(), "8");

    QTest::mouseClick(taskRow, Qt::LeftButton, {}, QPoint(60, 20));
    QTest::mouseClick(sequenceRow, Qt::LeftButton, {}, QPoint(30, 15));
    EXPECT_EQ(pane.presses, 2) << "a click on the row itself is the pane's to handle";
}

TEST(GridHeadings, EachHeadingNamesTheColumnsOfItsSpanOnly)
{
    const struct {
        std::vector<std::pair<QString, int>> headings; // text, columns spanned
        QStringList names;                             // of the fields in row 1
    } cases[] = {
        // The last column of a span is the heading's; the next is not.
        {{{"Type:", 1}, {"Value", 1}}, {"Type 1", "Value 1"}},
        {{{"Marker", 2}, {"Limit", 1}}, {"Marker", "Marker", "Limit 1"}},
        {{{"Zone", 3}, {"Hold", 1}}, {"Zone", "Zone", "Zone", "Hold 1"}},
        {{{"Marker", 2}}, {"Marker", "Marker", ""}}, // past every heading: the grid's own label
    };
    for (const auto &c : cases) {
        const QStringList names = headingNames(c.headings, int(c.names.size()));
        EXPECT_EQ(names, c.names) << names.join(u'|').toStdString();
    }
}

TEST(FieldNoteTimer, ShownAgainTheNoteStaysForItsNewTime)
{
    QWidget window;
    auto *field = new QLineEdit(&window);
    window.resize(300, 200);
    window.show();
    FieldNote *note = FieldNote::showBy(field, "clamped to 10", 150);
    ASSERT_TRUE(note && note->isVisible());
    // Shown again at once with a longer time: the first time-out must not
    // hide it, the second must.
    ASSERT_EQ(FieldNote::showBy(field, "clamped to 20", 1200), note);
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(500);
    if (clock.elapsed() < 1100) { // a machine this slow proves nothing either way
        EXPECT_TRUE(note->isVisible()) << "hidden by the first note's time-out";
    }
    EXPECT_EQ(note->text(), "clamped to 20");
    for (int i = 0; i < 100 && note->isVisible(); ++i)
        QTest::qWait(50);
    EXPECT_FALSE(note->isVisible());
    EXPECT_GE(clock.elapsed(), 1100);
}

namespace {

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
