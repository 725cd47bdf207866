#include "driver/interruzione.h"

#include <cerrno>
#include <csignal>
#include <ctime>

namespace {

volatile std::sig_atomic_t richiesta = 0;

constexpr int kSegnali[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction precedenti[3];

extern "C" void gestore(int) {
  richiesta = 1;
}

}  // namespace

void installaGestoriInterruzione() {
  richiesta = 0;
  struct sigaction azione = {};
  azione.sa_handler = gestore;
  sigemptyset(&azione.sa_mask);
  azione.sa_flags = SA_RESETHAND | SA_RESTART;
  for (int i = 0; i < 3; ++i) {
    sigaction(kSegnali[i], nullptr, &precedenti[i]);
    if (precedenti[i].sa_handler != SIG_IGN) sigaction(kSegnali[i], &azione, nullptr);
  }
}

void ripristinaGestoriInterruzione() {
  for (int i = 0; i < 3; ++i) sigaction(kSegnali[i], &precedenti[i], nullptr);
}

bool interruzioneRichiesta() {
  return richiesta != 0;
}

void pausaDiUnSecondo() {
  timespec resto = {1, 0};
  // nanosleep is never restarted after a handler ran, so a stop signal ends the pause at once.
  while (!interruzioneRichiesta() && nanosleep(&resto, &resto) == -1 && errno == EINTR) {
  }
}
