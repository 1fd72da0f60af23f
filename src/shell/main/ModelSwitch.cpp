// Opening a wizard made for another model: the editor offers to switch to the
// file's model, and the whole editor then works for that model (name shown,
// reader and writer, palettes, pages, check, summary, recovery copies), as if
// it had been chosen at start-up.
#include "shell/main/CStepvaneDlg.h"

#include "document/NameTables.h"
#include "shell/history/RecoveryCopies.h"
#include "shell/sequences/CVXTestList_View.h"
#include "shell/taskeditor/CVXMeasurementEditDlg.h"
#include "widgets/AppState.h"
#include "widgets/UserInterface.h"

namespace stepvane {

CStepvaneDlg::ModelOffer CStepvaneDlg::offerModelOf(const QString &path)
{
    ModelOffer offer;
    // The document loaded for the password already names it; otherwise
    // only the header is read.
    VX_CAAXML_PARSER probe(nullptr, m_state.CurrentModelIndex);
    const int fileModel = m_parser.Is_Loaded() && m_loadedPath == path
                              ? m_parser.Loaded_File_Model()
                              : probe.Read_File_Model(path);
    // A file without a model is left to the reader, which refuses it.
    if (fileModel < 0 || fileModel >= kModelCount || fileModel == m_state.CurrentModelIndex)
        return offer;
    const QString from = modelName(m_state.CurrentModelIndex);
    const QString to = modelName(fileModel);
    const Message question = Message::fromText(
        QStringLiteral("This wizard was made for %s; the editor works for %s.\nSwitch the editor "
                       "to %s and open the wizard?"),
        {to, from, to}, MessageIcon::Question);
    if (m_ui.ask(question)) {
        offer.model = fileModel;
        return offer;
    }
    // Refused as a wizard of another model always was; the open one stays.
    offer.declined = true;
    m_ui.report(Message::fromId(QStringLiteral("IDS_INCORRECT_WZD_FOR_EQP"), {to, from}));
    return offer;
}

void CStepvaneDlg::switchModel(int model)
{
    if (model < 0 || model >= kModelCount || model == m_state.CurrentModelIndex)
        return;
    m_state.CurrentModelIndex = model;
    refreshModel();
    if (m_recovery)
        m_recovery->setModel(model);
    if (CVXMeasurementEditDlg *editor = m_pane->taskEditor())
        editor->followModel();
}

bool CStepvaneDlg::switchModelAsEdit(int model, const QString &text)
{
    if (model < 0 || model >= kModelCount || model == m_state.CurrentModelIndex)
        return false;
    m_history.changeModel(
        m_state.CurrentModelIndex, model, [this](int m) { switchModel(m); }, text);
    return true;
}

} // namespace stepvane
