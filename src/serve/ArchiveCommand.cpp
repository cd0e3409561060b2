#include "serve/ArchiveCommand.h"

#include "common/Console.h"
#include "engine/Clock.h"
#include "rules/MessageText.h"
#include "serve/ContentTransfer.h"
#include "serve/ServiceOutcome.h"
#include "serve/content/ContentJson.h"
#include "serve/content/ContentOutcome.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

namespace ArchiveCommand {

namespace {

Outcome exportTo(const ServeStore &store, const QString &path)
{
    const QDateTime now = SystemClock().now();
    const QByteArray text = QJsonDocument(ContentJson::toJson(ContentTransfer::read(store, now), now)).toJson();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return { ServiceOutcome::ArchiveUnwritable, path, CommMode::None, 0, file.errorString() };
    return {};
}

Outcome importFrom(ServeStore &store, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return { ServiceOutcome::ArchiveUnreadable, path, CommMode::None, 0, file.errorString() };
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        return { ContentOutcome::JsonMalformed, error.errorString() };
    if (!document.isObject())
        return { ContentOutcome::NotAnObject, QStringLiteral("content") };
    const auto archive = ContentJson::archive(document.object());
    return archive.ok() ? ContentTransfer::write(store, archive.value) : archive.error;
}

} // namespace

int run(const ServeOptions::Parsed &options)
{
    ServeStore store;
    Outcome done = store.open(options.dataFile);
    if (done.ok())
        done = options.action == ServeOptions::Export ? exportTo(store, options.archiveFile)
                                                      : importFrom(store, options.archiveFile);
    store.close();
    if (!done.ok()) {
        Console::error(QStringLiteral("VaroServe: ") + MessageText::of(done));
        return 1;
    }
    return 0;
}

} // namespace ArchiveCommand
