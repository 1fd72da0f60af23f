// The about box and the places of the help and release-notes documents.
#include "shell/dialogs/CAboutDlg.h"

#include "common/DataFiles.h"
#include "document/NameTables.h"
#include "shell/app/Icons.h"
#include "shell/dialogs/DocumentViewer.h"
#include "widgets/UserInterface.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace stepvane {

namespace {
const QString kReleaseNotes = QStringLiteral("help/release-notes.html");
} // namespace

QString releaseNotesPath()
{
    const QString found = dataFilePath(kReleaseNotes);
    return found.isEmpty()
               ? QDir(programDirectory()).filePath(QStringLiteral("data/") + kReleaseNotes)
               : found;
}

QString helpPath()
{
    return dataFilePath(QStringLiteral("help/index.html"));
}

CAboutDlg::CAboutDlg(UserInterface &ui, QWidget *parent) : QDialog(parent), m_ui(ui)
{
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QStringLiteral("About Stepvane"));

    auto *icon = new QLabel(this);
    icon->setPixmap(appIcon(AppIcon::Program).pixmap(48, 48));
    auto *name = new QLabel(QStringLiteral("Stepvane ") + kApplicationVersion, this);
    name->setObjectName(QStringLiteral("nameAndVersion"));
    QFont f = name->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    name->setFont(f);
    auto *blurb = new QLabel(QStringLiteral("Guided test procedures for the VX310A to VX340A\n"
                                            "cable and antenna analyzers."),
                             this);

    m_history = new QPushButton(QStringLiteral("Click to here Revision History"), this);
    m_history->setObjectName(QStringLiteral("revisionHistory"));
    m_history->setAutoDefault(false);
    connect(m_history, &QPushButton::clicked, this, &CAboutDlg::openRevisionHistory);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(blurb);
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addLayout(text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_history);
    buttons->addStretch();
    buttons->addWidget(ok);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void CAboutDlg::openRevisionHistory()
{
    const QString path = releaseNotesPath();
    if (!QFileInfo(path).isFile()) {
        m_ui.report(Message::fromText(QStringLiteral("Can not find Revision History file : %s"),
                                      {QDir::toNativeSeparators(path)}, MessageIcon::Warning));
        return;
    }
    // With no browser to start, the notes show in the program's own viewer;
    // a file that cannot be read says why.
    QString why;
    if (!openProgramDocument(m_ui, this, path, &why))
        m_ui.report(
            Message::fromText(QStringLiteral("The revision history could not be shown.\n%s"), {why},
                              MessageIcon::Warning));
}

} // namespace stepvane
