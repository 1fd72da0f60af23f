// Working copies of attached files. Every restored or attached file gets its
// own path in one per-run working folder (a numbered subfolder when its name
// is taken), so two attachments that share a file name never overwrite each
// other. The folder is removed at exit unless
// the caller asks to keep it.
#pragma once

#include "common/AttachmentFile.h"
#include "common/Leftovers.h"

#include <QSet>
#include <QString>

#include <memory>

namespace stepvane {

class WorkingCopies {
public:
    static WorkingCopies &instance();

    // The per-run folder, created on first use under QDir::tempPath() (or the
    // base folder set below). Empty when it cannot be created.
    QString folder();
    // Files go under this folder instead of a temporary one (kept at exit).
    void setBaseFolder(const QString &dir);
    void setKeepOnExit(bool keep) { m_keep = keep; }

    // A fresh, not yet existing path for a file of that stored name; empty when
    // the name has no safe last component. When the name is taken, keepName
    // puts the file in a numbered subfolder under its own name; otherwise the
    // file gets a numbered name beside the others (cheaper: no folder).
    QString newPathFor(const QString &storedName, bool keepName = true);
    // Copies a user's file byte for byte into a fresh working copy named
    // workingName (the source's own name when empty) and returns its path.
    // keepName as for newPathFor. On failure the result is empty, error (when
    // given) says why and nothing is left behind; an earlier working copy is
    // never touched, since another record may still use it.
    QString copyIn(const QString &sourcePath, const QString &workingName = QString(),
                   bool keepName = true, QString *error = nullptr);

    static constexpr qint64 kMaxAttachmentSize = kMaxAttachmentBytes;

    // Removes the per-run folder now (unless kept).
    void cleanup();
    ~WorkingCopies();

private:
    WorkingCopies() = default;
    std::unique_ptr<RunFolder> m_run; // the per-run folder, when it is ours
    QString m_folder;
    QString m_base;
    bool m_keep = false;
    bool m_created = false;
    int m_next = 0;
    QSet<QString> m_used; // names already given out in the folder itself
};

// The last component of a stored name, taking both "/" and "\" as separators.
// Empty when that component is empty, "." or "..", or holds a NUL or control
// character: such a name is never used as a file name. One longer than a
// file system takes is shortened (fittingFileName).
QString safeFileName(const QString &storedName);

// Longest name a working copy gets, in UTF-8 bytes: file systems take 255,
// and a numbered copy ("NAME-12.png") needs a few more.
constexpr qsizetype kMaxWorkingNameBytes = 240;
// name itself when it fits; otherwise its start, "~", a digest of the whole
// name and its extension, within kMaxWorkingNameBytes.
QString fittingFileName(const QString &name);

} // namespace stepvane
