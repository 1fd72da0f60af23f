// Attached files in wzd and tuf files: picture slots, the ImageData element
// that carries a file as base64, the working copies they are restored to, and
// the worker threads that decode and write them while a file is read.
#include "document/VX_CAAXML_PARSER.h"

#include "common/AtomicFile.h"
#include "document/Base64.h"
#include "document/DecodingParse.h"
#include "document/WorkingCopies.h"
#include "document/WorkingCopyDigests.h"

#include <QSemaphore>
#include <QThreadPool>

#include <libxml/tree.h>

#include <cctype>
#include <deque>
#include <limits>

namespace stepvane {

void VX_CAAXML_PARSER::writeImage(const AttachedImage &image, bool withComment, bool sizeWithLValue,
                                  const QString &saveFailFormat)
{
    if (withComment)
        addD(QStringLiteral("Comment"), image.Comment);
    addD(QStringLiteral("ImageName"), image.ImageName);
    addD(QStringLiteral("TransImageName"), image.TransImageName);
    addD(QStringLiteral("Image_filesize"), fmtInt(image.Image_filesize));
    if (image.Image_filesize == 0)
        return;
    if (sizeWithLValue) {
        addDL(QStringLiteral("ImageWidth"), fmtInt(image.ImageWidth), image.ImageWidth);
        addDL(QStringLiteral("ImageHeight"), fmtInt(image.ImageHeight), image.ImageHeight);
    } else {
        addD(QStringLiteral("ImageWidth"), fmtInt(image.ImageWidth));
        addD(QStringLiteral("ImageHeight"), fmtInt(image.ImageHeight));
    }
    writeFileData(image.TransImageName, saveFailFormat, image.ImageName);
}

void VX_CAAXML_PARSER::readImage(AttachedImage &image, bool withComment,
                                 const QString &loadFailFormat)
{
    xmlNode *savedAnchor = m_anchor;
    anchorHere();
    if (withComment)
        readDText("Comment", image.Comment);
    readDText("ImageName", image.ImageName);
    readDSize("Image_filesize", image.Image_filesize);
    image.TransImageName.clear();
    // Made only for a slot that holds something: most slots are empty.
    const auto slot = [&] {
        return Slot{SlotKind::Picture, Current_Name(), image.ImageName,
                    Message::fromText(loadFailFormat, {image.ImageName}, MessageIcon::Warning)};
    };
    if (image.Image_filesize > 0) {
        readDInt("ImageWidth", image.ImageWidth);
        readDInt("ImageHeight", image.ImageHeight);
        image.TransImageName = workingPathFor(image.ImageName, false);
        const Slot picture = slot();
        const quint32 stated = image.Image_filesize;
        image.Image_filesize = restoredSize(restoreFileData(image.TransImageName, picture));
        if (image.Image_filesize > 0 && image.Image_filesize != stated)
            noteStatedSize(picture, stated, image.Image_filesize);
    } else if (holdsData(m_anchor)) {
        noteUnsizedData(dValue("Image_filesize"), slot());
    }
    Set_Current_Node(m_anchor);
    m_anchor = savedAnchor;
}

void VX_CAAXML_PARSER::writeFileData(const QString &path, const QString &failFormat,
                                     const QString &argument)
{
    Add_Element(QStringLiteral("ImageData"));
    if (Put_File_Base64(path)) {
        Go_Parent();
        return;
    }
    // An empty data element would restore as an empty file; leave it out.
    Remove_Current();
    report(Message::fromText(failFormat, {argument}, MessageIcon::Warning));
}

QString VX_CAAXML_PARSER::workingPathFor(const QString &storedName, bool keepName)
{
    return WorkingCopies::instance().newPathFor(storedName, keepName);
}

namespace {

// Written whole or not at all (a copy cut short by a full disk would travel
// into the next save as the picture), but not synced: it need not outlive a
// power cut.
// The digest is taken from the bytes here, for the check and the diff; a
// command that only reads keeps what it needs of them and writes nothing.
bool writeWorkingCopy(const QByteArray &bytes, const QString &path, QString *error)
{
    if (!workingCopiesWritten()) {
        rememberUnwrittenCopy(path, bytes);
        return true;
    }
    if (!writeFileAtomically(path, bytes, error, SyncToDisk::No))
        return false;
    rememberWorkingCopy(path, bytes);
    return true;
}

} // namespace

// While a file is read, embedded files are decoded as they are met and
// written by worker threads. Failures are reported afterwards, in file order.
struct VX_CAAXML_PARSER::PendingRestores {
    struct Job {
        QByteArray bytes; // decoded already; freed once written
        QString path;
        Message failure;
        bool ok = false;
        QString error;
    };
    std::deque<Job> jobs; // a deque keeps each job in place while more are added
    QSemaphore finished;  // one release per job done

    // Qt's shared pool keeps its threads for a while, so opening one file
    // after another does not start new threads each time. Only this read's
    // jobs are waited for.
    void add(QByteArray bytes, const QString &path, const Message &failure)
    {
        Job &job = jobs.emplace_back(Job{std::move(bytes), path, failure, false, QString()});
        QThreadPool::globalInstance()->start([&job, this] {
            job.ok = writeWorkingCopy(job.bytes, job.path, &job.error);
            job.bytes = QByteArray();
            finished.release();
        });
    }
    void waitForAll() { finished.acquire(int(jobs.size())); }
};

namespace {

bool isTypedBase64(const xmlNode *element)
{
    xmlChar *type = xmlGetNsProp(element, reinterpret_cast<const xmlChar *>("dt"),
                                 reinterpret_cast<const xmlChar *>(kBase64TypeNamespace));
    const bool typed = type && xmlStrEqual(type, reinterpret_cast<const xmlChar *>("bin.base64"));
    xmlFree(type);
    return typed;
}

bool hasCdata(const xmlNode *element)
{
    for (const xmlNode *c = element->children; c; c = c->next)
        if (c->type == XML_CDATA_SECTION_NODE)
            return true;
    return false;
}

// Whether an element holds anything but blanks: text, CDATA or elements.
bool holdsSomething(const xmlNode *element)
{
    if (const Base64Stream *decoded = decodedText(element); decoded && decoded->holdsNonSpace())
        return true;
    for (const xmlNode *c = element->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE)
            return true;
        if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content)
            for (const xmlChar *p = c->content; *p; ++p)
                if (!std::isspace(*p))
                    return true;
    }
    return false;
}

xmlNode *dataChild(const xmlNode *parent)
{
    for (xmlNode *c = parent ? parent->children : nullptr; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE &&
            xmlStrEqual(c->name, reinterpret_cast<const xmlChar *>("ImageData")))
            return c;
    return nullptr;
}

// The reader is done with an element's text once it is decoded: the bytes
// take its place in memory rather than sit beside it. (The notes on
// repeated elements look only at the copies after the first.)
void releaseText(xmlNode *element)
{
    for (xmlNode *c = element->children; c;) {
        xmlNode *next = c->next;
        if (c->type == XML_TEXT_NODE) {
            xmlUnlinkNode(c);
            xmlFreeNode(c);
        }
        c = next;
    }
}

} // namespace

qint64 VX_CAAXML_PARSER::restoreFileData(QString &path, const Slot &slot)
{
    xmlNode *element = dataChild(Current_Node());
    const Message &failure = slot.failure;
    auto damaged = [&](const QString &reason) {
        noteDamaged(slot, reason);
        path.clear();
        return qint64(-1);
    };
    // No data element is what the writer leaves when the named file was
    // missing: the check warns of that itself, so only the reader's line.
    if (!element) {
        report(failure);
        path.clear();
        return -1;
    }
    if (!isTypedBase64(element)) {
        // Read as it always was: no bytes, so an empty file, which keeps
        // the record's path true.
        noteDamaged(slot, QStringLiteral("its data element is not typed bin.base64"));
        QString error;
        if (path.isEmpty() || !writeWorkingCopy(QByteArray(), path, &error)) {
            if (!path.isEmpty())
                m_restoreFailures << QStringLiteral("%1: %2").arg(path, error);
            path.clear();
        }
        return 0;
    }
    // The instrument takes base64 from plain text only.
    if (hasCdata(element))
        return damaged(QStringLiteral("its data is in a CDATA section"));
    // Decoded once, while the file was parsed or else here, where the
    // record takes the size; the bytes are written later. A command that
    // keeps nothing of the file only counts them.
    const bool keep = restoredCopies() != RestoredCopies::Named;
    QByteArray bytes;
    QByteArray digest; // taken while parsing, for a command that only compares
    qint64 size = -1;
    if (Base64Stream *decoded = decodedText(element)) {
        if (decoded->failed())
            return damaged(QStringLiteral("its data holds %1").arg(decoded->problem()));
        size = decoded->size();
        bytes = decoded->takeBytes();
        digest = decoded->digest();
    } else {
        const QByteArray text = Embedded_Text(element);
        size = !keep ? decodedBase64Size(text) : decodeBase64(text, bytes) ? bytes.size() : -1;
        if (size < 0)
            return damaged(QStringLiteral("its data holds %1").arg(base64Problem(text)));
    }
    releaseText(element);
    if (size == 0)
        return damaged(QStringLiteral("its data is empty"));
    if (path.isEmpty()) {
        if (WorkingCopies::instance().folder().isEmpty()) {
            m_restoreFailures
                << QStringLiteral("%1: the working folder cannot be created").arg(slot.name);
            report(failure);
            return -1;
        }
        return damaged(QStringLiteral("its name \"%1\" cannot be a file name").arg(slot.name));
    }
    if (!keep)
        return size;
    if (!digest.isEmpty()) {
        rememberUnwrittenDigest(path, digest);
        return size;
    }
    // Only a write or a digest is worth a worker; holding the bytes is not.
    if (m_restores && (workingCopiesWritten() || restoredCopies() == RestoredCopies::Digested)) {
        m_restores->add(std::move(bytes), path, failure);
        return size;
    }
    QString error;
    if (!writeWorkingCopy(bytes, path, &error)) {
        report(failure.withDetail(error));
        m_restoreFailures << QStringLiteral("%1: %2").arg(path, error);
        path.clear();
        return -1;
    }
    return size;
}

bool VX_CAAXML_PARSER::holdsData(const xmlNode *dataParent)
{
    const xmlNode *data = dataChild(dataParent);
    return data && holdsSomething(data);
}

void VX_CAAXML_PARSER::noteUnsizedData(const std::optional<QString> &sizeText, const Slot &slot)
{
    noteDamaged(slot, sizeText ? QStringLiteral("its size field is '%1'").arg(*sizeText)
                               : QStringLiteral("it has no size field"));
}

quint32 VX_CAAXML_PARSER::restoredSize(qint64 restored)
{
    return restored > 0 && restored <= qint64(std::numeric_limits<quint32>::max())
               ? quint32(restored)
               : 0;
}

// Construction and destruction live here, where PendingRestores is complete.
VX_CAAXML_PARSER::VX_CAAXML_PARSER(WizardDocument *document, int modelIndex, MessageSink *sink)
    : m_model(modelIndex), m_sink(sink ? sink : &nullSink())
{
    Set_Document(document);
    // Every embedded file is read through restoreFileData, which takes the
    // decoded bytes.
    Decode_Typed_Text(true);
}

VX_CAAXML_PARSER::~VX_CAAXML_PARSER()
{
    if (m_restores)
        m_restores->waitForAll();
}

void VX_CAAXML_PARSER::beginRestores()
{
    m_restores = std::make_unique<PendingRestores>();
    m_restoreFailures.clear();
    m_notesReported = 0;
}

void VX_CAAXML_PARSER::finishRestores()
{
    if (!m_restores)
        return;
    m_restores->waitForAll();
    const auto restores = std::move(m_restores);
    QStringList failedPaths;
    for (const auto &job : restores->jobs) {
        if (job.ok)
            continue;
        report(job.error.isEmpty() ? job.failure : job.failure.withDetail(job.error));
        m_restoreFailures << QStringLiteral("%1: %2").arg(job.path, job.error);
        failedPaths << job.path;
    }
    finishRestoreFailures(failedPaths);
}

void VX_CAAXML_PARSER::finishRestoreFailures(const QStringList &failedPaths)
{
    if (failedPaths.isEmpty() || !m_doc)
        return;
    // A record never names a working copy that was not written.
    auto clear = [&](QString &path) {
        if (failedPaths.contains(path))
            path.clear();
    };
    auto clearImages = [&](std::vector<AttachedImage> &images) {
        for (AttachedImage &image : images)
            clear(image.TransImageName);
    };
    for (const auto &sequence : m_doc->sequences) {
        for (const auto &step : sequence->steps) {
            std::visit(
                [&](auto &r) {
                    using T = std::decay_t<decltype(r)>;
                    if constexpr (std::is_same_v<T, PromptTask> ||
                                  std::is_same_v<T, MarkerPeakTask>)
                        clearImages(r.images);
                    if constexpr (std::is_same_v<T, SaveTask> || std::is_same_v<T, ReportTask>)
                        clear(r.logo.TransImageName);
                    if constexpr (std::is_same_v<T, LimitTask>) {
                        clearImages(r.images);
                        clear(r.TransMSLfileName);
                    }
                    if constexpr (std::is_same_v<T, LoadTask>)
                        clear(r.SetupfileName);
                },
                step->record);
        }
    }
}

} // namespace stepvane
