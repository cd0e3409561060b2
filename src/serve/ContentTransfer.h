#ifndef CONTENTTRANSFER_H
#define CONTENTTRANSFER_H

#include "common/Outcome.h"
#include "serve/content/ContentArchive.h"
#include "store/ServeStore.h"

#include <QDateTime>

// A store's whole content read into an archive and replaced by one: what
// GET /api/export and PUT /api/import do through BoardControl, and what
// --export and --import do on a store no service holds.
namespace ContentTransfer {

// Alerts ended by now are left out; content the store holds that no longer
// reads is left out too (a service skips it when it loads).
ContentArchive read(const ServeStore &store, const QDateTime &now);
// Everything the store held replaced in one transaction: all or nothing.
Outcome write(ServeStore &store, const ContentArchive &archive);

} // namespace ContentTransfer

#endif
