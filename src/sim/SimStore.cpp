// Storing received files and checking them with the wizard reader.
#include "sim/SimStore.h"

#include "common/AtomicFile.h"
#include "common/MessageSink.h"
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/WizardDocument.h"
#include "instrument_files/FileClassification.h"
#include "instrument_files/VX_CAA_SETUP_PARSER.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

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
    const int model = parser.Read_File_Model(path);
    if (model < 0 || model >= kModelCount)
        return QStringLiteral("not a valid wizard: no instrument model in it");
    parser.Set_Model(model);
    if (!parser.Read_Wizard_File(path)) {
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

QStringList SimStore::take(const QString &name, const QByteArray &content)
{
    QStringList lines;
    if (!isStorableName(name)) {
        lines << QStringLiteral("file \"%1\" not stored: unusable name").arg(name);
        return lines;
    }
    QTemporaryDir scratch;
    const QString folder = m_folder.isEmpty() ? scratch.path() : m_folder;
    const QString path = QDir(folder).filePath(name);
    QString error;
    if (!writeFileAtomically(path, content, &error)) {
        lines << QStringLiteral("file \"%1\" could not be stored: %2").arg(name, error);
        return lines;
    }
    if (!m_folder.isEmpty())
        lines << QStringLiteral("stored %1 (%2 bytes)").arg(path).arg(content.size());
    lines << describeWizard(path);
    return lines;
}

} // namespace stepvane::sim
