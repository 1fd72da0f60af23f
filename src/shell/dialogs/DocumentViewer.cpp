// The in-program document viewer.
#include "shell/dialogs/DocumentViewer.h"

#include "widgets/UserInterface.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace stepvane {

DocumentViewer::DocumentViewer(QWidget *owner) : QDialog(owner), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("DocumentViewer"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    m_browser->setOpenLinks(true);
    // Links within the documents stay here; links out go to the desktop.
    m_browser->setOpenExternalLinks(true);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(760, 640);
}

bool DocumentViewer::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error =
                QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    file.close();
    m_path = path;
    // Loaded by URL so the document's style sheet and pictures are found too.
    m_browser->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    setWindowTitle(m_browser->documentTitle().isEmpty() ? QFileInfo(path).fileName()
                                                        : m_browser->documentTitle());
    return true;
}

DocumentViewer *DocumentViewer::showIn(QWidget *owner, const QString &path, QString *error)
{
    DocumentViewer *viewer =
        owner ? owner->findChild<DocumentViewer *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    const bool made = !viewer;
    if (made)
        viewer = new DocumentViewer(owner);
    if (!viewer->load(path, error)) {
        if (made)
            delete viewer;
        return nullptr;
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

bool openProgramDocument(UserInterface &ui, QWidget *owner, const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(
                QDir::toNativeSeparators(path), info.exists() ? QStringLiteral("Not a regular file")
                                                              : QStringLiteral("No such file"));
        return false;
    }
    if (ui.openDocument(path))
        return true;
    return DocumentViewer::showIn(owner, path, error) != nullptr;
}

} // namespace stepvane
