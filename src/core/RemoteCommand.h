#ifndef REMOTECOMMAND_H
#define REMOTECOMMAND_H

// What a second invocation of the program asks the running one to do (--answer, --hangup,
// --dial, --status); read from the command line, carried out by the remote client.
enum RemoteCommand { NoRemoteCommand, RemoteAnswer, RemoteHangUp, RemoteDial, RemoteStatus };

#endif // REMOTECOMMAND_H
