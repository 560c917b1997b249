#pragma once

// SIGINT, SIGTERM and SIGHUP as a request to stop: the run finishes the record it is writing
// and starts nothing more, instead of the process (or the client library) ending under it.
namespace norvo::sinais {

// Installs the handlers, which only record the signal and wake `descritor()`, and keeps the
// client library from shutting every connection down on those signals. A write to an output
// whose reader is gone (SIGPIPE) then fails instead of ending the process. Call it once,
// before the first connection.
void instalar();
// The first of those signals received since `instalar`, or 0.
int recebido();
// Becomes readable when a signal arrives, for an event loop to wake on; -1 before instalar.
int descritor();
// Takes what woke `descritor()`, so that it waits for the next signal.
void consumir();
// 128 + the signal received, as a shell expects of a process a signal stopped; 0 without one.
int codigoDeSaida();

} // namespace norvo::sinais
