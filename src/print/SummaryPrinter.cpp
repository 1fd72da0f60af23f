// Page layout of the printed summary. Positions are device units of the
// device's paint rectangle (inside its margins); fonts are sized in points so
// the layout scales with the device's resolution.
#include "print/SummaryPrinter.h"

#include "summary/LineSplit.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace stepvane {

SummaryPrinter::SummaryPrinter(QPagedPaintDevice *device) : m_device(device) {}

SummaryPrinter::~SummaryPrinter()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool SummaryPrinter::startDocument()
{
    m_device->setPageOrientation(QPageLayout::Portrait);
    if (!m_painter.begin(m_device))
        return false;
    m_y = 0;
    m_pages = 1;
    m_pageHasContent = false;
    return true;
}

bool SummaryPrinter::endDocument()
{
    if (!m_painter.isActive())
        return false;
    drawFooter();
    return m_painter.end();
}

void SummaryPrinter::endPage()
{
    drawFooter();
    m_device->newPage();
    ++m_pages;
    m_y = 0;
    m_pageHasContent = false;
}

QFont SummaryPrinter::font(SummaryFont size, bool bold) const
{
    // Arial where it is installed; otherwise the closest sans font (font
    // configuration substitutes a metric-compatible one such as Liberation Sans).
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(summaryFontPoints(size));
    f.setBold(bold);
    return f;
}

int SummaryPrinter::lineGap(const QFont &f) const
{
    return int(std::ceil(QFontMetricsF(f, m_device).height() * 0.15));
}

int SummaryPrinter::lineLimit() const
{
    return m_device->height() - footerBand();
}

int SummaryPrinter::rowLimit() const
{
    return lineLimit() - kRowBottomReserve;
}

int SummaryPrinter::columnSplit() const
{
    const qint64 total = qint64(m_leftWeight) + m_rightWeight;
    return int(qint64(m_device->width()) * m_leftWeight / (total > 0 ? total : 1));
}

void SummaryPrinter::ensureRoom(int height, int limit)
{
    // A fresh page takes what comes even when it is taller than the page.
    if (m_pageHasContent && m_y + height > limit)
        endPage();
    m_pageHasContent = true;
}

QString SummaryPrinter::clipToWidth(const QString &text, const QFont &f, qreal width) const
{
    const QFontMetricsF fm(f, m_device);
    if (fm.horizontalAdvance(text) <= width)
        return text;
    // Widths grow with the prefix: find the longest prefix that fits.
    qsizetype lo = 0, hi = text.size();
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo + 1) / 2;
        if (fm.horizontalAdvance(text.left(mid)) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    if (lo > 0 && text.at(lo - 1).isHighSurrogate())
        --lo;
    return text.left(lo);
}

void SummaryPrinter::printLine(const QString &text, SummaryFont size, int align, int leftOffset,
                               bool bold)
{
    const QFont f = font(size, bold);
    const QFontMetricsF fm(f, m_device);
    const int height = int(std::ceil(fm.height())) + lineGap(f);
    const qreal width = std::max<qreal>(1, m_device->width() - leftOffset);

    // An empty text is measured as "A" so it still takes one line.
    const QStringList pieces =
        text.isEmpty() ? QStringList{QString()} : splitToFit(text, [&](QStringView piece) {
            return fm.horizontalAdvance(piece.toString()) <= width;
        });
    m_painter.setFont(f);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        ensureRoom(height, lineLimit());
        const QString &piece = pieces[i];
        const qreal w = fm.horizontalAdvance(piece);
        qreal x = 0;
        if (align & kAlignCenter)
            x = (m_device->width() - w) / 2;
        else if (align & kAlignRight)
            x = m_device->width() - w;
        x += leftOffset;
        if (!piece.isEmpty())
            m_painter.drawText(QPointF(x, m_y + fm.ascent()), piece);
        const bool last = i + 1 == pieces.size();
        if (!(last && (align & kKeepLine)))
            m_y += height;
    }
}

void SummaryPrinter::drawRule()
{
    const int gap = std::max(1, m_device->logicalDpiY() / 24);
    ensureRoom(2 * gap, lineLimit());
    m_painter.setPen(QPen(Qt::black, std::max(1, m_device->logicalDpiX() / 144)));
    m_painter.drawLine(QPointF(0, m_y + gap), QPointF(m_device->width(), m_y + gap));
    m_y += 2 * gap;
}

void SummaryPrinter::setColumns(int leftWeight, int rightWeight)
{
    m_leftWeight = std::max(0, leftWeight);
    m_rightWeight = std::max(0, rightWeight);
}

void SummaryPrinter::setRules(bool on, int mask)
{
    m_rulesOn = on;
    m_ruleMask = mask;
}

void SummaryPrinter::drawCell(const QString &text, const QFont &f, qreal left, qreal right, int top,
                              int height)
{
    const QFontMetricsF fm(f, m_device);
    const qreal pad = fm.averageCharWidth() / 2;
    QString shown = text;
    shown.replace(u'\t', u' '); // the title's continuation rows have a tab as left cell
    shown = clipToWidth(shown, f, std::max<qreal>(0, right - left - 2 * pad));
    if (shown.isEmpty())
        return;
    const qreal baseline = top + (height - fm.height()) / 2 + fm.ascent();
    m_painter.drawText(QPointF(left + pad, baseline), shown);
}

void SummaryPrinter::printRow(SummaryFont size, const QString &rowText, bool bold)
{
    const QFont f = font(size, bold);
    const QFontMetricsF fm(f, m_device);
    const int pad = int(std::ceil(fm.height() / 5));
    const int height = int(std::ceil(fm.height())) + 2 * pad;
    ensureRoom(height, rowLimit());

    m_painter.setFont(f);
    m_painter.setPen(QPen(Qt::black, std::max(1, m_device->logicalDpiX() / 144)));
    const qsizetype bar = rowText.indexOf(kCellSeparator);
    const int split = columnSplit();
    if (bar < 0) {
        drawCell(rowText, f, 0, m_device->width(), m_y, height);
    } else {
        drawCell(rowText.left(bar), f, 0, split, m_y, height);
        drawCell(rowText.mid(bar + 1), f, split, m_device->width(), m_y, height);
    }
    if (m_rulesOn && (m_ruleMask & kRuleAbove))
        m_painter.drawLine(QPointF(0, m_y), QPointF(m_device->width(), m_y));
    if (m_rulesOn && (m_ruleMask & kRuleBelow))
        m_painter.drawLine(QPointF(0, m_y + height), QPointF(m_device->width(), m_y + height));
    m_y += height;
}

void SummaryPrinter::printTitleRows(SummaryFont size, const QString &title)
{
    const QFont f = font(size, false);
    const QFontMetricsF fm(f, m_device);
    const qreal cellText = m_device->width() - columnSplit() - fm.averageCharWidth();
    const QStringList rows = summaryTitleRows(title, [&](QStringView piece) {
        return fm.horizontalAdvance(piece.toString()) <= cellText;
    });
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows.size() == 1)
            setRules(true, kRuleBoth);
        else if (i == 0)
            setRules(true, kRuleAbove);
        else if (i + 1 == rows.size())
            setRules(true, kRuleBelow);
        else
            setRules(false, kRuleBoth);
        printRow(size, rows[i]);
    }
    setRules(true, kRuleBoth);
}

void SummaryPrinter::setFooter(const SummaryFooter &footer)
{
    m_footer = footer;
    m_hasFooter = true;
}

int SummaryPrinter::footerBand() const
{
    if (!m_hasFooter)
        return 0;
    // One small line, with a line's height of space above it.
    return 2 * int(std::ceil(QFontMetricsF(font(SummaryFont::Points8, false), m_device).height()));
}

void SummaryPrinter::drawFooter()
{
    if (!m_hasFooter || !m_painter.isActive())
        return;
    const QFont f = font(SummaryFont::Points8, false);
    const QFontMetricsF fm(f, m_device);
    const qreal width = m_device->width();
    const qreal baseline = m_device->height() - fm.descent();
    const int total = std::max(1, m_footer.pagesPerCopy);
    const QString page =
        QStringLiteral("Page %1 of %2").arg((m_pages - 1) % total + 1).arg(m_footer.pagesPerCopy);
    const QString date = m_footer.printed.toString(Qt::ISODate);
    m_painter.setFont(f);
    m_painter.drawText(QPointF((width - fm.horizontalAdvance(page)) / 2, baseline), page);
    m_painter.drawText(QPointF(width - fm.horizontalAdvance(date), baseline), date);
    // The name gives way to the page number in the middle.
    const qreal room = (width - fm.horizontalAdvance(page)) / 2 - fm.averageCharWidth() * 2;
    m_painter.drawText(QPointF(0, baseline),
                       fm.elidedText(m_footer.fileName, Qt::ElideMiddle, room));
}

namespace {

bool paintPass(QPagedPaintDevice &device, const std::vector<SummaryItem> &items, int copies,
               int *pages, const SummaryFooter *footer)
{
    SummaryPrinter printer(&device);
    if (!printer.startDocument())
        return false;
    if (footer)
        printer.setFooter(*footer);
    for (int copy = 0; copy < std::max(1, copies); ++copy) {
        if (copy > 0)
            printer.endPage();
        for (const SummaryItem &item : items) {
            switch (item.type) {
            case SummaryItem::Line:
                printer.printLine(item.text, item.font, item.align, 0, item.bold);
                break;
            case SummaryItem::Rule:
                printer.drawRule();
                break;
            case SummaryItem::Table:
                printer.setColumns(item.leftWeight, item.rightWeight);
                break;
            case SummaryItem::Row:
                printer.setRules(item.rulesOn, item.ruleMask);
                printer.printRow(item.font, item.text, item.bold);
                break;
            case SummaryItem::TitleRow:
                printer.printTitleRows(item.font, item.text);
                break;
            }
        }
    }
    if (pages)
        *pages = printer.pageCount();
    return printer.endDocument();
}

// The pages one copy takes on the device, counted on a PDF in memory with the
// same page layout and resolution, so the text measures the same.
int pagesPerCopy(QPagedPaintDevice &device, const std::vector<SummaryItem> &items,
                 const SummaryFooter &footer)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter probe(&buffer);
    probe.setResolution(device.logicalDpiY());
    probe.setPageLayout(device.pageLayout());
    int pages = 0;
    return paintPass(probe, items, 1, &pages, &footer) ? pages : 0;
}

} // namespace

bool paintSummary(QPagedPaintDevice &device, const std::vector<SummaryItem> &items, int copies,
                  int *pages, const SummaryFooter *footer)
{
    if (!footer)
        return paintPass(device, items, copies, pages, nullptr);
    SummaryFooter counted = *footer;
    counted.pagesPerCopy = pagesPerCopy(device, items, counted);
    return paintPass(device, items, copies, pages, &counted);
}

} // namespace stepvane
