// Symbolic links laid where a program writes into a folder the user names:
// the folder itself a link, a link where a file goes, a dangling link there.
// A test prepares one trap, runs the program into folder(), and checks that
// everything outside the folder is as it was.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

namespace stepvane::test {

enum class LinkTrap { FolderIsLink, LinkInside, DanglingLinkInside };

constexpr LinkTrap kLinkTraps[] = {LinkTrap::FolderIsLink, LinkTrap::LinkInside,
                                   LinkTrap::DanglingLinkInside};

inline const char *linkTrapName(LinkTrap trap)
{
    switch (trap) {
    case LinkTrap::FolderIsLink:
        return "the folder is a link";
    case LinkTrap::LinkInside:
        return "a link where the file goes";
    case LinkTrap::DanglingLinkInside:
        return "a dangling link where the file goes";
    }
    return "";
}

class LinkTrapScene {
public:
    // fileName: where in the folder the program writes ("index.html",
    // "files/001-mast.png"); its folders are made for the link.
    LinkTrapScene(LinkTrap trap, const QString &fileName) : m_trap(trap), m_fileName(fileName)
    {
        QDir().mkpath(m_root.filePath("elsewhere"));
        QFile victim(m_root.filePath("victim"));
        if (victim.open(QIODevice::WriteOnly))
            victim.write(kPrecious);
        if (trap == LinkTrap::FolderIsLink) {
            m_ready = QFile::link(m_root.filePath("elsewhere"), folder());
            return;
        }
        QDir().mkpath(QFileInfo(linkPath()).absolutePath());
        m_ready = QFile::link(m_root.filePath(trap == LinkTrap::LinkInside ? "victim" : "ghost"),
                              linkPath());
    }

    bool ready() const { return m_ready; }
    QString folder() const { return m_root.filePath("out"); }
    QString root() const { return m_root.path(); }

    // Empty when the trap's link and its target are as they were and nothing
    // was written outside the folder; else what changed.
    QString damage() const
    {
        const QString link = m_trap == LinkTrap::FolderIsLink ? folder() : linkPath();
        if (!QFileInfo(link).isSymLink())
            return QStringLiteral("the link %1 was replaced").arg(link);
        if (!QDir(m_root.filePath("elsewhere"))
                 .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
            return QStringLiteral("files were written into the link's folder");
        QFile victim(m_root.filePath("victim"));
        if (!victim.open(QIODevice::ReadOnly) || victim.readAll() != kPrecious)
            return QStringLiteral("the link's target file was changed");
        if (QFileInfo::exists(m_root.filePath("ghost")) ||
            QFileInfo(m_root.filePath("ghost")).isSymLink())
            return QStringLiteral("the dangling link's target was created");
        return QString();
    }

private:
    QString linkPath() const { return folder() + u'/' + m_fileName; }

    static constexpr char kPrecious[] = "precious";
    QTemporaryDir m_root;
    LinkTrap m_trap;
    QString m_fileName;
    bool m_ready = false;
};

} // namespace stepvane::test
