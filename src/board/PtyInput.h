#ifndef PTYINPUT_H
#define PTYINPUT_H

#include "board/BoardInput.h"

#include <QSocketNotifier>

#include <memory>

// A pseudo-terminal made for the run: a sender opens its other end as a
// serial port.
class PtyInput : public BoardInput
{
    Q_OBJECT

public:
    ~PtyInput() override;

    bool open(QString &reason) override;
    QString title() const override;
    QString lineSettings() const override;

    QString devicePath() const { return m_path; }
    // What a sender needs under [Ports] to reach this terminal as a COM port.
    QString portsLine() const;

private:
    void readAvailable();

    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

#endif
