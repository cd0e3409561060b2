#include "NetworkGuard.h"
#include "serve/Service.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Every route of the service's table is in its OpenAPI document; that each
// described operation is answered over HTTP is tst_varoserve's.
class tst_OpenApi : public QObject
{
    Q_OBJECT

private slots:
    void everyRouteDescribed()
    {
        REQUIRE_PRIVATE_NETWORK();
        QTemporaryDir folder;
        Service service(ServeOptions::parse(
                { "VaroServe", "--listen", "127.0.0.1:0", "--data", folder.filePath("s.sqlite"), "UDP9" }));
        QCOMPARE(service.start(), Service::running);
        QFile file(":/api/openapi.json");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject paths = QJsonDocument::fromJson(file.readAll())["paths"].toObject();
        static const QRegularExpression parameter("\\{[^}]+\\}");
        QStringList described;
        for (auto path = paths.begin(); path != paths.end(); ++path) {
            for (const QString &method : path.value().toObject().keys())
                described << method.toUpper() + ' ' + QString(path.key()).replace(parameter, "*");
        }
        const QStringList routes = service.api()->routes();
        for (const QString &route : routes)
            QVERIFY2(described.contains(route), qPrintable(route + " is missing from src/serve/api/openapi.json"));
        service.stop();
    }
};

QTEST_GUILESS_MAIN(tst_OpenApi)
#include "tst_openapi.moc"
