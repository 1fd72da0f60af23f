// What stepvane-sim does with a file it received: keep it in the store folder
// under the last component of its announced name, and say whether it is a
// wizard the instrument could run, and for which model.
#pragma once

#include "comm/InstrumentEndpoint.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace stepvane {
class OutputFolder;
}

namespace stepvane::sim {

// A name the store accepts: no folder part, not empty, not "." or "..".
bool isStorableName(const QString &name);

// Reads a stored file with the wizard reader: "valid wizard for VX330A (2
// testing sequences)" or "not a valid wizard: ...".
QString describeWizard(const QString &path);

// The setup file a fetch will return, as the log shows it: the setup reader's
// summary for an instrument setup image, else what kind of file it is.
QStringList describeSetup(const QString &path, qsizetype size);

class SimStore {
public:
    // Keeps nothing; files are still checked in a scratch folder.
    SimStore() = default;
    // Keeps the files in folder (open already): never through a symbolic
    // link there, which is refused and left alone.
    explicit SimStore(std::unique_ptr<OutputFolder> folder);
    ~SimStore();

    // Stores and checks one file; returns the lines to log.
    QStringList take(const QString &name, const QByteArray &content);
    // A file that arrives piece by piece: written to a temporary file beside
    // its place as it comes, put in place and checked when finished.
    std::unique_ptr<ReceivedFile> open(const QString &name) const;

private:
    std::unique_ptr<OutputFolder> m_folder;
};

} // namespace stepvane::sim
