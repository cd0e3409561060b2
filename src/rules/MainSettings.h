#ifndef MAINSETTINGS_H
#define MAINSETTINGS_H

#include <QPoint>
#include <QPointF>
#include <QSettings>
#include <QString>

#include <optional>

// The main window's values in the per-user settings store, group
// "Settings". Each key is written only when its value changed; a stored
// value that does not read as a finite number counts as absent.
class MainSettings
{
public:
    struct Fields
    {
        QString curMsg;
        QString boardNum;
        QString bright;
        int presentIndex = 0;

        bool operator==(const Fields &) const = default;
    };

    MainSettings();

    QPointF position() const; // twips; off the screen when never stored
    Fields fields() const;

    // Without a position (the window is minimized) the stored one stays.
    void save(std::optional<QPoint> position, const Fields &fields);

private:
    float number(const QString &key, float absent) const;
    void saveIfChanged(const QString &key, const QString &value, const QString &stored);

    QSettings m_store;
};

#endif
