// What the web pages (walk-through and review diff) share: escaping of every
// text taken from a wizard, the page's head with its screen and print styles,
// and the export folder: DIR/index.html and DIR/files/..., where attached
// pictures are copied under safe names of our own. Nothing is written outside
// DIR, and a symbolic link where a file goes is refused rather than followed.
#pragma once

#include "common/OutputFolder.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

namespace stepvane {

// Text made safe inside an element or a quoted attribute: & < > " ' become
// references, control characters (C0 but line breaks and tabs, DEL, C1) are
// dropped.
QString htmlEscape(const QString &text);
// The same text appended to a page built as UTF-8: exactly the bytes of
// htmlEscape(text).toUtf8(), without the strings in between.
void appendHtmlEscaped(QByteArray &page, QStringView text);

// The page up to and including <body>: doctype, charset, a policy that lets
// no script run, the title and the styles (a print style that starts each
// element of class "sequence" on a new page).
QString htmlPageStart(const QString &title);
QString htmlPageEnd();

// The SHA-256 of a file's bytes as lowercase hex; empty when it cannot be read.
QString fileSha256(const QString &path);

struct WebPageResult {
    bool ok = false;
    QString error;        // why nothing (or no index.html) was written
    QStringList problems; // attached files that could not be copied
};

class HtmlExportFolder {
public:
    explicit HtmlExportFolder(const QString &dir);
    ~HtmlExportFolder();

    // Creates DIR and DIR/files. False (with error()) when either cannot be
    // made or is a symbolic link.
    bool prepare();

    // Copies an attached file into DIR/files under a safe name made from the
    // author's name and returns the page's link to it ("files/003-mast.png").
    // The same source copied twice gives the same link. Empty (a problem is
    // noted) when the source cannot be read.
    QString addFile(const QString &sourcePath, const QString &name);

    // Ends the page begun with htmlPageStart and writes it as DIR/index.html.
    WebPageResult finish(QString html);
    // The same for a page built as UTF-8.
    WebPageResult finishUtf8(QByteArray page);
    // What went wrong so far (after a failed prepare).
    WebPageResult result() const { return {false, m_error, m_problems}; }

    QString error() const { return m_error; }
    // Files that could not be copied; the page says so where they belong.
    const QStringList &problems() const { return m_problems; }

private:
    OutputFolder m_dir;
    std::unique_ptr<OutputFolder> m_files; // DIR/files
    QString m_error;
    QStringList m_problems;
    QHash<QString, QString> m_copied; // source path -> link
    int m_next = 0;
};

// The file name part of an attached file's link, kept to letters, digits,
// ".", "-" and "_" so that it means the same on every system and in a URL.
QString safeExportName(const QString &name);

} // namespace stepvane
