// The real user interface: message boxes with the caption "Stepvane", Qt's
// file dialogs (the wizard ones with their extra model line and "Password"
// button), the password dialog, modal windows and the desktop's viewer.
#pragma once

#include "widgets/UserInterface.h"

namespace stepvane {

class QtUserInterface : public UserInterface {
public:
    void report(const Message &message) override;
    bool ask(const Message &message) override;
    int choose(QWidget *parent, const Question &question) override;
    QString openFile(QWidget *parent, const QString &title, const QString &filter,
                     const QString &defaultSuffix) override;
    QString openFileProposing(QWidget *parent, const QString &title, const QString &filter,
                              const QString &defaultSuffix, const QString &proposedPath) override;
    FileDialogResult saveFile(QWidget *parent, const QString &title, const QString &filter,
                              const QString &defaultSuffix, const QString &suggestedName,
                              bool offerPassword) override;
    bool askPassword(QWidget *parent, QString &password) override;
    SaveChoice askSaveChanges(QWidget *parent, const Message &question) override;
    QString openWizardFile(QWidget *parent) override;
    int runModal(QDialog &dialog) override;
    bool openDocument(const QString &path) override;
    bool choosePrinter(QPrinter &printer, QWidget *parent) override;
    bool fetchSetupFromInstrument(QWidget *parent, const QString &savePath) override;
};

// Opens the document with xdg-open and waits up to waitMs for it to fail:
// false when there is no xdg-open or it ended with an error (no viewer could
// be started), true when it succeeded or a viewer is still running.
bool openWithXdgOpen(const QString &path, int waitMs);
constexpr int kDesktopViewerWaitMs = 1500;

// The text a message box shows: the message's text without the line feed the
// language table ends every text with.
QString messageBoxText(const Message &message);

} // namespace stepvane
