// Every limit of the server, in one place: what a request may cost it.
#pragma once

#include "survey/ResultFileFormat.h"

#include <QByteArray>

namespace Serve {

struct Limits {
    qint64 maxBody = Survey::kMaxFileBytes; // a body above is refused from its Content-Length
    unsigned threads = 4;                   // the HTTP thread pool
    unsigned connections = 1000;            // open at once
    unsigned connectionsPerAddress = 100;   // from one address (a proxy's: raise it behind one)
    size_t connectionMemory = 64 * 1024;    // each connection's buffers, headers included
    unsigned idleSeconds = 30;              // a connection that sends nothing for so long is closed
    int requestSeconds = 120;               // a request still sending its body after so long is cut
    double perAddressPerMinute = 600;       // uploads; 0 for no limit
    double perCodePerMinute = 6000;         // uploads under one code; 0 for no limit
    int batch = 512;                        // submissions committed in one transaction at most
    QByteArray trustedProxy;                // a proxy whose X-Real-IP header names the client, for the rate
};

} // namespace Serve
