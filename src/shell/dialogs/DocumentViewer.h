// DocumentViewer: the program's own window for its HTML documents (the user
// guide, the release notes), used when no desktop browser can be started.
// One viewer per owner window, reused, not modal.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace stepvane {

class DocumentViewer : public QDialog {
    Q_OBJECT
public:
    explicit DocumentViewer(QWidget *owner);

    // Loads the file; false with the reason (in the system's words) when it
    // cannot be read.
    bool load(const QString &path, QString *error);
    QString shownPath() const { return m_path; }
    QTextBrowser *browser() const { return m_browser; }

    // Shows the file in the owner's viewer (made on first use). Returns the
    // viewer, or nullptr with the reason when the file cannot be read.
    static DocumentViewer *showIn(QWidget *owner, const QString &path, QString *error);

private:
    QTextBrowser *m_browser;
    QString m_path;
};

// A program document (help, release notes) in the desktop's viewer or, when
// none can be started, in the program's own. False with the reason when
// neither can show it.
class UserInterface;
bool openProgramDocument(UserInterface &ui, QWidget *owner, const QString &path, QString *error);

} // namespace stepvane
