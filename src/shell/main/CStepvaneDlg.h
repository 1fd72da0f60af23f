// The main window: the open wizard and the file it is bound to, the menu strip
// (File, settings, help, about), the model name, the wizard title, the sequence
// pane, the new-sequence field with its two add buttons, and Open, Save, Print.
// Every document command lives here; the sequence pane edits the same document.
#pragma once

#include "document/VX_CAAXML_PARSER.h"
#include "document/WizardDocument.h"
#include "shell/main/CountingSink.h"

#include <QWidget>

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
class UserInterface;

class CStepvaneDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 328;
    static constexpr int kMinHeight = 638;

    CStepvaneDlg(AppState &state, UserInterface &ui, QWidget *parent = nullptr);
    ~CStepvaneDlg() override;

    WizardDocument &document() { return m_doc; }
    QString filePath() const { return m_filePath; }
    QString lastSaveDialogPath() const { return m_lastSavePath; }
    CVXTestList_View *pane() const { return m_pane; }
    QLineEdit *titleEdit() const { return m_titleEdit; }
    QLineEdit *newSequenceEdit() const { return m_newSequenceEdit; }
    QLabel *modelLabel() const { return m_modelLabel; }
    QAction *action(const QString &objectName) const;

    // Places the window as the program always has: a fifth into the screen.
    void placeOnScreen();
    // After the model changed (start-up with a file): the name shown.
    void refreshModel();

public slots:
    void newWizard();
    void openWizard();
    void saveWizard();
    void saveWizardAs();
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct PasswordCheck {
        bool passed = false;
        QString password; // empty when the file has none
    };

    void buildMenuStrip();
    void buildLayout();
    QToolButton *stripButton(const QString &text, const QIcon &icon, const QString &name);
    QAction *makeAction(const QString &text, const QString &name, void (CStepvaneDlg::*slot)());

    // The steps shared by the document commands.
    void resetWizard();
    PasswordCheck checkPassword();
    void storePassword(const QString &password);
    bool loadDocumentForReading(const QString &path);
    bool readWizard(const QString &path);
    bool writeWizard(const QString &path);
    void bind(const QString &path, const QString &windowTitle, const QString &tip);
    void showLoadedDocument();
    void reportIfSilent(int messagesBefore, const char *fallbackId);

    AppState &m_state;
    UserInterface &m_ui;
    WizardDocument m_doc;
    QString m_filePath;
    QString m_lastSavePath;
    CountingSink m_readerSink; // the reader's messages, counted
    VX_CAAXML_PARSER m_parser;

    QToolButton *m_fileButton = nullptr;
    QToolButton *m_settingsButton = nullptr;
    QToolButton *m_helpButton = nullptr;
    QToolButton *m_aboutButton = nullptr;
    QMenu *m_fileMenu = nullptr;
    QMenu *m_settingsMenu = nullptr;
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
