#include "info/HelpCommands.h"

#include "common/AppInfo.h"
#include "info/HelpWindow.h"
#include "info/frmAbout.h"
#include "ui/MsgBox.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>

HelpCommands::HelpCommands(QWidget *owner, QAction *topics, QAction *web, QAction *about)
    : QObject(owner)
    , m_owner(owner)
{
    connect(topics, &QAction::triggered, this, &HelpCommands::mnuHelpTopics_Click);
    connect(web, &QAction::triggered, this, &HelpCommands::mnuHelpWeb_Click);
    connect(about, &QAction::triggered, this, &HelpCommands::MnuHelpAbout_Click);
}

void HelpCommands::mnuHelpTopics_Click()
{
    try {
        if (!m_help)
            m_help = new HelpWindow(m_owner);
        m_help->showContents(AppInfo::besideProgram(AppInfo::helpFileName));
        m_help->show();
        m_help->raise();
        m_help->activateWindow();
    } catch (const std::exception &error) {
        MsgBox::show(m_owner, QString::fromLocal8Bit(error.what()));
    }
}

void HelpCommands::mnuHelpWeb_Click()
{
    QDesktopServices::openUrl(QUrl(AppInfo::webAddress));
}

void HelpCommands::MnuHelpAbout_Click()
{
    frmAbout about(m_owner);
    about.exec();
}
