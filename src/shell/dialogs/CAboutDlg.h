// The about box: program icon, name and version, OK, and the button that opens
// the release notes.
#pragma once

#include <QDialog>

class QPushButton;

namespace stepvane {

class UserInterface;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(UserInterface &ui, QWidget *parent = nullptr);

    QPushButton *revisionHistoryButton() const { return m_history; }
    // Opens the release notes, or says where they were expected.
    void openRevisionHistory();

private:
    UserInterface &m_ui;
    QPushButton *m_history;
};

// Where the release notes lie: beside the program, in its data folder.
QString releaseNotesPath();
// The user guide's start page, or empty when it is not there.
QString helpPath();

} // namespace stepvane
