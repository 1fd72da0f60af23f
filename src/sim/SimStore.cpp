// Storing received files and checking them with the wizard reader.
#include "sim/SimStore.h"

#include "common/Leftovers.h"
#include "common/MessageSink.h"
#include "common/OutputFolder.h"
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/WizardDocument.h"
#include "instrument_files/FileClassification.h"
#include "instrument_files/VX_CAA_SETUP_PARSER.h"

#include <QDir>
#include <QStringList>

#include <mutex>

namespace stepvane::sim {

bool isStorableName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0));
}

QString describeWizard(const QString &path)
{
    // The reader keeps working copies in the temporary folder; one check at a time.
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    CollectingMessageSink sink;
    WizardDocument doc;
    VX_CAAXML_PARSER parser(&doc, 0, &sink);
    // One parse; a file that does not parse may still name its model in
    // the header, for the message.
    const bool loaded = parser.Load_Document(path);
    const int model = loaded ? parser.Loaded_File_Model() : parser.Read_File_Model(path);
    if (model < 0 || model >= kModelCount)
        return QStringLiteral("not a valid wizard: no instrument model in it");
    parser.Set_Model(model);
    if (!loaded || !parser.Read_Loaded_Wizard()) {
        QString reason = sink.texts().join(QLatin1Char(' ')).simplified();
        if (reason.isEmpty())
            reason = parser.Error_Text().isEmpty() ? QStringLiteral("the reader refused it")
                                                   : parser.Error_Text();
        return QStringLiteral("not a valid wizard for %1: %2").arg(modelName(model), reason);
    }
    return QStringLiteral("valid wizard for %1 (%2 testing sequences)")
        .arg(modelName(model))
        .arg(doc.sequenceCount());
}

QStringList describeSetup(const QString &path, qsizetype size)
{
    QStringList lines;
    lines << QStringLiteral("setup file %1: %2 bytes").arg(path).arg(size);
    VXXML_PARSER xml;
    VX_CAA_SETUP_PARSER setup;
    switch (classifySetupFile(path, xml, setup)) {
    case SetupFormatInstrument:
        for (const QString &l :
             setup.Summary(fileNameWithoutFolders(path)).split(u'\n', Qt::SkipEmptyParts))
            lines << QStringLiteral("  ") + l.trimmed();
        break;
    case SetupFormatXml:
        lines << QStringLiteral("  an XML setup file");
        break;
    default:
        lines << QStringLiteral("  not a setup file the editor recognises");
        break;
    }
    return lines;
}

namespace {

class StoreUpload : public ReceivedFile {
public:
    StoreUpload(const QString &name, const OutputFolder *store) : m_name(name), m_keep(store)
    {
        if (!isStorableName(name)) {
            m_failure = QStringLiteral("file %1 not stored: unusable name").arg(quotedForLog(name));
            return;
        }
        if (!store) {
            // A run folder: should the simulator be killed mid-upload, the
            // next run of any of the programs removes it.
            m_scratch = std::make_unique<RunFolder>();
            if (!m_scratch->create()) {
                fail(QStringLiteral("no scratch folder can be made in %1").arg(QDir::tempPath()));
                return;
            }
            m_scratchFolder = std::make_unique<OutputFolder>(m_scratch->path());
            if (!m_scratchFolder->open()) {
                fail(m_scratchFolder->error());
                return;
            }
            store = m_scratchFolder.get();
        }
        QString error;
        m_file = store->create(name, &error);
        if (!m_file)
            fail(error);
    }
    bool append(const char *data, qsizetype size) override
    {
        if (!m_failure.isEmpty())
            return false;
        if (m_file->write(data, size) != size) {
            fail(m_file->errorText());
            return false;
        }
        m_size += size;
        return true;
    }
    QStringList finish() override
    {
        if (!m_failure.isEmpty())
            return {m_failure};
        if (!m_file->commit()) {
            fail(m_file->errorText());
            return {m_failure};
        }
        QStringList lines;
        if (m_keep)
            lines << QStringLiteral("stored %1 (%2 bytes)")
                         .arg(quotedForLog(m_file->path()))
                         .arg(m_size);
        lines << describeWizard(m_file->path());
        return lines;
    }
    QString failure() const override { return m_failure; }

private:
    void fail(const QString &why)
    {
        m_failure =
            QStringLiteral("file %1 could not be stored: %2").arg(quotedForLog(m_name), why);
        if (m_file)
            m_file->discard();
    }

    QString m_name;
    bool m_keep;
    std::unique_ptr<RunFolder> m_scratch; // where an unkept file is checked
    std::unique_ptr<OutputFolder> m_scratchFolder;
    std::unique_ptr<AtomicFile> m_file;
    QString m_failure;
    qint64 m_size = 0;
};

} // namespace

SimStore::SimStore(std::unique_ptr<OutputFolder> folder) : m_folder(std::move(folder)) {}

SimStore::~SimStore() = default;

std::unique_ptr<ReceivedFile> SimStore::open(const QString &name) const
{
    return std::make_unique<StoreUpload>(name, m_folder.get());
}

QStringList SimStore::take(const QString &name, const QByteArray &content)
{
    std::unique_ptr<ReceivedFile> file = open(name);
    file->append(content.constData(), content.size());
    return file->finish();
}

} // namespace stepvane::sim
