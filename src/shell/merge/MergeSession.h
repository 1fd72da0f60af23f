// The editor's side of "stepvane --merge BASE LOCAL REMOTE MERGED" (what git
// mergetool calls): the three wizards read and merged through the core merge,
// the result written to a private temporary file that the main window opens
// like any file and then binds to MERGED. MERGED itself is written only by
// the user's save, so a merge left unsaved leaves git's file as it was.
#pragma once

#include "review/merge/WizardMerge.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace stepvane {

class MergeSession {
public:
    struct Files {
        QString base, local, remote, merged;
    };

    explicit MergeSession(Files files);
    ~MergeSession();

    // Reads and merges the three and writes the result for opening. False
    // with error() set when a file cannot be read or the result not written.
    bool prepare();
    QString error() const { return m_error; }

    const Files &files() const { return m_files; }
    QString openPath() const;
    // The merged wizard's model, and the models LOCAL and REMOTE were made for.
    int model() const { return m_model; }
    int localModel() const { return m_models[1]; }
    int theirsModel() const { return m_models[2]; }
    const std::vector<MergeConflict> &conflicts() const { return m_conflicts; }
    // Theirs' wizard as read: the values "Take theirs" sets (its attached
    // files' working copies live as long as the session).
    const WizardDocument &theirs() const { return *m_docs[2]; }

private:
    bool readSide(int side, const QString &path);

    Files m_files;
    std::unique_ptr<WizardDocument> m_docs[3];
    int m_models[3] = {0, 0, 0};
    int m_model = 0;
    std::vector<MergeConflict> m_conflicts;
    QTemporaryDir m_folder;
    QString m_error;
};

} // namespace stepvane
