#ifndef COUNTERNAME_H
#define COUNTERNAME_H

#include "common/Result.h"

#include <QString>

class CounterName;

namespace ContentJson {
Result<CounterName> counterName(const QString &name);
}

// The name of a counter that {counter:NAME} shows: only
// ContentJson::counterName makes one, so a function that takes one has
// nothing left to check.
class CounterName
{
public:
    const QString &text() const { return m_text; }

private:
    friend struct Result<CounterName>;
    friend Result<CounterName> ContentJson::counterName(const QString &name);
    CounterName() = default;
    explicit CounterName(QString text)
        : m_text(std::move(text))
    { }

    QString m_text;
};

#endif
