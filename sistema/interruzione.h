// Stopping cleanly on SIGINT, SIGTERM or SIGHUP.
//
// While the handlers are installed a stop signal only records itself; the program finishes what
// it must (the leg in progress, the records found, the file's sync and close; or the removal of
// a temporary file) and ends. A write that blocks (a full pipe, a slow device) returns at the
// signal instead of going on waiting. Each handler resets itself, so a second signal of the same
// kind ends the program at once.
#pragma once

#include <csignal>

// The handlers, installed for the lifetime of the object; the dispositions found before come
// back with its end. Installing forgets any earlier stop; signals that were ignored stay ignored.
class GestoriInterruzione {
 public:
  GestoriInterruzione();
  ~GestoriInterruzione();
  GestoriInterruzione(const GestoriInterruzione&) = delete;
  GestoriInterruzione& operator=(const GestoriInterruzione&) = delete;

 private:
  struct sigaction precedenti_[3];
};

// True once a stop signal arrived while the handlers are installed.
bool interruzioneRichiesta();
// The number of the first stop signal that arrived while they are, 0 when none did.
int segnaleRicevuto();
// A pause of `secondi` seconds, cut short by a stop signal, also one that arrived before it.
void pausaDiSecondi(int secondi);
// The pause after each new triple.
inline void pausaDiUnSecondo() {
  pausaDiSecondi(1);
}
