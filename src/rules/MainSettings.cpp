#include "rules/MainSettings.h"

#include "protocol/PresentMode.h"
#include "rules/SettingsStore.h"

#include <cmath>

namespace {

const QString mainLeft = QStringLiteral("Settings/MainLeft");
const QString mainTop = QStringLiteral("Settings/MainTop");
const QString curMsgText = QStringLiteral("Settings/CurMsgText");
const QString boardNumText = QStringLiteral("Settings/BoardNumText");
const QString brightText = QStringLiteral("Settings/BrightText");
const QString presentIndex = QStringLiteral("Settings/PresentIndex");

// A missing position restores just past the off-screen limit, so the window
// is centred; at save it is only compared, with a value no window has.
constexpr float restoreAbsentPosition = -401;
constexpr float compareAbsentPosition = -500;
const QString absentBoardNum = QStringLiteral("0");
const QString absentBright = QStringLiteral("99");
constexpr int absentPresentIndex = 0;

} // namespace

MainSettings::MainSettings()
    : m_store(SettingsStore::fileName(), QSettings::IniFormat)
{ }

float MainSettings::number(const QString &key, float absent) const
{
    bool ok = false;
    const float value = m_store.value(key).toString().toFloat(&ok);
    return ok && std::isfinite(value) ? value : absent;
}

QPointF MainSettings::position() const
{
    return { number(mainLeft, restoreAbsentPosition), number(mainTop, restoreAbsentPosition) };
}

MainSettings::Fields MainSettings::fields() const
{
    Fields fields;
    fields.curMsg = m_store.value(curMsgText).toString();
    fields.boardNum = m_store.value(boardNumText, absentBoardNum).toString();
    fields.bright = m_store.value(brightText, absentBright).toString();
    const float index = number(presentIndex, absentPresentIndex);
    const bool valid = index >= 0 && index < PresentMode::count && index == int(index);
    fields.presentIndex = valid ? int(index) : absentPresentIndex;
    return fields;
}

void MainSettings::save(std::optional<QPoint> position, const Fields &fields)
{
    if (position) {
        if (number(mainLeft, compareAbsentPosition) != float(position->x()))
            m_store.setValue(mainLeft, QString::number(position->x()));
        if (number(mainTop, compareAbsentPosition) != float(position->y()))
            m_store.setValue(mainTop, QString::number(position->y()));
    }
    saveIfChanged(curMsgText, fields.curMsg, m_store.value(curMsgText).toString());
    saveIfChanged(boardNumText, fields.boardNum, m_store.value(boardNumText, absentBoardNum).toString());
    saveIfChanged(brightText, fields.bright, m_store.value(brightText, absentBright).toString());
    const float storedIndex = number(presentIndex, absentPresentIndex);
    if (storedIndex != float(fields.presentIndex))
        m_store.setValue(presentIndex, QString::number(fields.presentIndex));
    m_store.sync();
}

void MainSettings::saveIfChanged(const QString &key, const QString &value, const QString &stored)
{
    if (value != stored)
        m_store.setValue(key, value);
}
