#include "info/HelpWindow.h"

#include "common/AppInfo.h"

#include <QDir>
#include <QFile>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(AppInfo::title + QStringLiteral(" Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpText"));
    m_browser->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 560);
}

void HelpWindow::showContents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_browser->setHtml(
                QStringLiteral("<h2>Help is not available</h2><p>The help file \"%1\" "
                               "could not be opened:<br>%2</p>")
                        .arg(QDir::toNativeSeparators(path).toHtmlEscaped(), file.errorString().toHtmlEscaped()));
        return;
    }
    m_browser->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
}
