// CImageDialog: attaches one picture, and on the marker and limit pages a
// comment with it. The caller gives the picture it has and takes the
// dialog's values back whatever way the dialog was closed (OK, Enter, the
// close box); Escape does nothing. Attaching makes the working copy at once;
// "Del" only drops the dialog's reference to the picture.
#pragma once

#include "document/ModelTables.h"
#include "document/TaskRecords.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace stepvane {

class UserInterface;

constexpr int kMaxCommentLength = kCommentMaxLength;

class CImageDialog : public QDialog {
    Q_OBJECT
public:
    CImageDialog(UserInterface &ui, const AttachedImage &image, bool showComment,
                 QWidget *parent = nullptr);

    // The picture and (when shown) the comment as they stand now.
    AttachedImage image() const;

    QLineEdit *imageField() const { return m_imageField; }
    QLineEdit *commentField() const { return m_comment; }
    QPushButton *attachButton() const { return m_attach; }
    QPushButton *deleteButton() const { return m_delete; }
    QPushButton *okButton() const { return m_ok; }

    // "Attach" and "Del".
    void attach();
    void removeImage();

public slots:
    void reject() override; // Escape: the dialog stays open

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void commentEdited(const QString &text);

    UserInterface &m_ui;
    AttachedImage m_image;
    QLineEdit *m_imageField;
    QLabel *m_commentLabel;
    QLineEdit *m_comment;
    QPushButton *m_attach;
    QPushButton *m_delete;
    QPushButton *m_ok;
};

} // namespace stepvane
