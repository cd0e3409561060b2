#include "info/frmAbout.h"

#include "common/AppInfo.h"
#include "ui/TwipsLayout.h"

#include <QLabel>
#include <QPushButton>

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                      | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About VaroMsgBoard"));
    setFixedSize(Twips::toPixels(7425), Twips::toPixels(3255));
    setModal(true);
    setFont(TwipsLayout::dialogFont());

    // QDialog closes on Esc (reject) and centres itself over its owner; OK
    // is the default for Enter.
    TwipsLayout layout(this);
    QPushButton *ok = layout.button("cmdOK", QStringLiteral("OK"), { 5700, 2160, 1467, 450 });
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    using Font = TwipsLayout;
    layout.label("Label2", QStringLiteral("Copyright \u00A9 2001 Varo Display Systems, Inc."),
                 { 180, 2865, 2955, 195 });
    layout.label("lblDescription", QStringLiteral("Message Board Control Software for Windows"),
                 { 2865, 1395, 3975, 240 }, Font::arial(9.75));
    layout.label("lblVersion", AppInfo::versionText(), { 4215, 930, 1320, 285 }, Font::arial(12, true));
    layout.label("Label1", AppInfo::productName, { 2790, 60, 4395, 690 }, Font::arial(30, true, true));
    layout.logo({ 180, 150, 1995, 765 });
    layout.label("Label3", AppInfo::maker, { 180, 1050, 2550, 195 });
    layout.label("Label4", QStringLiteral("1200 Signal Hill Road"), { 180, 1275, 2550, 195 });
    layout.label("Label5", QStringLiteral("Springfield, ST 00000"), { 180, 1470, 2550, 195 });
    layout.label("Label6", QStringLiteral("Tel: (555) 555-0142"), { 180, 1860, 2550, 195 });
    layout.label("Label7", QStringLiteral("Fax: (555) 555-0143"), { 180, 2080, 2550, 195 });
    layout.label("Label8", QStringLiteral("E-mail: info@varo.example"), { 180, 2300, 2550, 195 });
    layout.label("Label9", QStringLiteral("Web: www.varo.example"), { 180, 2520, 2070, 195 });

    for (QLabel *label : findChildren<QLabel *>()) {
        if (label->objectName() != u"picLogo")
            label->setStyleSheet(QStringLiteral("color: black"));
    }
}
