#ifndef GSMTYPES_H
#define GSMTYPES_H

#include <QMetaType>

// State of the one voice call the program follows.
enum VOICECALL_STATE {
    VOICECALL_IDLE = 0,
    VOICECALL_CALLING = 1,
    VOICECALL_INCOMING = 2,
    VOICECALL_ACTIVE = 3,
};
Q_DECLARE_METATYPE(VOICECALL_STATE)

// What the SIM card waits for, as the module reports it; SIM_UNKNOWN until the first report.
enum SIM_STATE {
    SIM_READY = 0,
    SIM_PIN = 1,
    SIM_PUK = 2,
    SIM_PIN2 = 3,
    SIM_PUK2 = 4,
    SIM_PH_NET_PIN = 5,
    SIM_PH_NET_PUK = 6,
    SIM_PH_NETSUB_PIN = 7,
    SIM_PH_NETSUB_PUK = 8,
    SIM_PH_SP_PIN = 9,
    SIM_PH_SP_PUK = 10,
    SIM_PH_CORP_PIN = 11,
    SIM_PH_CORP_PUK = 12,
    SIM_UNKNOWN = 13,
};
Q_DECLARE_METATYPE(SIM_STATE)

// Who or what ended a call, as far as the program can tell.
enum CALL_END_REASON {
    CALL_END_BY_CALLER = 0,  // the other party hung up, gave up ringing or did not answer
    CALL_END_BY_US = 1,      // hung up or declined here (button, key, remote control)
    CALL_END_LINE_LOST = 2,  // the unit went away (cable, power)
    CALL_END_IN_SILENCE = 3, // it ended while the GSM module was not answering
};
Q_DECLARE_METATYPE(CALL_END_REASON)

#endif // GSMTYPES_H
