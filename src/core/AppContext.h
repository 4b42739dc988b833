#ifndef APPCONTEXT_H
#define APPCONTEXT_H

class CUSBHID;
class CUC20;
class CNau8810;
class CConsole;
class CDatabase;
class CallNotes;
class NotedCallerSaver;
class StationCallQueue;

// What the main window hands to its pages: pointers to the long-lived objects it owns.
// Nothing here is owned by the record or by the pages that receive it.
struct AppContext
{
    CUSBHID* usb = nullptr;
    CUC20* uc20 = nullptr;
    CNau8810* nau8810 = nullptr; // the codec model; null until the program has one
    CConsole* console = nullptr;
    CDatabase* database = nullptr;
    CallNotes* callNotes = nullptr; // the producer's notes of the call going on
    NotedCallerSaver* callerSaver = nullptr; // puts the caller the producer named into the phonebook
    StationCallQueue* stationCalls = nullptr; // records the calls on a station's server; null on a file
};

#endif // APPCONTEXT_H
