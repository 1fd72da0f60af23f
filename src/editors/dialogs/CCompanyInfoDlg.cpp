// The company information dialog.
#include "editors/dialogs/CCompanyInfoDlg.h"

#include "editors/dialogs/Attachments.h"
#include "widgets/ControlOrder.h"
#include "widgets/TextFieldRules.h"
#include "widgets/UserInterface.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>

namespace stepvane {

CCompanyInfoDlg::CCompanyInfoDlg(UserInterface &ui, const CompanyInfo &values, QWidget *parent)
    : InfoDialog(parent), m_ui(ui), m_logo(values.logo), m_name(new QLineEdit(values.name, this)),
      m_address(new QLineEdit(values.address, this)), m_nameCheck(new QCheckBox(this)),
      m_addressCheck(new QCheckBox(this)), m_logoField(new QLineEdit(values.logo.ImageName, this)),
      m_logoButton(new QPushButton(QStringLiteral("..."), this)),
      m_useLast(new QPushButton(QStringLiteral("Use last company"), this))
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
    // The check boxes say what they do, on screen and to a screen reader.
    m_nameCheck->setText(QStringLiteral("In report"));
    m_nameCheck->setAccessibleName(QStringLiteral("Company Name in report"));
    m_addressCheck->setText(QStringLiteral("In report"));
    m_addressCheck->setAccessibleName(QStringLiteral("Address in report"));
    m_useLast->setObjectName(QStringLiteral("useLastCompany"));
    m_useLast->setAutoDefault(false);
    m_useLast->setEnabled(remembered().has_value());
    m_useLast->setToolTip(QStringLiteral("Fill in the company name, address and logo used last"));

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
    grid->addWidget(m_useLast, 3, 1, Qt::AlignLeft);
    grid->addWidget(closeButton(), 3, 1, 1, 2, Qt::AlignRight);
    grid->setColumnStretch(1, 1);

    connect(m_logoButton, &QPushButton::clicked, this, &CCompanyInfoDlg::chooseLogo);
    connect(m_useLast, &QPushButton::clicked, this, &CCompanyInfoDlg::useLastCompany);
    arrangeControls(this);
    keepWizardTextIn(this);
}

CompanyInfo CCompanyInfoDlg::values() const
{
    return {m_name->text(), m_address->text(), m_nameCheck->isChecked() ? 1 : 0,
            m_addressCheck->isChecked() ? 1 : 0, m_logo};
}

namespace {

QSettings companySettings()
{
    return QSettings(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
}

} // namespace

void CCompanyInfoDlg::remember(const CompanyInfo &values)
{
    if (values.name.isEmpty() && values.address.isEmpty() && values.logo.isEmpty())
        return;
    QSettings store = companySettings();
    store.beginGroup(QStringLiteral("LastCompany"));
    store.setValue(QStringLiteral("Name"), values.name);
    store.setValue(QStringLiteral("Address"), values.address);
    store.setValue(QStringLiteral("LogoName"), values.logo.ImageName);
    store.setValue(QStringLiteral("LogoCopy"), values.logo.TransImageName);
    store.setValue(QStringLiteral("LogoSize"), qint64(values.logo.Image_filesize));
    store.setValue(QStringLiteral("LogoWidth"), values.logo.ImageWidth);
    store.setValue(QStringLiteral("LogoHeight"), values.logo.ImageHeight);
}

std::optional<CompanyInfo> CCompanyInfoDlg::remembered()
{
    QSettings store = companySettings();
    store.beginGroup(QStringLiteral("LastCompany"));
    if (!store.contains(QStringLiteral("Name")))
        return std::nullopt;
    CompanyInfo info;
    info.name = store.value(QStringLiteral("Name")).toString();
    info.address = store.value(QStringLiteral("Address")).toString();
    // The logo's working copy is shared with the step that chose it; one
    // that is gone (a later run cleaned it up) is not offered.
    const QString copy = store.value(QStringLiteral("LogoCopy")).toString();
    const qint64 size = store.value(QStringLiteral("LogoSize")).toLongLong();
    if (size > 0 && QFileInfo(copy).isFile() && QFileInfo(copy).size() == size) {
        info.logo.ImageName = store.value(QStringLiteral("LogoName")).toString();
        info.logo.TransImageName = copy;
        info.logo.Image_filesize = Size(size);
        info.logo.ImageWidth = store.value(QStringLiteral("LogoWidth")).toInt();
        info.logo.ImageHeight = store.value(QStringLiteral("LogoHeight")).toInt();
    }
    return info;
}

void CCompanyInfoDlg::useLastCompany()
{
    const std::optional<CompanyInfo> last = remembered();
    if (!last)
        return;
    m_name->setText(last->name);
    m_address->setText(last->address);
    if (!last->logo.isEmpty()) {
        m_logo = last->logo;
        m_logoField->setText(m_logo.ImageName);
    }
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
