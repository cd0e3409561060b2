#include "rules/Sending.h"

#include "messages/FieldCheck.h"
#include "protocol/BoardFrame.h"
#include "transport/Transport.h"

namespace Sending {

namespace {

bool fails(const FieldCheck &check, QString &text, QList<Outcome> &problems)
{
    const FieldCheck::Result result = check.check(text);
    if (result.passes)
        text = result.text;
    else
        problems.append(Outcome { check.failure() });
    return !result.passes;
}

} // namespace

Result prepare(const Fields &fields)
{
    Result result { fields };
    result.boardNumFailed = fails(FieldCheck::boardNumber(), result.fields.boardNum, result.problems);
    result.brightFailed = fails(FieldCheck::brightness(), result.fields.bright, result.problems);
    if (result.ok()) {
        result.frame = BoardFrame::build(result.fields.boardNum, result.fields.presentIndex, result.fields.bright,
                                         result.fields.message);
    }
    return result;
}

Result send(Transport &transport, const Fields &fields)
{
    Result result = prepare(fields);
    if (result.ok()) {
        const Outcome sent = transport.send(result.frame);
        if (!sent.ok())
            result.problems.append(sent);
    }
    return result;
}

} // namespace Sending
