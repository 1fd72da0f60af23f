// What a failed fleet row says: one sentence of what happened, in words a
// technician understands ("the instrument closed the connection"), made from
// the transfer's messages and the protocol's last error. The single send
// keeps its own fixed messages; only the fleet's table and report use these.
#pragma once

#include "common/MessageSink.h"

#include <QString>

#include <vector>

namespace stepvane {

// messages: what the transfer reported, in order; lastError: the protocol's
// last error text (an identifier such as "STR_ERROR_TIMEOUT", or the system's
// words). Starts in lower case and has no final stop, to follow "failed: ".
QString fleetFailureSentence(const std::vector<Message> &messages, const QString &lastError);

} // namespace stepvane
