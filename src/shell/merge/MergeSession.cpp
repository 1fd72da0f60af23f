// Reading, merging and writing out the three wizards of a merge.
#include "shell/merge/MergeSession.h"

#include "common/MessageSink.h"
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"

#include <QDir>
#include <QFileInfo>

namespace stepvane {

MergeSession::MergeSession(Files files) : m_files(std::move(files))
{
    for (auto &doc : m_docs)
        doc = std::make_unique<WizardDocument>();
}

MergeSession::~MergeSession() = default;

QString MergeSession::openPath() const
{
    // The file's own name, so the title and the header read as MERGED's.
    const QString name = QFileInfo(m_files.merged).fileName();
    return m_folder.filePath(name.isEmpty() ? QStringLiteral("merged.wzd") : name);
}

bool MergeSession::readSide(int side, const QString &path)
{
    CollectingMessageSink sink;
    VX_CAAXML_PARSER parser(m_docs[side].get(), 0, &sink);
    bool ok = QFileInfo(path).isFile() && parser.Load_Document(path);
    if (ok) {
        const int model = parser.Loaded_File_Model();
        m_models[side] = model >= 0 && model < kModelCount ? model : 0;
        parser.Set_Model(m_models[side]);
        // The reader leaves the password to its caller; a side's password
        // is part of what is merged (and the merged file keeps one).
        const QString password = parser.Read_Password();
        ok = parser.Read_Loaded_Wizard() == 1;
        if (ok && !password.isEmpty())
            m_docs[side]->setPassword(password);
    }
    if (!ok) {
        const QStringList texts = sink.texts();
        m_error =
            QStringLiteral("%1 cannot be merged: it is not a wizard Stepvane reads%2")
                .arg(QDir::toNativeSeparators(path),
                     texts.isEmpty() ? QStringLiteral(".")
                                     : QStringLiteral(" (%1).").arg(texts.join(u' ').trimmed()));
    }
    return ok;
}

bool MergeSession::prepare()
{
    m_error.clear();
    const QString paths[3] = {m_files.base, m_files.local, m_files.remote};
    for (int k = 0; k < 3; ++k)
        if (!readSide(k, paths[k]))
            return false;
    WizardMergeResult merged = mergeWizards({*m_docs[0], m_models[0]}, {*m_docs[1], m_models[1]},
                                            {*m_docs[2], m_models[2]});
    m_model = merged.model;
    m_conflicts = std::move(merged.conflicts);
    if (!m_folder.isValid()) {
        m_error = QStringLiteral("The merged wizard cannot be written: no temporary folder.");
        return false;
    }
    CollectingMessageSink sink;
    VX_CAAXML_PARSER writer(&merged.doc, m_model, &sink);
    if (!writer.Save_Wizard(openPath()) || !sink.messages.empty()) {
        m_error = QStringLiteral("The merged wizard cannot be written: %1")
                      .arg(sink.messages.empty() ? writer.Error_Text()
                                                 : sink.texts().join(u' ').trimmed());
        return false;
    }
    return true;
}

} // namespace stepvane
