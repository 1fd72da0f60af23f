// The file dialogs of the document commands: the wizard open dialog with its
// read-only "Spanlyx Model :" line and the save dialog with its "Password"
// button. Both are Qt's own (non-native) file dialog with one extra row.
#pragma once

#include "widgets/UserInterface.h"

#include <QFileDialog>

class QLineEdit;
class QPushButton;

namespace stepvane {

// "Name|*.a;*.b|Other|*.c|" (the form the commands give) to Qt name filters;
// a text without "|" is taken as Qt filters already.
QStringList toQtNameFilters(const QString &filter);

// Points a dialog at where it should start: the folder of a proposed path
// that names one, else the start folder of its kind (DialogFolders.h); a
// proposed name is filled in.
void startDialogAt(QFileDialog &dialog, const QString &kind, const QString &proposedPath);

// The text of the model line for a selected path: "Spanlyx Model : %s" with the
// model named in the file when the path contains ".wzd" or ".WZD" (the model
// "Unknown Equipment" when the file has none), else empty.
QString spanlyxModelLine(const QString &path);

class WizardOpenDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit WizardOpenDialog(QWidget *parent = nullptr);
    QLineEdit *modelLine() const { return m_modelLine; }

private:
    QLineEdit *m_modelLine;
};

class WizardSaveDialog : public QFileDialog {
    Q_OBJECT
public:
    WizardSaveDialog(UserInterface &ui, const QString &title, const QStringList &nameFilters,
                     const QString &defaultSuffix, bool offerPassword, QWidget *parent = nullptr);

    QPushButton *passwordButton() const { return m_passwordButton; }
    // What the last use of the "Password" button left: no press, or a closed or
    // empty password dialog, means no password.
    const UserInterface::FileDialogResult &passwordResult() const { return m_password; }

    // The "Password" button's action: the password dialog in its set mode.
    void askForPassword();

private:
    UserInterface &m_ui;
    QPushButton *m_passwordButton = nullptr;
    UserInterface::FileDialogResult m_password;
};

} // namespace stepvane
