// Everything modal the editor asks of the user goes through this interface, so
// tests replace it and never block on a message box, a file dialog or a modal
// window. QtUserInterface (shell/dialogs) is the real one.
#pragma once

#include "common/MessageSink.h"

#include <QString>
#include <QStringList>

class QDialog;
class QPrinter;
class QWidget;

namespace stepvane {

class UserInterface : public MessageSink {
public:
    // MessageSink: a message box with the caption "Stepvane" (OK).
    void report(const Message &message) override = 0;
    // A question with Yes and No; true for Yes. No is the default: this form
    // is for questions whose safe answer is to leave things as they are.
    bool ask(const Message &message) override = 0;

    // A question whose buttons say what each answer does, for questions where
    // the answer that keeps the user's work is not "no". Enter gives
    // defaultAnswer; Escape and the close box give the escape answer.
    struct Question {
        Message message;
        QStringList answers;   // button texts, in order
        int defaultAnswer = 0; // index into answers
        int escapeAnswer = -1; // index into answers; -1: the last one
        int escape() const { return escapeAnswer < 0 ? int(answers.size()) - 1 : escapeAnswer; }
    };
    // The index of the chosen answer. Without a user to ask, the escape
    // answer: nothing is done that was not asked for.
    virtual int choose(QWidget *parent, const Question &question)
    {
        (void)parent;
        return question.escape();
    }

    struct FileDialogResult {
        QString path;         // empty when cancelled
        QString password;     // set through the save dialog's "Password" button
        QString confirmation; // the password as typed a second time
        bool passwordSet = false;
    };
    // Filters are given in the "Name|*.a;*.b|" form (several pairs allowed) or
    // as a plain Qt filter "Name (*.a *.b)".
    virtual QString openFile(QWidget *parent, const QString &title, const QString &filter,
                             const QString &defaultSuffix) = 0;
    // As openFile, proposing a file: the dialog opens in its folder with its
    // name filled in. The default proposes nothing.
    virtual QString openFileProposing(QWidget *parent, const QString &title, const QString &filter,
                                      const QString &defaultSuffix, const QString &proposedPath)
    {
        (void)proposedPath;
        return openFile(parent, title, filter, defaultSuffix);
    }
    // With offerPassword the dialog carries a "Password" button that opens the
    // password dialog in its set mode; the result says what it ended with.
    virtual FileDialogResult saveFile(QWidget *parent, const QString &title, const QString &filter,
                                      const QString &defaultSuffix, const QString &suggestedName,
                                      bool offerPassword) = 0;
    // Asks for a password (the password dialog in its entry mode); empty and
    // false when cancelled.
    virtual bool askPassword(QWidget *parent, QString &password) = 0;

    // Before unsaved changes would be lost: the question with Save, Discard
    // and Cancel. The default answers Cancel, so nothing is ever lost unasked.
    enum class SaveChoice { Save, Discard, Cancel };
    virtual SaveChoice askSaveChanges(QWidget *parent, const Message &question)
    {
        (void)parent;
        (void)question;
        return SaveChoice::Cancel;
    }

    // The open dialog for wizards, with its read-only "Spanlyx Model :" line.
    // The default has no window and answers "cancelled".
    virtual QString openWizardFile(QWidget *parent) { return openFile(parent, QString(), {}, {}); }
    // Runs a modal window to its end and returns its result code
    // (QDialog::Accepted or Rejected). The default does not show anything and
    // answers "rejected", so a fake that does not care never blocks.
    virtual int runModal(QDialog &) { return 0; }
    // Opens a document (help, release notes) with the desktop's viewer; false
    // when the viewer could not be started.
    virtual bool openDocument(const QString &) { return false; }
    // The print dialog: sets up the printer (copies included); false cancels.
    // The default answers "cancelled".
    virtual bool choosePrinter(QPrinter &, QWidget *) { return false; }
    // Fetches the instrument's current setup into savePath through the
    // communication dialog ("Load Setup file From EQP"); true when a setup was
    // received and written there. The default fetches nothing.
    virtual bool fetchSetupFromInstrument(QWidget *, const QString &) { return false; }
};

} // namespace stepvane
