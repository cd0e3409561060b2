#ifndef JOURNALCONTROLLER_H
#define JOURNALCONTROLLER_H

#include "common/Outcome.h"
#include "serve/api/ApiReply.h"
#include "store/ServeStore.h"

#include <QJsonObject>
#include <QUrlQuery>

class ApiRequest;
class ApiServer;
class BoardControl;

// /api/journal: the frames that went out, newest first, a page at a time:
// ?board=N&limit=K&before=ID, and "next" gives the before of the page after.
// Each entry holds the first ServeStore::journalHead characters of its text
// and bytes of its frame, with their whole lengths.
class JournalController
{
public:
    static constexpr int defaultLimit = 50;
    static constexpr int maxLimit = 1000;

    explicit JournalController(BoardControl &control)
        : m_control(control)
    { }
    void addRoutes(ApiServer &server);
    // ?board=N&limit=K&before=ID, read as the audit reads its pages too.
    static Outcome page(const QUrlQuery &query, ServeStore::JournalPage &page);

private:
    static QJsonObject entry(const ServeStore::JournalEntry &entry);
    ApiReply list(const ApiRequest &request);

    BoardControl &m_control;
};

#endif
