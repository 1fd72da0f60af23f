// Attached files in wzd and tuf files: picture slots, the ImageData element
// that carries a file as base64, the working copies they are restored to, and
// the worker threads that decode and write them while a file is read.
#include "document/VX_CAAXML_PARSER.h"

#include "document/WorkingCopies.h"

#include <QSemaphore>
#include <QThreadPool>

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
        readDText(QStringLiteral("Comment"), image.Comment);
    readDText(QStringLiteral("ImageName"), image.ImageName);
    readDSize(QStringLiteral("Image_filesize"), image.Image_filesize);
    image.TransImageName.clear();
    if (image.Image_filesize > 0) {
        readDInt(QStringLiteral("ImageWidth"), image.ImageWidth);
        readDInt(QStringLiteral("ImageHeight"), image.ImageHeight);
        image.TransImageName = workingPathFor(image.ImageName, false);
        image.Image_filesize =
            restoredSize(restoreFileData(image.TransImageName, loadFailFormat, image.ImageName));
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

// While a file is read, embedded files are decoded and written by worker
// threads; the DOM stays untouched until every job is done. Failures are
// reported afterwards, in file order.
struct VX_CAAXML_PARSER::PendingRestores {
    struct Job {
        const xmlNode *element;
        QString path;
        Message failure;
        bool ok = false;
    };
    std::deque<Job> jobs; // a deque keeps each job in place while more are added
    QSemaphore finished;  // one release per job done

    // Qt's shared pool keeps its threads for a while, so opening one file
    // after another does not start new threads each time. Only this read's
    // jobs are waited for.
    void add(const xmlNode *element, const QString &path, const Message &failure)
    {
        Job &job = jobs.emplace_back(Job{element, path, failure});
        QThreadPool::globalInstance()->start([&job, this] {
            job.ok = Restore_Element_File(job.element, job.path) == RestoreResult::Ok;
            finished.release();
        });
    }
    void waitForAll() { finished.acquire(int(jobs.size())); }
};

qint64 VX_CAAXML_PARSER::restoreFileData(const QString &path, const QString &failFormat,
                                         const QString &argument)
{
    xmlNode *saved = Current_Node();
    const xmlNode *element =
        !path.isEmpty() && Find_Child(QStringLiteral("ImageData")) ? Current_Node() : nullptr;
    Set_Current_Node(saved);
    const Message failure = Message::fromText(failFormat, {argument}, MessageIcon::Warning);
    // The size is counted here, where the record takes it; the bytes are
    // decoded and written later. Data that is not base64, or no data at all,
    // is no file.
    const qint64 size = element ? Embedded_Size(element) : -1;
    if (size <= 0) {
        report(failure);
        return -1;
    }
    if (m_restores) {
        m_restores->add(element, path, failure);
        return size;
    }
    if (Restore_Element_File(element, path) != RestoreResult::Ok) {
        report(failure);
        return -1;
    }
    return size;
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
}

VX_CAAXML_PARSER::~VX_CAAXML_PARSER()
{
    finishRestores();
}

void VX_CAAXML_PARSER::beginRestores()
{
    m_restores = std::make_unique<PendingRestores>();
}

void VX_CAAXML_PARSER::finishRestores()
{
    if (!m_restores)
        return;
    m_restores->waitForAll();
    const auto restores = std::move(m_restores);
    for (const auto &job : restores->jobs)
        if (!job.ok)
            report(job.failure);
}

} // namespace stepvane
