// Paints the printed testing summary on any paged device: a QPrinter chosen in
// the print dialog, or a QPdfWriter for PDF files. SummaryPrinter holds the
// page state (fonts, vertical position, table column widths, row rules);
// paintSummary walks the summary items and drives it.
#pragma once

#include "summary/SummaryRows.h"

#include <QDate>
#include <QFont>
#include <QPainter>

#include <vector>

class QPagedPaintDevice;

namespace stepvane {

// The foot of every printed page: the wizard's file name, "Page N of M" and
// the day it was printed.
struct SummaryFooter {
    QString fileName; // without its folder; "Untitled" for a wizard never saved
    QDate printed;
    int pagesPerCopy = 0; // M; known after a first, unprinted pass
};

class SummaryPrinter {
public:
    explicit SummaryPrinter(QPagedPaintDevice *device);
    SummaryPrinter(const SummaryPrinter &) = delete;
    SummaryPrinter &operator=(const SummaryPrinter &) = delete;
    ~SummaryPrinter();

    // Portrait orientation, then the first page. False when the device cannot
    // be painted on (for example a PDF file that cannot be created).
    bool startDocument();
    // Finishes the last page and the document. False when painting failed.
    bool endDocument();
    // Ends the current page and starts the next one.
    void endPage();

    // One text line. align: kAlignCenter, kAlignRight, anything else left;
    // kKeepLine leaves the vertical position where it was. A line wider than
    // the printable width is split; leftOffset is added to the left position.
    void printLine(const QString &text, SummaryFont size, int align, int leftOffset = 0,
                   bool bold = false);
    // A horizontal rule across the printable width.
    void drawRule();

    // Column proportions of the table that the next rows belong to.
    void setColumns(int leftWeight, int rightWeight);
    // Rules of the rows that follow: on/off and kRuleAbove / kRuleBelow mask.
    void setRules(bool on, int mask);
    // One table row "left|right": each cell one line, cut at the cell's edge.
    // Text after the first "|" all belongs to the right cell.
    void printRow(SummaryFont size, const QString &rowText, bool bold = false);
    // The wizard title rows of the header table, split to fit the right cell.
    void printTitleRows(SummaryFont size, const QString &title);

    // From here on every page keeps a band at its foot for the footer, and
    // the footer is drawn there as each page ends.
    void setFooter(const SummaryFooter &footer);

    int pageCount() const { return m_pages; }
    // Device units below which no row is started (rows) / no line passes (lines).
    int rowLimit() const;
    int lineLimit() const;
    // Left edge of the right cell in device units.
    int columnSplit() const;

private:
    QFont font(SummaryFont size, bool bold) const;
    int lineGap(const QFont &font) const;
    QString clipToWidth(const QString &text, const QFont &font, qreal width) const;
    void ensureRoom(int height, int limit);
    void drawCell(const QString &text, const QFont &font, qreal left, qreal right, int top,
                  int height);
    int footerBand() const;
    void drawFooter();

    QPagedPaintDevice *m_device;
    QPainter m_painter;
    int m_y = 0;
    int m_pages = 0;
    int m_leftWeight = 1;
    int m_rightWeight = 1;
    bool m_rulesOn = true;
    int m_ruleMask = kRuleBoth;
    bool m_pageHasContent = false;
    bool m_hasFooter = false;
    SummaryFooter m_footer;
};

// The space kept free above the bottom margin before a new row is started.
constexpr int kRowBottomReserve = 124;

// Paints the whole summary copies times (each copy starts on a new page).
// False when the device could not be painted on; pages counts the pages made.
// With a footer, each page ends with it; its page count M is found first by
// a pass on a PDF of the device's page layout and resolution.
bool paintSummary(QPagedPaintDevice &device, const std::vector<SummaryItem> &items, int copies = 1,
                  int *pages = nullptr, const SummaryFooter *footer = nullptr);

} // namespace stepvane
