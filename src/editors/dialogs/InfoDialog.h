// InfoDialog: the base of the tag, job and company dialogs of the save and
// report pages. "Close" and the window's close box both end the dialog with
// Accepted, after which the page writes the dialog's values; Escape ends it
// with Rejected and the page writes nothing.
#pragma once

#include <QCloseEvent>
#include <QDialog>
#include <QPushButton>

namespace stepvane {

class InfoDialog : public QDialog {
public:
    explicit InfoDialog(QWidget *parent = nullptr)
        : QDialog(parent), m_close(new QPushButton(QStringLiteral("Close"), this))
    {
        m_close->setObjectName(QStringLiteral("close"));
        m_close->setDefault(true);
        connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    }
    QPushButton *closeButton() const { return m_close; }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        event->accept();
        accept();
    }

private:
    QPushButton *m_close;
};

} // namespace stepvane
