// Stopping a long search cleanly on SIGINT, SIGTERM or SIGHUP.
//
// While the handlers are installed a stop signal only records itself; the leg loop finishes the
// leg in progress, writes every pending triple and ends the run. Each handler resets itself, so
// a second signal of the same kind during that wrap-up ends the program at once.
#pragma once

// Installs the handlers and forgets any earlier stop. Signals that were ignored stay ignored.
void installaGestoriInterruzione();
// Puts back the dispositions that installaGestoriInterruzione found.
void ripristinaGestoriInterruzione();
// True once a stop signal arrived since the handlers were installed.
bool interruzioneRichiesta();
// The number of the first stop signal that arrived since then, 0 when none did.
int segnaleRicevuto();
// A pause of `secondi` seconds, cut short by a stop signal, also one that arrived before it.
void pausaDiSecondi(int secondi);
// The pause after each new triple.
inline void pausaDiUnSecondo() {
  pausaDiSecondi(1);
}
