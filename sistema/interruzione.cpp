#include "sistema/interruzione.h"

#include <pthread.h>

#include <cerrno>
#include <csignal>
#include <ctime>

namespace {

// The one state a signal handler may touch: the first stop signal's number, 0 for none.
volatile std::sig_atomic_t ricevuto = 0;

constexpr int kSegnali[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void gestore(int segnale) {
  if (ricevuto == 0) ricevuto = segnale;
}

sigset_t segnaliDiArresto() {
  sigset_t insieme;
  sigemptyset(&insieme);
  for (int s : kSegnali) sigaddset(&insieme, s);
  return insieme;
}

timespec adesso() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t;
}

// The time from now to `fine`, or false when it has passed.
bool restaFinoA(const timespec& fine, timespec& resto) {
  const timespec t = adesso();
  resto.tv_sec = fine.tv_sec - t.tv_sec;
  resto.tv_nsec = fine.tv_nsec - t.tv_nsec;
  if (resto.tv_nsec < 0) {
    resto.tv_nsec += 1000000000;
    --resto.tv_sec;
  }
  return resto.tv_sec > 0 || (resto.tv_sec == 0 && resto.tv_nsec > 0);
}

}  // namespace

GestoriInterruzione::GestoriInterruzione() {
  ricevuto = 0;
  struct sigaction azione = {};
  azione.sa_handler = gestore;
  sigemptyset(&azione.sa_mask);
  // No SA_RESTART: a write blocked on a full pipe returns at the signal, so the stop is quick.
  azione.sa_flags = SA_RESETHAND;
  for (int i = 0; i < 3; ++i) {
    sigaction(kSegnali[i], nullptr, &precedenti_[i]);
    if (precedenti_[i].sa_handler != SIG_IGN) sigaction(kSegnali[i], &azione, nullptr);
  }
}

GestoriInterruzione::~GestoriInterruzione() {
  for (int i = 0; i < 3; ++i) sigaction(kSegnali[i], &precedenti_[i], nullptr);
  ricevuto = 0;
}

bool interruzioneRichiesta() {
  return ricevuto != 0;
}

int segnaleRicevuto() {
  return ricevuto;
}

void pausaDiSecondi(int secondi) {
  // The stop signals stay blocked from the test of the flag to the wait, which takes them, so
  // one that comes just before the wait still ends it.
  const sigset_t arresto = segnaliDiArresto();
  sigset_t prima;
  pthread_sigmask(SIG_BLOCK, &arresto, &prima);
  timespec fine = adesso();
  fine.tv_sec += secondi;
  timespec resto;
  int preso = -1;
  while (!interruzioneRichiesta() && restaFinoA(fine, resto)) {
    preso = sigtimedwait(&arresto, nullptr, &resto);
    if (preso > 0 || errno != EINTR) break;  // a stop signal, or the time is up
  }
  pthread_sigmask(SIG_SETMASK, &prima, nullptr);
  // Taken by the wait, the signal goes to its disposition now, as if it had just arrived.
  if (preso > 0) raise(preso);
}
