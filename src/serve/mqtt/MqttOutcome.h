#ifndef MQTTOUTCOME_H
#define MQTTOUTCOME_H

#include "common/Outcome.h"

// The service's MQTT link and the commands it takes from the bus; worded in
// MqttOutcome.cpp.
enum class MqttOutcome {
    PayloadTooLarge,
    TopicUnknown, // description: the command topics
    CommandRetained,
    Connected, // subject: HOST:PORT
    Lost, // subject: HOST:PORT; description: the reason
    Refused, // subject: HOST:PORT; description: the broker's reason
    TlsFileInvalid, // subject: the file (or host); description: the TLS library's reason
    RetainedUnread, // subject: the prefix; limit: the seconds waited
};

const OutcomeArea &outcomeArea(MqttOutcome kind);

#endif
