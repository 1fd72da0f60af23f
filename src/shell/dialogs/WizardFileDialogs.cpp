// The wizard open and save dialogs.
#include "shell/dialogs/WizardFileDialogs.h"

#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "shell/dialogs/CPWDlg.h"
#include "shell/dialogs/DialogFolders.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace stepvane {

QStringList toQtNameFilters(const QString &filter)
{
    if (!filter.contains(u'|'))
        return filter.isEmpty() ? QStringList() : filter.split(QStringLiteral(";;"));
    const QStringList parts = filter.split(u'|');
    QStringList out;
    // Pairs of display name and ";"-separated patterns; a trailing "|" leaves
    // an empty last part. The display name is kept as it is; Qt reads the
    // patterns from the parentheses we add at the end.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = parts.at(i + 1).split(u';', Qt::SkipEmptyParts).join(u' ');
        if (!patterns.isEmpty())
            out << QStringLiteral("%1 (%2)").arg(parts.at(i), patterns);
    }
    return out;
}

void startDialogAt(QFileDialog &dialog, const QString &kind, const QString &proposedPath)
{
    // A bare name has no folder of its own: "." would be wherever the
    // program was started from.
    const bool hasFolder = proposedPath.contains(u'/') || proposedPath.contains(u'\\');
    const QFileInfo proposed(proposedPath);
    if (hasFolder && proposed.absoluteDir().exists())
        dialog.setDirectory(proposed.absoluteDir());
    else
        dialog.setDirectory(dialogStartFolder(kind));
    if (!proposedPath.isEmpty())
        dialog.selectFile(proposed.fileName());
}

QString spanlyxModelLine(const QString &path)
{
    if (!path.contains(QStringLiteral(".wzd")) && !path.contains(QStringLiteral(".WZD")))
        return QString();
    // A parser of its own: the main window's parser holds the open wizard's state.
    VX_CAAXML_PARSER parser(nullptr, 0);
    return QStringLiteral("Spanlyx Model : %1").arg(modelName(parser.Read_File_Model(path)));
}

namespace {

// Qt's own dialog is a grid; an extra row goes below its last row.
void addExtraRow(QFileDialog &dialog, QWidget *label, QWidget *widget)
{
    auto *grid = qobject_cast<QGridLayout *>(dialog.layout());
    if (!grid) {
        // Never expected with the non-native dialog; keep the widgets visible anyway.
        widget->setParent(&dialog);
        return;
    }
    const int row = grid->rowCount();
    if (label)
        grid->addWidget(label, row, 0);
    grid->addWidget(widget, row, 1, 1, qMax(1, grid->columnCount() - 1));
}

} // namespace

WizardOpenDialog::WizardOpenDialog(QWidget *parent) : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::HideNameFilterDetails, true);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    setWindowTitle(QStringLiteral("Open"));
    setNameFilters(toQtNameFilters(QStringLiteral("Stepvane files (*.wzd, *.WZD)|*.wzd;*.WZD|")));
    setDefaultSuffix(QStringLiteral("wzd"));

    m_modelLine = new QLineEdit(this);
    m_modelLine->setObjectName(QStringLiteral("spanlyxModel"));
    m_modelLine->setReadOnly(true);
    m_modelLine->setPlaceholderText(QStringLiteral("Spanlyx Model :"));
    addExtraRow(*this, nullptr, m_modelLine);
    connect(this, &QFileDialog::currentChanged, this,
            [this](const QString &path) { m_modelLine->setText(spanlyxModelLine(path)); });
}

WizardSaveDialog::WizardSaveDialog(UserInterface &ui, const QString &title,
                                   const QStringList &nameFilters, const QString &defaultSuffix,
                                   bool offerPassword, QWidget *parent)
    : QFileDialog(parent), m_ui(ui)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::HideNameFilterDetails, true);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setWindowTitle(title.isEmpty() ? QStringLiteral("Save As") : title);
    setNameFilters(nameFilters);
    setDefaultSuffix(defaultSuffix);
    if (offerPassword) {
        m_passwordButton = new QPushButton(QStringLiteral("Password"), this);
        m_passwordButton->setObjectName(QStringLiteral("passwordButton"));
        m_passwordButton->setAutoDefault(false);
        auto *holder = new QWidget(this);
        auto *row = new QHBoxLayout(holder);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(m_passwordButton);
        row->addStretch();
        addExtraRow(*this, nullptr, holder);
        connect(m_passwordButton, &QPushButton::clicked, this, &WizardSaveDialog::askForPassword);
    }
}

void WizardSaveDialog::askForPassword()
{
    CPWDlg dialog(m_ui, CPWDlg::ModeSet, this);
    const bool accepted = m_ui.runModal(dialog) == QDialog::Accepted;
    m_password = UserInterface::FileDialogResult();
    if (accepted && dialog.passwordSet()) {
        m_password.passwordSet = true;
        m_password.password = dialog.password();
        m_password.confirmation = dialog.confirmation();
    }
}

} // namespace stepvane
