// A grid's column headings name exactly the columns they span, and a field
// note shown again stays for its whole new time.
#include "widgets/ControlOrder.h"
#include "widgets/FieldNote.h"

#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace stepvane;

namespace {

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
