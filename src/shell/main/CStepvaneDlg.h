// The main window: the open wizard and the file it is bound to, the menu strip
// (File, settings, help, about, undo and redo), the model name, the wizard
// title, the sequence pane, the new-sequence field with its two add buttons,
// and Open, Save, Print. Every document command lives here; the sequence pane
// and the task editor edit the same document through the one edit history,
// which also tells whether the document has unsaved changes (a "*" in the
// window title, and a question before anything would lose them).
#pragma once

#include "document/VX_CAAXML_PARSER.h"
#include "document/WizardDocument.h"
#include "shell/history/DocumentHistory.h"
#include "shell/main/CountingSink.h"

#include <QKeySequence>
#include <QWidget>

#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace stepvane {

struct AppState;
class CVXTestList_View;
class FileWatch;
class RecoveryCopies;
class UserInterface;

class CStepvaneDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 328;
    static constexpr int kMinHeight = 638;
    // The least height it can be made: the sequence list scrolls.
    static constexpr int kLeastHeight = 480;

    CStepvaneDlg(AppState &state, UserInterface &ui, QWidget *parent = nullptr);
    ~CStepvaneDlg() override;

    WizardDocument &document() { return m_doc; }
    DocumentHistory &history() { return m_history; }
    bool isModified() const { return m_history.isModified(); }
    QString filePath() const { return m_filePath; }
    QString lastSaveDialogPath() const { return m_lastSavePath; }
    CVXTestList_View *pane() const { return m_pane; }
    QLineEdit *titleEdit() const { return m_titleEdit; }
    QLineEdit *newSequenceEdit() const { return m_newSequenceEdit; }
    QLabel *modelLabel() const { return m_modelLabel; }
    QAction *action(const QString &objectName) const;
    QMenu *recentFilesMenu() const { return m_recentMenu; }

    // Places the window as the program always has: a fifth into the screen.
    void placeOnScreen();
    // After the model changed (start-up with a file): the name shown.
    void refreshModel();

    // When the document has unsaved changes: asks whether to save them.
    // False when the user cancelled, or the save failed or was cancelled;
    // the caller then leaves everything as it is.
    bool maybeSave();
    // The document commands' keys (Ctrl+S, F5, Ctrl+P, F1...) work in the
    // other window too, except keys it gives a meaning of its own.
    void shareDocumentKeys(QWidget *other);
    // Before the file on disk goes to an instrument: with unsaved changes,
    // asks whether to save first (the default) or send the file as saved.
    // False when the user cancels or the save fails: nothing is sent.
    bool saveBeforeSending();

    // While the document has unsaved changes a recovery copy is kept in the
    // folder (nothing is kept without one).
    void keepRecoveryCopies(const QString &folder);
    RecoveryCopies *recoveryCopies() const { return m_recovery.get(); }
    FileWatch *fileWatch() const { return m_watch; }
    // Start-up with a recovered wizard: the file is read like a command-line
    // file, bound to the path it had (if any) and left modified.
    bool openRecoveredFile(const QString &recoveryPath, const QString &originalPath);
    // The whole editor works for another model from here on, as the opening
    // of a file of that model switches it, but as one edit that undo takes
    // back (a merge taking theirs' model). False when there is nothing to do.
    bool switchModelAsEdit(int model, const QString &text);

public slots:
    void newWizard();
    void openWizard();
    // Open of a known path (a recent file): as Open, without the file dialog.
    void openWizardPath(const QString &path);
    void openRecentFile(const QString &path);
    // Each returns whether the wizard was written.
    bool saveWizard();
    bool saveWizardAs();
    void sendToInstrument();
    void communicationSettings();
    void showHelp();
    void showAbout();
    void printSummary();
    void addSequence();
    void addTestingUnitFile();
    void clearAllSequences();
    void copySequence();
    void pasteSequence();
    void openDroppedFiles(const QStringList &paths);
    void openCommandLineFile(const QString &path);
    void undo() { m_history.undo(); }
    void redo() { m_history.redo(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct PasswordCheck {
        bool passed = false;
        QString password; // empty when the file has none
    };
    // The answer to a file made for another model (ModelSwitch.cpp).
    struct ModelOffer {
        int model = -1;        // the model to switch to before reading, -1 none
        bool declined = false; // the user kept the model: the file is refused
    };

    void buildMenuStrip();
    void buildLayout();
    QToolButton *stripButton(const QString &text, const QIcon &icon, const QString &name);
    template <typename Slot>
    QAction *makeAction(const QString &text, const QString &name, Slot slot,
                        const QKeySequence &shortcut = {});
    void fillRecentMenu();
    void updateHistoryControls();
    void showRestored(const HistoryFocus &focus);
    // The window title; text holds "[*]" where the unsaved-changes mark goes.
    void setDocumentTitle(const QString &text);

    // The steps shared by the document commands.
    void resetWizard();
    PasswordCheck checkPassword();
    void storePassword(const QString &password);
    bool reportUnlessAFile(const QString &path);
    // The bound file's name, or "Untitled", for questions about it.
    QString documentName() const;
    bool loadDocumentForReading(const QString &path);
    bool readWizard(const QString &path);
    bool writeWizard(const QString &path);
    void loadWizardFrom(const QString &path);
    // The password check and the read of a file named at start-up.
    bool readAtStartUp(const QString &path);
    void bind(const QString &path, const QString &windowTitle, const QString &tip);
    void showLoadedDocument();
    void reportIfSilent(int messagesBefore, const char *fallbackId);
    // Asks, for a file of another model, whether to switch to it; a declined
    // switch is reported as the refusal it is.
    ModelOffer offerModelOf(const QString &path);
    // The whole editor works for another model from here on.
    void switchModel(int model);

    AppState &m_state;
    UserInterface &m_ui;
    WizardDocument m_doc;
    QString m_filePath;
    QString m_lastSavePath;
    QString m_loadedPath;      // the file the parser last loaded for reading
    CountingSink m_readerSink; // the reader's messages, counted
    VX_CAAXML_PARSER m_parser;
    DocumentHistory m_history;
    std::unique_ptr<RecoveryCopies> m_recovery;
    FileWatch *m_watch = nullptr; // the bound file on disk

    QToolButton *m_fileButton = nullptr;
    QToolButton *m_settingsButton = nullptr;
    QToolButton *m_helpButton = nullptr;
    QToolButton *m_aboutButton = nullptr;
    QToolButton *m_undoButton = nullptr;
    QToolButton *m_redoButton = nullptr;
    QMenu *m_fileMenu = nullptr;
    QMenu *m_settingsMenu = nullptr;
    QMenu *m_recentMenu = nullptr;
    QLabel *m_modelLabel = nullptr;
    QLineEdit *m_titleEdit = nullptr;
    CVXTestList_View *m_pane = nullptr;
    QLineEdit *m_newSequenceEdit = nullptr;
    QToolButton *m_addSequenceButton = nullptr;
    QToolButton *m_addUnitButton = nullptr;
    QPushButton *m_openButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_printButton = nullptr;
};

// The part of a path after its last "/" or "\" (the whole path without either).
QString fileNameOfPath(const QString &path);

} // namespace stepvane
