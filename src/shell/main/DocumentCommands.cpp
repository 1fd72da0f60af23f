// The document commands of the main window: New, Open (file dialog, recent
// file, dropped file, command line, recovered copy) with the password check
// and the question about unsaved changes, Save and Save as with the password
// button, and the sequence commands (add, add from a testing unit file, clear
// all, copy, paste), each an undoable step of the history.
#include "shell/main/CStepvaneDlg.h"

#include "common/FileKind.h"
#include "document/NameTables.h"
#include "shell/dialogs/DialogFolders.h"
#include "shell/history/RecoveryCopies.h"
#include "shell/main/FileWatch.h"
#include "shell/main/RecentFiles.h"
#include "shell/main/SequenceClipboard.h"
#include "shell/sequences/CVXTestList_View.h"
#include "widgets/AppState.h"
#include "widgets/UserInterface.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

namespace stepvane {

namespace {

Message idMessage(const char *id, MessageIcon icon = MessageIcon::Error)
{
    return Message::fromId(QLatin1String(id), {}, icon);
}

bool isKnownModel(int model)
{
    return model >= 0 && model < kModelCount;
}

} // namespace

void CStepvaneDlg::reportIfSilent(int messagesBefore, const char *fallbackId)
{
    // A file that cannot be used always gets a message, also where the reader
    // itself stays silent (not XML, a required header value missing).
    if (m_readerSink.count() == messagesBefore)
        m_ui.report(idMessage(fallbackId));
}

void CStepvaneDlg::resetWizard()
{
    const int endOption = m_doc.SeqEndOption; // the reset keeps the end option
    m_doc.clear();
    m_doc.SeqEndOption = endOption;
    m_titleEdit->clear();
    m_pane->resetPane();
    m_history.clear();
    m_filePath.clear();
    setDialogWizardPath(QString());
    m_watch->watch(QString());
    if (m_recovery)
        m_recovery->setOriginalPath(QString());
    setDocumentTitle(kApplicationVersion + QStringLiteral("[*]"));
    setToolTip(QString());
    update();
}

QString CStepvaneDlg::documentName() const
{
    return m_filePath.isEmpty() ? QStringLiteral("Untitled") : fileNameOfPath(m_filePath);
}

bool CStepvaneDlg::maybeSave()
{
    if (!m_history.isModified())
        return true;
    const Message question = Message::fromText(QStringLiteral("Save changes to %s ?"),
                                               {documentName()}, MessageIcon::Question);
    switch (m_ui.askSaveChanges(this, question)) {
    case UserInterface::SaveChoice::Save:
        return saveWizard();
    case UserInterface::SaveChoice::Discard:
        return true;
    case UserInterface::SaveChoice::Cancel:
        break;
    }
    return false;
}

bool CStepvaneDlg::saveBeforeSending()
{
    if (!m_history.isModified())
        return true;
    UserInterface::Question question;
    question.message = Message::fromText(QStringLiteral("Save changes to %s before sending?"),
                                         {documentName()}, MessageIcon::Question);
    // Enter saves and sends what the user sees; the older file goes out only
    // when asked for by name, and a wizard never saved has no such file.
    question.answers << QStringLiteral("Save and send");
    if (!m_filePath.isEmpty())
        question.answers << QStringLiteral("Send the saved file");
    question.answers << QStringLiteral("Cancel");
    const int answer = m_ui.choose(this, question);
    if (answer == question.escape())
        return false;
    return answer != 0 || saveWizard();
}

CStepvaneDlg::PasswordCheck CStepvaneDlg::checkPassword()
{
    PasswordCheck result;
    const QString stored = m_parser.Read_Password();
    if (stored.isEmpty()) {
        result.passed = true;
        return result;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        QString entered;
        if (!m_ui.askPassword(this, entered))
            return result;
        if (entered == stored) {
            result.passed = true;
            result.password = entered;
            return result;
        }
        m_ui.report(idMessage("IDS_INCORRECT_PW", MessageIcon::Warning));
    }
    return result;
}

void CStepvaneDlg::storePassword(const QString &password)
{
    if (!password.isEmpty())
        m_doc.setPassword(password);
}

// A folder, fifo or device is named as what it is (and a fifo is never
// opened: reading it would block the window).
bool CStepvaneDlg::reportUnlessAFile(const QString &path)
{
    const QString problem = notARegularFile(path);
    if (problem.isEmpty())
        return true;
    m_ui.report(Message::fromText(QStringLiteral("Cannot open %s: %s."),
                                  {QDir::toNativeSeparators(path), problem}));
    return false;
}

bool CStepvaneDlg::loadDocumentForReading(const QString &path)
{
    if (!reportUnlessAFile(path))
        return false;
    m_parser.Set_Document(&m_doc);
    m_parser.Set_Model(m_state.CurrentModelIndex);
    m_parser.Reset_Document();
    m_loadedPath = path;
    if (m_parser.Load_Document(path))
        return true;
    m_ui.report(idMessage("IDS_UNKNOWN_WZD_FILE"));
    return false;
}

bool CStepvaneDlg::readWizard(const QString &path)
{
    const int before = m_readerSink.count();
    m_parser.Set_Model(m_state.CurrentModelIndex);
    // The file was parsed for its password already; unless the parser went
    // on to other work meanwhile (a save), that parse is read, not a new one.
    const bool loaded = m_parser.Is_Loaded() && m_loadedPath == path;
    const bool ok = (loaded ? m_parser.Read_Loaded_Wizard() : m_parser.Read_Wizard_File(path)) == 1;
    if (!ok)
        reportIfSilent(before, "IDS_UNKNOWN_WZD_FILE");
    return ok;
}

void CStepvaneDlg::showLoadedDocument()
{
    m_titleEdit->setText(m_doc.Title);
    m_pane->refreshRows();
    m_pane->showEndOption();
}

void CStepvaneDlg::bind(const QString &path, const QString &windowTitle, const QString &tip)
{
    m_filePath = path;
    setDialogWizardPath(path);
    m_watch->watch(path);
    setDocumentTitle(windowTitle);
    setToolTip(tip);
    if (m_recovery)
        m_recovery->setOriginalPath(path);
    RecentFiles::add(path);
}

// Where the program once asked "IDS_ALL_CLEAR_TESTING_SEQUENCE" before
// letting go of the wizard, it now asks about unsaved changes, and only when
// there are some: a wizard that was saved loses nothing.
void CStepvaneDlg::newWizard()
{
    if (!maybeSave())
        return;
    resetWizard();
}

void CStepvaneDlg::openWizard()
{
    if (!maybeSave())
        return;
    const QString path = m_ui.openWizardFile(this);
    if (path.isEmpty())
        return;
    loadWizardFrom(path);
}

void CStepvaneDlg::openWizardPath(const QString &path)
{
    if (!maybeSave())
        return;
    loadWizardFrom(path);
}

void CStepvaneDlg::openRecentFile(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        m_ui.report(Message::fromText(QStringLiteral("The file %s no longer exists; it is removed "
                                                     "from the recent files."),
                                      {QDir::toNativeSeparators(path)}));
        RecentFiles::remove(path);
        fillRecentMenu();
        return;
    }
    openWizardPath(path);
}

void CStepvaneDlg::loadWizardFrom(const QString &path)
{
    // Something that is not a file at all leaves the wizard as it was, and
    // so does a file of another model when the model is kept.
    if (!reportUnlessAFile(path))
        return;
    const ModelOffer offer = offerModelOf(path);
    if (offer.declined)
        return;
    const int modelBefore = m_state.CurrentModelIndex;
    resetWizard();
    if (!loadDocumentForReading(path))
        return;
    const PasswordCheck check = checkPassword();
    if (!check.passed)
        return;
    storePassword(check.password);
    switchModel(offer.model);
    if (!readWizard(path)) {
        // A refused file leaves nothing half-read behind.
        resetWizard();
        switchModel(modelBefore);
        return;
    }
    showLoadedDocument();
    const QString name = fileNameOfPath(path);
    bind(path, name + QStringLiteral("[*]"), name);
}

void CStepvaneDlg::openDroppedFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    if (paths.size() > 1) {
        m_ui.report(idMessage("IDS_MULTIPLE_FILES_NOT_SUPPORT", MessageIcon::Warning));
        return;
    }
    const QString path = paths.constFirst();
    if (!loadDocumentForReading(path))
        return;
    const ModelOffer offer = offerModelOf(path);
    if (offer.declined)
        return;
    const PasswordCheck check = checkPassword();
    if (!check.passed)
        return;
    if (!maybeSave())
        return;
    const int modelBefore = m_state.CurrentModelIndex;
    resetWizard();
    storePassword(check.password);
    switchModel(offer.model);
    if (!readWizard(path)) {
        resetWizard();
        switchModel(modelBefore);
        return;
    }
    showLoadedDocument();
    bind(path, QStringLiteral("%1[*] - %2").arg(path, kApplicationVersion), toolTip());
}

bool CStepvaneDlg::readAtStartUp(const QString &path)
{
    refreshModel();
    if (!loadDocumentForReading(path)) {
        resetWizard();
        return false;
    }
    const ModelOffer offer = offerModelOf(path);
    const PasswordCheck check = offer.declined ? PasswordCheck{} : checkPassword();
    resetWizard();
    if (!check.passed)
        return false;
    storePassword(check.password);
    const int modelBefore = m_state.CurrentModelIndex;
    switchModel(offer.model);
    if (!readWizard(path)) {
        resetWizard();
        switchModel(modelBefore);
        return false;
    }
    showLoadedDocument();
    return true;
}

void CStepvaneDlg::openCommandLineFile(const QString &path)
{
    if (!readAtStartUp(path))
        return;
    const QString title = QStringLiteral("%1 - %2").arg(path, kApplicationVersion);
    bind(path, QStringLiteral("%1[*] - %2").arg(path, kApplicationVersion), title);
}

bool CStepvaneDlg::openRecoveredFile(const QString &recoveryPath, const QString &originalPath)
{
    if (!readAtStartUp(recoveryPath))
        return false;
    if (!originalPath.isEmpty()) {
        const QString title = QStringLiteral("%1 - %2").arg(originalPath, kApplicationVersion);
        bind(originalPath, QStringLiteral("%1[*] - %2").arg(originalPath, kApplicationVersion),
             title);
    }
    // Restored, not saved: the user decides where it goes.
    m_history.markModified();
    return true;
}

bool CStepvaneDlg::writeWizard(const QString &path)
{
    bool saved = false;
    if (isKnownModel(m_state.CurrentModelIndex)) {
        m_parser.Set_Document(&m_doc);
        m_parser.Set_Model(m_state.CurrentModelIndex);
        saved = m_parser.Save_Wizard(path);
    }
    if (!saved) {
        // The system's reason (a full disk, a read-only file) goes with it.
        m_ui.report(idMessage("IDS_SAVE_FAIL").withDetail(m_parser.Error_Text()));
        return false;
    }
    m_history.setSaved();
    m_ui.report(idMessage("IDS_FILE_SAVE_COMPLETE", MessageIcon::Information));
    const QString name = fileNameOfPath(path);
    bind(path, name + QStringLiteral("[*]"), name);
    return true;
}

bool CStepvaneDlg::saveWizard()
{
    if (m_filePath.isEmpty())
        return saveWizardAs();
    // Save writes only where the bound file still is; it never recreates a
    // file that was removed behind the editor's back.
    if (!QFileInfo(m_filePath).isFile()) {
        m_ui.report(idMessage("IDS_SAVE_FAIL"));
        return false;
    }
    switch (m_watch->beforeSave()) {
    case FileWatch::SaveChoice::Overwrite:
        return writeWizard(m_filePath);
    case FileWatch::SaveChoice::SaveAs:
        return saveWizardAs();
    case FileWatch::SaveChoice::Cancel:
        break;
    }
    return false;
}

bool CStepvaneDlg::saveWizardAs()
{
    const UserInterface::FileDialogResult chosen =
        m_ui.saveFile(this, QStringLiteral("Save As"), QStringLiteral("Stepvane files|*.wzd|"),
                      QStringLiteral("wzd"), proposedWizardPath(m_doc.Title, m_filePath), true);
    // Cancel leaves the wizard as it was, its password included: only a saved
    // file takes the password chosen in the dialog (none unless "Password"
    // ended with one).
    if (chosen.path.isEmpty())
        return false;
    m_lastSavePath = chosen.path;
    WizardHeader header = WizardHeader::of(m_doc);
    header.PW = chosen.passwordSet ? chosen.password : QString();
    header.PW_Confirm = chosen.passwordSet ? chosen.confirmation : QString();
    header.PasswordSet = chosen.passwordSet ? 1 : 0;
    m_history.changeHeader(header, QStringLiteral("Password"));
    return writeWizard(chosen.path);
}

void CStepvaneDlg::addSequence()
{
    if (m_doc.sequenceCount() >= kMaxSequences) {
        m_ui.report(idMessage("IDS_SEQ_OVERFLOW", MessageIcon::Warning));
        return;
    }
    auto sequence = std::make_unique<TestingSequence>();
    sequence->Title = m_newSequenceEdit->text();
    m_newSequenceEdit->clear();
    m_history.insertSequence(-1, std::move(sequence), QStringLiteral("Add sequence"));
    m_pane->refreshRows();
}

void CStepvaneDlg::addTestingUnitFile()
{
    if (m_doc.sequenceCount() >= kMaxSequences) {
        m_ui.report(idMessage("IDS_SEQ_OVERFLOW", MessageIcon::Warning));
        return;
    }
    const QString path =
        m_ui.openFileProposing(this, QStringLiteral("Add testing unit file"),
                               QStringLiteral("testing unit file(*.tuf, *.TUF)|*.tuf;*.TUF|"),
                               QStringLiteral("tuf"), m_filePath);
    if (path.isEmpty())
        return;
    // Read aside, then added as one step of the history.
    const int before = m_readerSink.count();
    WizardDocument unit;
    m_parser.Set_Document(&unit);
    m_parser.Set_Model(m_state.CurrentModelIndex);
    const bool read = m_parser.Read_Testing_Unit_File(path) == 1 && unit.sequenceCount() == 1;
    m_parser.Set_Document(&m_doc);
    if (!read) {
        reportIfSilent(before, "IDS_UNKNOWN_WZD_FILE");
        return;
    }
    m_history.insertSequence(-1, std::move(unit.sequences.front()),
                             QStringLiteral("Add testing unit file"));
    m_pane->refreshRows();
}

void CStepvaneDlg::clearAllSequences()
{
    if (m_doc.sequenceCount() > 0 &&
        !m_ui.ask(idMessage("IDS_ALL_CLEAR_TESTING_SEQUENCE", MessageIcon::Question)))
        return;
    m_history.clearSequences();
    m_pane->resetPane();
}

void CStepvaneDlg::copySequence()
{
    if (const TestingSequence *sequence = m_doc.sequence(m_pane->selectedIndex()))
        copySequenceToClipboard(m_state, *sequence);
}

void CStepvaneDlg::pasteSequence()
{
    if (m_doc.sequenceCount() >= kMaxSequences) {
        m_ui.report(idMessage("IDS_SEQ_OVERFLOW", MessageIcon::Warning));
        return;
    }
    if (auto sequence = sequenceFromClipboard(m_state)) {
        m_history.insertSequence(-1, std::move(sequence), QStringLiteral("Paste sequence"));
        m_pane->refreshRows();
    }
}

void CStepvaneDlg::keepRecoveryCopies(const QString &folder)
{
    m_recovery.reset();
    if (folder.isEmpty())
        return;
    m_recovery = std::make_unique<RecoveryCopies>(folder, m_history, m_state.CurrentModelIndex);
    m_recovery->setOriginalPath(m_filePath);
}

} // namespace stepvane
