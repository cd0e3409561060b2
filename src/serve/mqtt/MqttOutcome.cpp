#include "serve/mqtt/MqttOutcome.h"

namespace {

QString words(const Outcome &outcome)
{
    switch (outcome.areaKind<MqttOutcome>()) {
    case MqttOutcome::PayloadTooLarge:
        return QStringLiteral("payload larger than 64 KiB");
    case MqttOutcome::TopicUnknown:
        return QStringLiteral("not a command topic: ") + outcome.description;
    case MqttOutcome::CommandRetained:
        return QStringLiteral("a retained command is not applied: publish it without the retain flag");
    case MqttOutcome::Connected:
        return QStringLiteral("MQTT broker ") + outcome.subject + QStringLiteral(": connected");
    case MqttOutcome::Lost:
        return QStringLiteral("MQTT broker ") + outcome.subject + QStringLiteral(": ") + outcome.description
                + QStringLiteral("; trying again");
    case MqttOutcome::Refused:
        return QStringLiteral("MQTT broker ") + outcome.subject + QStringLiteral(" refused the connection: ")
                + outcome.description;
    case MqttOutcome::TlsFileInvalid:
        return QStringLiteral("\"%1\" cannot be used for TLS: %2").arg(outcome.subject, outcome.description);
    case MqttOutcome::RetainedUnread:
        return QStringLiteral("the broker did not hand back what it retains under %1 within %2 s: boards whose "
                              "state it held but this service no longer has may stay announced")
                .arg(outcome.subject)
                .arg(outcome.limit);
    }
    return {};
}

const OutcomeArea area { OutcomeArea::Bus, &words };

} // namespace

const OutcomeArea &outcomeArea(MqttOutcome)
{
    return area;
}
