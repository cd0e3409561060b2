#ifndef STOREOUTCOME_H
#define STOREOUTCOME_H

#include "common/Outcome.h"

// What the service's store says went wrong; worded in StoreOutcome.cpp.
enum class StoreOutcome {
    NotRegular, // subject: the store's path
    NotDatabase, // subject; description: the database's reason
    Newer, // subject; description: the file's schema version
    Foreign, // subject: a database that some other program made
    Failed, // subject; description
    InUse, // subject: a store another VaroServe holds
    AlertUnknown, // subject: the id
};

const OutcomeArea &outcomeArea(StoreOutcome kind);

#endif
