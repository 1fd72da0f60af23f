// Everything modal the editor asks of the user goes through this interface, so
// tests replace it and never block on a message box or a file dialog.
#pragma once

#include "common/MessageSink.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace stepvane {

class UserInterface : public MessageSink {
public:
    // MessageSink: a message box with the caption "Stepvane" (OK).
    void report(const Message &message) override = 0;
    // A question with Yes and No; true for Yes.
    bool ask(const Message &message) override = 0;

    struct FileDialogResult {
        QString path;          // empty when cancelled
        QString password;      // set through the save dialog's "Password" button
        bool passwordSet = false;
    };
    virtual QString openFile(QWidget *parent, const QString &title, const QString &filter,
                             const QString &defaultSuffix) = 0;
    virtual FileDialogResult saveFile(QWidget *parent, const QString &title,
                                      const QString &filter, const QString &defaultSuffix,
                                      const QString &suggestedName, bool offerPassword) = 0;
    // Asks for a password (the password dialog in its entry mode); empty and
    // false when cancelled.
    virtual bool askPassword(QWidget *parent, QString &password) = 0;
};

} // namespace stepvane
