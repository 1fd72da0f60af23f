// A quiet line in a window that says what was just written and where, with a
// button that opens the folder; it goes away by itself after a while, or with
// its close button. Nothing modal: the user goes on working while it shows.
#pragma once

#include <QFrame>

class QLabel;
class QPushButton;
class QTimer;

namespace stepvane {

class UserInterface;

class StatusNotice : public QFrame {
    Q_OBJECT
public:
    static constexpr int kShownMs = 30000;

    StatusNotice(UserInterface &ui, QWidget *parent);

    // text names what was written; folder is opened by "Open folder".
    void showWritten(const QString &text, const QString &folder);
    QString text() const;
    QString folder() const { return m_folder; }
    QLabel *textLabel() const { return m_text; }
    QPushButton *openFolderButton() const { return m_openFolder; }

private:
    void openFolder();

    UserInterface &m_ui;
    QString m_folder;
    QLabel *m_text = nullptr;
    QPushButton *m_openFolder = nullptr;
    QPushButton *m_close = nullptr;
    QTimer *m_timer = nullptr;
};

// The notice of the window (the one in its layout); when it has none, one is
// made as a strip along the window's foot.
StatusNotice *noticeOf(UserInterface &ui, QWidget *window);
// "<what> written: <path>" in the window's notice, opening the path's folder.
void showWrittenNotice(UserInterface &ui, QWidget *window, const QString &what,
                       const QString &path);

} // namespace stepvane
