// The document commands of the main window: New, Open (file dialog, dropped
// file, command line) with the password check, Save and Save as with the
// password button, and the sequence commands (add, add from a testing unit
// file, clear all, copy, paste).
#include "shell/main/CStepvaneDlg.h"

#include "document/NameTables.h"
#include "widgets/AppState.h"
#include "widgets/UserInterface.h"
#include "shell/main/SequenceClipboard.h"
#include "shell/sequences/CVXTestList_View.h"

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
    setWindowTitle(kApplicationVersion);
    m_filePath.clear();
    setToolTip(QString());
    update();
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

bool CStepvaneDlg::loadDocumentForReading(const QString &path)
{
    m_parser.Set_Document(&m_doc);
    m_parser.Set_Model(m_state.CurrentModelIndex);
    m_parser.Reset_Document();
    if (m_parser.Load_Document(path))
        return true;
    m_ui.report(idMessage("IDS_UNKNOWN_WZD_FILE"));
    return false;
}

bool CStepvaneDlg::readWizard(const QString &path)
{
    const int before = m_readerSink.count();
    m_parser.Set_Model(m_state.CurrentModelIndex);
    const bool ok = m_parser.Read_Wizard_File(path) == 1;
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
    setWindowTitle(windowTitle);
    setToolTip(tip);
}

void CStepvaneDlg::newWizard()
{
    if (m_doc.sequenceCount() > 0 &&
        !m_ui.ask(idMessage("IDS_ALL_CLEAR_TESTING_SEQUENCE", MessageIcon::Question)))
        return;
    resetWizard();
}

void CStepvaneDlg::openWizard()
{
    if (m_doc.sequenceCount() > 0 &&
        !m_ui.ask(idMessage("IDS_ALL_CLEAR_TESTING_SEQUENCE", MessageIcon::Question)))
        return;
    const QString path = m_ui.openWizardFile(this);
    if (path.isEmpty())
        return;
    resetWizard();
    if (!loadDocumentForReading(path))
        return;
    const PasswordCheck check = checkPassword();
    if (!check.passed)
        return;
    storePassword(check.password);
    if (!readWizard(path)) {
        // A refused file leaves nothing half-read behind.
        resetWizard();
        return;
    }
    showLoadedDocument();
    const QString name = fileNameOfPath(path);
    bind(path, name, name);
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
    const PasswordCheck check = checkPassword();
    if (!check.passed)
        return;
    if (m_doc.sequenceCount() > 0 &&
        !m_ui.ask(idMessage("IDS_ALL_CLEAR_TESTING_SEQUENCE", MessageIcon::Question)))
        return;
    resetWizard();
    storePassword(check.password);
    if (!readWizard(path)) {
        resetWizard();
        return;
    }
    showLoadedDocument();
    bind(path, QStringLiteral("%1 - %2").arg(path, kApplicationVersion), toolTip());
}

void CStepvaneDlg::openCommandLineFile(const QString &path)
{
    refreshModel();
    if (!loadDocumentForReading(path)) {
        resetWizard();
        return;
    }
    const PasswordCheck check = checkPassword();
    resetWizard();
    if (!check.passed)
        return;
    storePassword(check.password);
    if (!readWizard(path)) {
        resetWizard();
        return;
    }
    showLoadedDocument();
    const QString title = QStringLiteral("%1 - %2").arg(path, kApplicationVersion);
    bind(path, title, title);
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
    m_ui.report(idMessage("IDS_FILE_SAVE_COMPLETE", MessageIcon::Information));
    const QString name = fileNameOfPath(path);
    bind(path, name, name);
    return true;
}

void CStepvaneDlg::saveWizard()
{
    if (m_filePath.isEmpty()) {
        saveWizardAs();
        return;
    }
    // Save writes only where the bound file still is; it never recreates a
    // file that was removed behind the editor's back.
    if (!QFileInfo(m_filePath).isFile()) {
        m_ui.report(idMessage("IDS_SAVE_FAIL"));
        return;
    }
    writeWizard(m_filePath);
}

void CStepvaneDlg::saveWizardAs()
{
    const UserInterface::FileDialogResult chosen =
        m_ui.saveFile(this, QStringLiteral("Save As"), QStringLiteral("Stepvane files|*.wzd|"),
                      QStringLiteral("wzd"), m_filePath, true);
    // Cancel leaves the wizard as it was, its password included: only a saved
    // file takes the password chosen in the dialog (none unless "Password"
    // ended with one).
    if (chosen.path.isEmpty())
        return;
    m_lastSavePath = chosen.path;
    if (chosen.passwordSet) {
        m_doc.PW = chosen.password;
        m_doc.PW_Confirm = chosen.confirmation;
        m_doc.PasswordSet = 1;
    } else {
        m_doc.clearPassword();
    }
    writeWizard(chosen.path);
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
    m_doc.insertSequence(-1, std::move(sequence));
    m_pane->refreshRows();
}

void CStepvaneDlg::addTestingUnitFile()
{
    if (m_doc.sequenceCount() >= kMaxSequences) {
        m_ui.report(idMessage("IDS_SEQ_OVERFLOW", MessageIcon::Warning));
        return;
    }
    const QString path = m_ui.openFile(this, QStringLiteral("Add testing unit file"),
                                       QStringLiteral("testing unit file(*.tuf, *.TUF)|*.tuf;*.TUF|"),
                                       QStringLiteral("tuf"));
    if (path.isEmpty())
        return;
    const int before = m_readerSink.count();
    m_parser.Set_Document(&m_doc);
    m_parser.Set_Model(m_state.CurrentModelIndex);
    if (m_parser.Read_Testing_Unit_File(path) != 1)
        reportIfSilent(before, "IDS_UNKNOWN_WZD_FILE");
    m_pane->refreshRows();
}

void CStepvaneDlg::clearAllSequences()
{
    if (m_doc.sequenceCount() > 0 &&
        !m_ui.ask(idMessage("IDS_ALL_CLEAR_TESTING_SEQUENCE", MessageIcon::Question)))
        return;
    m_doc.sequences.clear();
    m_pane->resetPane();
}

void CStepvaneDlg::copySequence()
{
    if (const TestingSequence *sequence = m_doc.sequence(m_pane->selectedIndex()))
        copySequenceToClipboard(m_state, *sequence);
}

void CStepvaneDlg::pasteSequence()
{
    switch (pasteSequenceFromClipboard(m_state, m_doc)) {
    case PasteResult::Overflow:
        m_ui.report(idMessage("IDS_SEQ_OVERFLOW", MessageIcon::Warning));
        break;
    case PasteResult::Pasted: m_pane->refreshRows(); break;
    case PasteResult::NothingToPaste: break;
    }
}

} // namespace stepvane
