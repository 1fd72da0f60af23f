// Start-up and shutdown of the editor.
#include "shell/app/CStepvaneApp.h"

#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "instrument_files/CableList.h"
#include "instrument_files/CodePage.h"
#include "instrument_files/LanguageInfo.h"
#include "shell/dialogs/CVXSpanlyxSelectDlg.h"
#include "shell/main/CStepvaneDlg.h"
#include "shell/merge/MergeSession.h"
#include "shell/merge/MergeWindow.h"
#include "widgets/UserInterface.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace stepvane {

CStepvaneApp::CStepvaneApp(UserInterface &ui) : m_ui(ui) {}

CStepvaneApp::~CStepvaneApp()
{
    // The clipboards (and their records) go with the run.
    m_state.SequenceClipboard.reset();
    m_state.TaskClipboard.reset();
}

bool CStepvaneApp::Prepare(const QStringList &arguments)
{
    // The widget library and the picture decoders are ready once the
    // QApplication exists; there is nothing else to start.
    QCoreApplication::setOrganizationName(QStringLiteral("Vexmar"));
    QCoreApplication::setApplicationName(QStringLiteral("Stepvane"));

    LoadLanguageInfo();
    LoadCableList();

    // No display check here: the program was once warned users away from
    // displays not at 96 dpi because its windows did not scale. Qt scales
    // every window for the display, so that warning has nothing to guard.

    // The command line names at most one wizard; Qt has already taken its own
    // options out of the list.
    m_commandLineFile.clear();
    m_commandLineFlag = false;
    m_endStatus = 0;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--merge"))
            return prepareMerge(arguments, i);
        if (arguments.at(i).startsWith(u'-'))
            continue;
        m_commandLineFile = arguments.at(i);
        m_commandLineFlag = true;
        break;
    }
    if (m_commandLineFlag || offerRecovery())
        return true;

    CVXSpanlyxSelectDlg select;
    select.setSelection(kUnknownModel);
    if (m_ui.runModal(select) != QDialog::Accepted)
        return false;
    const int chosen = select.selection();
    if (chosen < 0 || chosen >= kModelCount)
        return false;
    m_state.CurrentModelIndex = chosen;
    return true;
}

bool CStepvaneApp::prepareMerge(const QStringList &arguments, qsizetype at)
{
    m_endStatus = 2;
    if (at + 4 >= arguments.size()) {
        m_ui.report(
            Message::fromText(QStringLiteral("--merge takes four files: BASE LOCAL REMOTE MERGED."),
                              {}, MessageIcon::Error));
        return false;
    }
    m_merge = std::make_unique<MergeSession>(MergeSession::Files{
        arguments.at(at + 1), arguments.at(at + 2), arguments.at(at + 3), arguments.at(at + 4)});
    if (!m_merge->prepare()) {
        m_ui.report(Message::fromText(m_merge->error(), {}, MessageIcon::Error));
        m_merge.reset();
        return false;
    }
    // The editor works for LOCAL's model, the user's own side; a merged
    // wizard of another model is offered as any file of another model is.
    m_state.CurrentModelIndex = m_merge->localModel();
    m_endStatus = 0;
    return true;
}

bool CStepvaneApp::offerRecovery()
{
    const std::vector<RecoveryCopies::Orphan> copies = RecoveryCopies::orphans(m_recoveryFolder);
    if (copies.empty())
        return false;
    // The newest first; any older ones are offered at later starts.
    const RecoveryCopies::Orphan &copy = copies.front();
    const QString name = copy.originalPath.isEmpty()
                             ? QStringLiteral("a wizard that was never saved")
                             : QDir::toNativeSeparators(copy.originalPath);
    UserInterface::Question question;
    question.message = Message::fromText(
        QStringLiteral("Stepvane did not end properly last time. Unsaved changes to %s were kept "
                       "on %s.\nRestore them?"),
        {name, QLocale().toString(copy.written, QLocale::ShortFormat)}, MessageIcon::Question);
    // Enter restores; only an explicit "Discard" lets the kept work go, and
    // "Not now" (or Escape) leaves the copy for the next start.
    question.answers = {QStringLiteral("Restore"), QStringLiteral("Not now"),
                        QStringLiteral("Discard")};
    question.defaultAnswer = 0;
    question.escapeAnswer = 1;
    const int answer = m_ui.choose(nullptr, question);
    if (answer == 2)
        RecoveryCopies::discard(m_recoveryFolder, copy);
    if (answer != 0)
        return false;
    m_recovered = copy;
    return true;
}

std::unique_ptr<CStepvaneDlg> CStepvaneApp::CreateMainWindow()
{
    const QString startFile =
        m_recovered ? m_recovered->wizardPath : (m_commandLineFlag ? m_commandLineFile : QString());
    if (!startFile.isEmpty()) {
        // The model of this run is the file's; a file without one starts with
        // the first model (and is then refused by the reader).
        VX_CAAXML_PARSER probe(nullptr, 0);
        const int model = probe.Read_File_Model(startFile);
        m_state.CurrentModelIndex = (model >= 0 && model < kModelCount) ? model : 0;
    }
    auto window = std::make_unique<CStepvaneDlg>(m_state, m_ui);
    window->placeOnScreen();
    if (m_recovered) {
        // A copy that cannot be restored stays for a later start.
        if (window->openRecoveredFile(m_recovered->wizardPath, m_recovered->originalPath)) {
            window->keepRecoveryCopies(m_recoveryFolder);
            window->recoveryCopies()->adopt(*m_recovered);
        }
        m_recovered.reset();
    } else if (m_merge) {
        // Opened like a restored file: bound to MERGED, unsaved until the
        // user saves, so git sees MERGED unchanged when nothing was saved.
        if (window->openRecoveredFile(m_merge->openPath(), m_merge->files().merged))
            m_mergeWindow = new MergeWindow(*window, *m_merge, m_ui);
    } else if (m_commandLineFlag) {
        m_commandLineFlag = false;
        window->openCommandLineFile(m_commandLineFile);
    }
    if (!window->recoveryCopies())
        window->keepRecoveryCopies(m_recoveryFolder);
    return window;
}

int CStepvaneApp::Start(const QStringList &arguments)
{
    if (!Prepare(arguments))
        return m_endStatus;
    std::unique_ptr<CStepvaneDlg> window = CreateMainWindow();
    window->show();
    if (m_mergeWindow) {
        m_mergeWindow->placeBesideMain();
        m_mergeWindow->show();
    }
    const int status = QApplication::exec();
    m_mergeWindow = nullptr;
    window.reset();
    m_state.SequenceClipboard.reset();
    m_state.TaskClipboard.reset();
    return status;
}

QString CStepvaneApp::TextFromNarrow(const QByteArray &narrow)
{
    return fromCp1252(narrow.left(259));
}

QString CStepvaneApp::TemporaryFolder()
{
    QString folder = QDir::tempPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

qint64 CStepvaneApp::FileSize(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() ? info.size() : -1;
}

} // namespace stepvane
