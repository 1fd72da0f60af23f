// The application object: the state shared by the whole run (model, distance
// unit, clipboards), the start-up sequence (data files, the model from a
// wizard on the command line, from a recovered copy of a run that crashed, or
// from the model dialog, the main window) and three small file helpers.
#pragma once

#include "shell/history/RecoveryCopies.h"
#include "widgets/AppState.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace stepvane {

class CStepvaneDlg;
class MergeSession;
class MergeWindow;
class UserInterface;

class CStepvaneApp {
public:
    explicit CStepvaneApp(UserInterface &ui);
    ~CStepvaneApp();

    AppState &state() { return m_state; }
    QString commandLineFile() const { return m_commandLineFile; }
    bool commandLineFilePending() const { return m_commandLineFlag; }
    // Where the recovery copies are kept (the user's state folder unless set).
    void setRecoveryFolder(const QString &folder) { m_recoveryFolder = folder; }
    QString recoveryFolder() const { return m_recoveryFolder; }
    // With "--merge BASE LOCAL REMOTE MERGED": the merge window beside the
    // main window CreateMainWindow made (owned by it), else nullptr.
    MergeWindow *mergeWindow() const { return m_mergeWindow; }

    // The whole run: Prepare, then the main window until it closes. Returns the
    // program's exit status. Needs a running QApplication.
    int Start(const QStringList &arguments);

    // Start-up up to the choice of the model: names the settings root, reads
    // the data files, takes the command-line file, offers a recovery copy a
    // crashed run left behind, or asks for the model. False when the program
    // is to end here (the model dialog was cancelled).
    bool Prepare(const QStringList &arguments);
    // Creates the main window; with a command-line file (or a recovered copy)
    // the model is taken from it and the file is opened.
    std::unique_ptr<CStepvaneDlg> CreateMainWindow();

    // Text of the platform's narrow code page (Windows-1252 here) as wide
    // text; at most 259 bytes are taken.
    static QString TextFromNarrow(const QByteArray &narrow);
    // The user's temporary folder, ending in a separator.
    static QString TemporaryFolder();
    // Size of an existing file in bytes, or -1 when it cannot be told.
    static qint64 FileSize(const QString &path);

private:
    bool offerRecovery();
    // "--merge" and its four files; false (and the status set) when the
    // program is to end here.
    bool prepareMerge(const QStringList &arguments, qsizetype at);

    UserInterface &m_ui;
    AppState m_state;
    QString m_commandLineFile;
    bool m_commandLineFlag = false;
    QString m_recoveryFolder = RecoveryCopies::defaultFolder();
    std::optional<RecoveryCopies::Orphan> m_recovered;
    std::unique_ptr<MergeSession> m_merge;
    MergeWindow *m_mergeWindow = nullptr;
    int m_endStatus = 0; // the exit status when Prepare ends the program
};

} // namespace stepvane
