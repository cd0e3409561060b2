#include "info/frmAbout.h"

#include "common/AppInfo.h"
#include "ui/InfoLabels.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QPushButton>

using InfoLabels::arial;

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                      | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About VaroMsgBoard"));
    setFixedSize(Twips::toPixels(7425), Twips::toPixels(3255));
    setModal(true);
    setFont(Twips::dialogFont(font()));

    // QDialog closes on Esc (reject) and centres itself over its owner; OK
    // is the default for Enter.
    QPushButton *ok = Twips::place(new QPushButton(QStringLiteral("OK"), this), "cmdOK",
                                   { 5700, 2160, 1467, 450 });
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    InfoLabels::add(this, "Label2", QStringLiteral("Copyright \u00A9 2001 Varo Display Systems, Inc."),
                    { 180, 2865, 2955, 195 });
    InfoLabels::add(this, "lblDescription", QStringLiteral("Message Board Control Software for Windows"),
                    { 2865, 1395, 3975, 240 }, arial(9.75));
    InfoLabels::add(this, "lblVersion", AppInfo::versionText(), { 4215, 930, 1320, 285 }, arial(12, true));
    InfoLabels::add(this, "Label1", QStringLiteral("Message Board"), { 2790, 60, 4395, 690 },
                    arial(30, true, true));
    InfoLabels::addLogo(this, { 180, 150, 1995, 765 });
    InfoLabels::add(this, "Label3", QStringLiteral("Varo Display Systems, Inc."), { 180, 1050, 2550, 195 });
    InfoLabels::add(this, "Label4", QStringLiteral("1200 Signal Hill Road"), { 180, 1275, 2550, 195 });
    InfoLabels::add(this, "Label5", QStringLiteral("Springfield, ST 00000"), { 180, 1470, 2550, 195 });
    InfoLabels::add(this, "Label6", QStringLiteral("Tel: (555) 555-0142"), { 180, 1860, 2550, 195 });
    InfoLabels::add(this, "Label7", QStringLiteral("Fax: (555) 555-0143"), { 180, 2080, 2550, 195 });
    InfoLabels::add(this, "Label8", QStringLiteral("E-mail: info@varo.example"), { 180, 2300, 2550, 195 });
    InfoLabels::add(this, "Label9", QStringLiteral("Web: www.varo.example"), { 180, 2520, 2070, 195 });

    for (QLabel *label : findChildren<QLabel *>()) {
        if (label->objectName() != u"picLogo")
            label->setStyleSheet(QStringLiteral("color: black"));
    }
}
