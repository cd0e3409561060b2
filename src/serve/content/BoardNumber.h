#ifndef BOARDNUMBER_H
#define BOARDNUMBER_H

#include "common/Result.h"

#include <QString>

class BoardNumber;

namespace ContentJson {
Result<BoardNumber> board(const QString &text);
}

// A board's number, 0 to 99: only ContentJson::board makes one, from the
// text a path, a topic or a query names the board with, so a function that
// takes one has nothing left to check.
class BoardNumber
{
public:
    int value() const { return m_value; }

private:
    friend struct Result<BoardNumber>;
    friend Result<BoardNumber> ContentJson::board(const QString &text);
    BoardNumber() = default;
    explicit BoardNumber(int value)
        : m_value(value)
    { }

    int m_value = 0;
};

#endif
