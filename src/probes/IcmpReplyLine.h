#pragma once

#include "probes/IcmpClient.h"

#include <QString>

// The line the ping window writes for one echo report, e.g.
// "1024 bytes de 127.0.0.1: sequencia#=1 tempo-de-vida(ttl)=64 tempo<1 ms ".
// Replies shorter than a classic 72-byte echo end with the bytes and the share lost.
QString icmpReplyLine(const IcmpReport& report);
