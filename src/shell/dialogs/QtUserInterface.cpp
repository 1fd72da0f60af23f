// Message boxes, file dialogs and modal windows for the running editor.
#include "shell/dialogs/QtUserInterface.h"

#include "shell/comm/CommDialogLauncher.h"
#include "shell/dialogs/CPWDlg.h"
#include "shell/dialogs/DialogFolders.h"
#include "shell/dialogs/WizardFileDialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace stepvane {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        break;
    }
    // Notices such as "the file has been saved" carry no icon.
    return QMessageBox::NoIcon;
}

} // namespace

QString messageBoxText(const Message &message)
{
    QString text = message.text();
    while (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

void QtUserInterface::report(const Message &message)
{
    QMessageBox box(boxIcon(message.icon), QStringLiteral("Stepvane"), messageBoxText(message),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool QtUserInterface::ask(const Message &message)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Stepvane"), messageBoxText(message),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

int QtUserInterface::choose(QWidget *parent, const Question &question)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Stepvane"),
                    messageBoxText(question.message), QMessageBox::NoButton,
                    parent ? parent : QApplication::activeWindow());
    std::vector<QAbstractButton *> buttons;
    for (const QString &answer : question.answers) {
        // Roles only order the buttons; the answer is told by the button.
        const auto role = int(buttons.size()) == question.escape() ? QMessageBox::RejectRole
                                                                   : QMessageBox::AcceptRole;
        buttons.push_back(box.addButton(answer, role));
    }
    if (buttons.empty())
        return -1;
    const auto at = [&](int index) {
        return buttons[std::size_t(std::clamp(index, 0, int(buttons.size()) - 1))];
    };
    box.setDefaultButton(qobject_cast<QPushButton *>(at(question.defaultAnswer)));
    box.setEscapeButton(at(question.escape()));
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i])
            return int(i);
    }
    return question.escape();
}

QString QtUserInterface::openFile(QWidget *parent, const QString &title, const QString &filter,
                                  const QString &defaultSuffix)
{
    return openFileProposing(parent, title, filter, defaultSuffix, QString());
}

QString QtUserInterface::openFileProposing(QWidget *parent, const QString &title,
                                           const QString &filter, const QString &defaultSuffix,
                                           const QString &proposedPath)
{
    QFileDialog dialog(parent, title.isEmpty() ? QStringLiteral("Open") : title);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(toQtNameFilters(filter));
    dialog.setDefaultSuffix(defaultSuffix);
    const QString kind = dialogFileKind(filter, defaultSuffix, title);
    startDialogAt(dialog, kind, proposedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString chosen = dialog.selectedFiles().constFirst();
    rememberDialogFolder(kind, chosen);
    return chosen;
}

UserInterface::FileDialogResult QtUserInterface::saveFile(QWidget *parent, const QString &title,
                                                          const QString &filter,
                                                          const QString &defaultSuffix,
                                                          const QString &suggestedName,
                                                          bool offerPassword)
{
    WizardSaveDialog dialog(*this, title, toQtNameFilters(filter), defaultSuffix, offerPassword,
                            parent);
    const QString kind = dialogFileKind(filter, defaultSuffix, title);
    startDialogAt(dialog, kind, suggestedName);
    FileDialogResult result;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return result;
    result = dialog.passwordResult();
    result.path = dialog.selectedFiles().constFirst();
    rememberDialogFolder(kind, result.path);
    return result;
}

bool QtUserInterface::askPassword(QWidget *parent, QString &password)
{
    CPWDlg dialog(*this, CPWDlg::ModeEnter, parent);
    if (dialog.exec() != QDialog::Accepted) {
        password.clear();
        return false;
    }
    password = dialog.password();
    return true;
}

UserInterface::SaveChoice QtUserInterface::askSaveChanges(QWidget *parent, const Message &question)
{
    // A long file name must not leave the "?" alone on the next line.
    const QString text = messageBoxText(question).replace(" ?", QStringLiteral("\u00A0?"));
    QMessageBox box(QMessageBox::Question, QStringLiteral("Stepvane"), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    parent ? parent : QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

QString QtUserInterface::openWizardFile(QWidget *parent)
{
    WizardOpenDialog dialog(parent);
    const QString kind = dialogFileKind(QStringLiteral("*.wzd"), QString(), QString());
    startDialogAt(dialog, kind, QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString chosen = dialog.selectedFiles().constFirst();
    rememberDialogFolder(kind, chosen);
    return chosen;
}

int QtUserInterface::runModal(QDialog &dialog)
{
    return dialog.exec();
}

bool QtUserInterface::openDocument(const QString &path)
{
#ifdef Q_OS_LINUX
    return openWithXdgOpen(path, kDesktopViewerWaitMs);
#else
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
}

bool openWithXdgOpen(const QString &path, int waitMs)
{
    // Qt's openUrl answers "opened" as soon as xdg-open has started, also
    // when it then finds no browser: the caller would show nothing at all.
    // So xdg-open is watched for a moment; an early failure is a failure.
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return false;
    auto *process = new QProcess(qApp);
    process->setProgram(program);
    process->setArguments({QUrl::fromLocalFile(path).toString()});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->start();
    if (!process->waitForStarted(waitMs)) {
        process->deleteLater();
        return false;
    }
    // Still running: a viewer has taken the document (xdg-open may wait for it).
    if (!process->waitForFinished(waitMs))
        return true;
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
}

bool QtUserInterface::choosePrinter(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool QtUserInterface::fetchSetupFromInstrument(QWidget *parent, const QString &savePath)
{
    return runCommDialog(*this, CommDialogMode::FetchSetup, parent, savePath);
}

} // namespace stepvane
