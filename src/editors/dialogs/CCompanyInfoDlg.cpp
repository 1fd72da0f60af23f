// The company information dialog.
#include "editors/dialogs/CCompanyInfoDlg.h"

#include "editors/dialogs/Attachments.h"
#include "widgets/ControlOrder.h"
#include "widgets/UserInterface.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace stepvane {

CCompanyInfoDlg::CCompanyInfoDlg(UserInterface &ui, const CompanyInfo &values, QWidget *parent)
    : InfoDialog(parent), m_ui(ui), m_logo(values.logo), m_name(new QLineEdit(values.name, this)),
      m_address(new QLineEdit(values.address, this)), m_nameCheck(new QCheckBox(this)),
      m_addressCheck(new QCheckBox(this)), m_logoField(new QLineEdit(values.logo.ImageName, this)),
      m_logoButton(new QPushButton(QStringLiteral("..."), this))
{
    setWindowTitle(QStringLiteral("Company Information"));
    m_name->setObjectName(QStringLiteral("companyName"));
    m_name->setMinimumWidth(260);
    m_address->setObjectName(QStringLiteral("address"));
    m_nameCheck->setObjectName(QStringLiteral("companyCheck"));
    m_nameCheck->setChecked(values.nameCheck != 0);
    m_addressCheck->setObjectName(QStringLiteral("addressCheck"));
    m_addressCheck->setChecked(values.addressCheck != 0);
    m_logoField->setObjectName(QStringLiteral("logo"));
    m_logoField->setReadOnly(true);
    m_logoButton->setObjectName(QStringLiteral("chooseLogo"));
    m_logoButton->setAutoDefault(false);
    m_logoButton->setFixedWidth(36);
    m_logoButton->setAccessibleName(QStringLiteral("Choose logo"));
    m_nameCheck->setAccessibleName(QStringLiteral("Company Name check"));
    m_addressCheck->setAccessibleName(QStringLiteral("Address check"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Company Name"), this), 0, 0);
    grid->addWidget(m_name, 0, 1);
    grid->addWidget(m_nameCheck, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Address"), this), 1, 0);
    grid->addWidget(m_address, 1, 1);
    grid->addWidget(m_addressCheck, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Logo"), this), 2, 0);
    grid->addWidget(m_logoField, 2, 1);
    grid->addWidget(m_logoButton, 2, 2);
    grid->addWidget(closeButton(), 3, 1, 1, 2, Qt::AlignRight);
    grid->setColumnStretch(1, 1);

    connect(m_logoButton, &QPushButton::clicked, this, &CCompanyInfoDlg::chooseLogo);
    arrangeControls(this);
}

CompanyInfo CCompanyInfoDlg::values() const
{
    return {m_name->text(), m_address->text(), m_nameCheck->isChecked() ? 1 : 0,
            m_addressCheck->isChecked() ? 1 : 0, m_logo};
}

void CCompanyInfoDlg::chooseLogo()
{
    // A picture that cannot be attached is reported and the logo stays.
    const std::optional<AttachedImage> chosen = choosePicture(m_ui, this, QStringLiteral("jpg"));
    if (!chosen)
        return;
    m_logo = *chosen;
    m_logoField->setText(m_logo.ImageName);
}

} // namespace stepvane
