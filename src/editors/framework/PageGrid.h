// PageGrid: one block of rows on an editor page, with an optional heading.
// A row is a lead (a label or a check button), a field, a unit after the
// field and a hint under the row (the "(5 - 600 sec)"-style help texts). The
// rows of a block line up; a row or the whole block can be hidden.
#pragma once

#include <QWidget>

#include <initializer_list>
#include <vector>

class QGridLayout;
class QLabel;

namespace stepvane {

class PageGrid : public QWidget {
    Q_OBJECT
public:
    // The width of the lead column and the gap after it, shared with the
    // page's description row so every field starts at the same place.
    static constexpr int kLeadWidth = 128;
    static constexpr int kLeadGap = 8;

    explicit PageGrid(const QString &heading = QString(), QWidget *parent = nullptr);

    struct Row {
        QWidget *lead = nullptr;
        QWidget *field = nullptr;
        QLabel *unit = nullptr;
        QLabel *hint = nullptr;
        // Every widget of the row, to show or hide it as one.
        std::vector<QWidget *> widgets() const;
    };

    // lead, field, unit and hint may each be absent.
    Row addRow(QWidget *lead, QWidget *field = nullptr, const QString &unit = QString(),
               const QString &hint = QString());
    Row addRow(const QString &label, QWidget *field, const QString &unit = QString(),
               const QString &hint = QString());
    // A widget across the whole width (a list, a table, a button row).
    void addWide(QWidget *widget);
    // A line of help text across the whole width.
    QLabel *addNote(const QString &text);

    QLabel *heading() const { return m_heading; }

    // Several controls side by side, as one field (a radio pair, a field and
    // its button).
    static QWidget *inLine(std::initializer_list<QWidget *> widgets, QWidget *parent);
    // The look of a hint or note: smaller and quieter than a label.
    static void styleHint(QLabel *label);

private:
    QGridLayout *m_grid;
    QLabel *m_heading = nullptr;
    int m_rows = 0;
};

} // namespace stepvane
