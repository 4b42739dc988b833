#ifndef CALLRECORD_H
#define CALLRECORD_H

#include "CallNotes.h"

#include <QString>

// What is known of one call at one moment, as a whole: what a station's server is sent, and what
// waits on this computer while the server is out of reach. The uid names the call wherever it is
// kept, so that sending it twice writes one row.
struct CallRecord
{
    QString uid;
    QString number;
    int type = 0; // a CallRegisterTable::Type
    qint64 durationMs = 0;
    QString timeDate;
    bool declined = false;
    CallNote note;
    // Whether the call has ended; a row not finished is listed as open.
    bool finished = false;
    // The program that follows the call: CallRegisterTable::ownerTag().
    QString owner;
};

#endif // CALLRECORD_H
