#ifndef STATIONSERVERPROBE_H
#define STATIONSERVERPROBE_H

#include "DatabaseServer.h"

#include <QString>

// One try to log in to a station database server, for the operator's "Test connection". It waits
// for the network (at most the connect timeout of the server's options), so it runs on a worker
// thread: the connection is made, used and removed on the thread that calls run().
class StationServerProbe
{
public:
    struct Outcome
    {
        bool connected = false;
        QString serverVersion; // "15.4" as the server reports it, when connected
        QString error;         // the driver's reason, when not
    };

    static Outcome run(const DatabaseServer& server);
};

#endif // STATIONSERVERPROBE_H
