#ifndef TRIMSPACES_H
#define TRIMSPACES_H

#include <QString>

// Removes leading and trailing spaces (code 32 only; a tab is not a space).
QString TrimSpaces(const QString &text);

#endif
