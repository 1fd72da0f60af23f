// The image dialog of the prompt, marker and limit pages.
#include "editors/dialogs/CImageDialog.h"

#include "editors/dialogs/Attachments.h"
#include "widgets/ControlOrder.h"
#include "widgets/TextFieldRules.h"
#include "widgets/UserInterface.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace stepvane {

CImageDialog::CImageDialog(UserInterface &ui, const AttachedImage &image, bool showComment,
                           QWidget *parent)
    : QDialog(parent), m_ui(ui), m_image(image), m_imageField(new QLineEdit(this)),
      m_commentLabel(new QLabel(QStringLiteral("Comment :"), this)), m_comment(new QLineEdit(this)),
      m_attach(new QPushButton(QStringLiteral("Attach"), this)),
      m_delete(new QPushButton(QStringLiteral("Del"), this)),
      m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(QString());
    m_imageField->setObjectName(QStringLiteral("imageName"));
    // The name is shown, not typed: the field looks read-only, Tab passes
    // it by, and the dialog opens with the focus on "Attach".
    m_imageField->setReadOnly(true);
    m_imageField->setFocusPolicy(Qt::NoFocus);
    QPalette shown = m_imageField->palette();
    shown.setColor(QPalette::Base, shown.color(QPalette::Window));
    m_imageField->setPalette(shown);
    m_imageField->setText(image.ImageName);
    m_imageField->setMinimumWidth(200);
    m_comment->setObjectName(QStringLiteral("comment"));
    m_comment->setText(image.Comment);
    limitLength(m_comment, kMaxCommentLength);
    connect(m_comment, &QLineEdit::textEdited, this, &CImageDialog::commentEdited);
    m_commentLabel->setVisible(showComment);
    m_comment->setVisible(showComment);
    // Enter anywhere, the comment field included, presses OK.
    m_attach->setAutoDefault(false);
    m_delete->setAutoDefault(false);
    m_ok->setDefault(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Image :"), this), 0, 0);
    grid->addWidget(m_imageField, 0, 1);
    grid->addWidget(m_attach, 0, 2);
    grid->addWidget(m_delete, 0, 3);
    grid->addWidget(m_commentLabel, 1, 0);
    grid->addWidget(m_comment, 1, 1, 1, 3);
    grid->addWidget(m_ok, 2, 3);
    grid->setColumnStretch(1, 1);

    connect(m_attach, &QPushButton::clicked, this, &CImageDialog::attach);
    connect(m_delete, &QPushButton::clicked, this, &CImageDialog::removeImage);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    arrangeControls(this);
    keepWizardTextIn(this);
    m_attach->setFocus();
}

AttachedImage CImageDialog::image() const
{
    AttachedImage result = m_image;
    if (!m_comment->isHidden())
        result.Comment = m_comment->text();
    return result;
}

void CImageDialog::attach()
{
    // A picture that cannot be attached is reported and changes nothing: the
    // picture the dialog had stays, with its size.
    const std::optional<AttachedImage> chosen = choosePicture(m_ui, this);
    if (!chosen)
        return;
    const QString comment = m_image.Comment;
    m_image = *chosen;
    m_image.Comment = comment;
    m_imageField->setText(m_image.ImageName);
}

void CImageDialog::removeImage()
{
    // The working copy stays on disk: a copied step, or the edit history,
    // may still refer to it. It goes with the per-run folder.
    m_image.ImageName.clear();
    m_image.TransImageName.clear();
    m_image.Image_filesize = 0;
    m_imageField->clear();
}

void CImageDialog::reject() {}

void CImageDialog::closeEvent(QCloseEvent *event)
{
    event->accept();
    accept();
}

void CImageDialog::commentEdited(const QString &text)
{
    // The field stops at the limit (with its note); only a text set from
    // elsewhere can be longer, and it is cut without a word.
    if (text.size() > kMaxCommentLength)
        m_comment->setText(text.left(kMaxCommentLength));
}

} // namespace stepvane
