#pragma once
#include <cstdio>

// SIGINT, SIGTERM and SIGHUP as a request to stop, and on Windows the console's Ctrl+C,
// Ctrl+Break and its window closing: the run finishes the record it is writing and starts
// nothing more, instead of the process ending under it.
namespace norvo::sinais {

// Installs the handlers, which only record the signal and wake `descritor()`. A write to an
// output whose reader is gone (SIGPIPE) then fails instead of ending the process. Call it
// once, before the first connection.
void instalar();
// The first of those signals received since `instalar`, or 0. Windows' console events count
// as the signals a terminal gives: Ctrl+C and Ctrl+Break SIGINT, a closed window SIGHUP.
int recebido();
// Becomes readable when a signal arrives, for an event loop to wake on; -1 before instalar,
// and on Windows, whose window has no console to be signalled through.
int descritor();
// Takes what woke `descritor()`, so that it waits for the next signal.
void consumir();
// 128 + the signal received, as a shell expects of a process a signal stopped; 0 without one.
int codigoDeSaida();
// Waits until `entrada` has something to read or a signal arrives; false for the signal.
bool esperarEntrada(std::FILE* entrada);

} // namespace norvo::sinais
