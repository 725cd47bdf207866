#include "sistema/interruzione.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

// The pause's wait as this test sees it: a stop signal may be raised just before the wait starts,
// and what the wait took and the longest time it was given are kept.
bool segnaleAlVia = false;
int presoDallAttesa = 0;
std::chrono::nanoseconds attesaPiuLunga{0};
extern "C" int sigtimedwait(const sigset_t* insieme, siginfo_t* info, const timespec* limite) {
  using Attesa = int (*)(const sigset_t*, siginfo_t*, const timespec*);
  static const auto vera = reinterpret_cast<Attesa>(dlsym(RTLD_NEXT, "sigtimedwait"));
  if (segnaleAlVia) std::raise(SIGINT);
  segnaleAlVia = false;
  attesaPiuLunga = std::max(attesaPiuLunga, std::chrono::seconds(limite->tv_sec) +
                                                std::chrono::nanoseconds(limite->tv_nsec));
  return presoDallAttesa = vera(insieme, info, limite);
}

namespace {

using namespace std::chrono_literals;
using Orologio = std::chrono::steady_clock;

std::chrono::nanoseconds DurataPausa(int secondi) {
  const auto inizio = Orologio::now();
  pausaDiSecondi(secondi);
  return Orologio::now() - inizio;
}

// A stop signal ends a minute's pause, whether it came before the pause or during it; the
// bound leaves half a minute to a loaded machine.
TEST(Pausa, LastsItsTimeAndAStopSignalEndsIt) {
  {
    GestoriInterruzione gestori;
    const auto unSecondo = DurataPausa(1);
    EXPECT_GE(unSecondo, 1s);
    EXPECT_LE(attesaPiuLunga, 1s);
    std::raise(SIGINT);
    EXPECT_LT(DurataPausa(1), 500ms);
    EXPECT_LT(DurataPausa(60), 30s);
    EXPECT_EQ(segnaleRicevuto(), SIGINT);
  }
  GestoriInterruzione gestori;
  const pthread_t principale = pthread_self();
  std::thread segnale([principale] { pthread_kill(principale, SIGTERM); });
  EXPECT_LT(DurataPausa(60), 30s);
  segnale.join();
  EXPECT_EQ(segnaleRicevuto(), SIGTERM);
}

// A stop between the pause's look at the flag and its wait is taken by the wait, which then ends
// at once: the signals are held from the one to the other. One ignored before stays ignored.
TEST(Pausa, AStopJustBeforeTheWaitEndsItAndAnIgnoredOneIsNone) {
  {
    GestoriInterruzione gestori;
    segnaleAlVia = true;
    pausaDiSecondi(1);
    EXPECT_EQ(presoDallAttesa, SIGINT);
    EXPECT_EQ(segnaleRicevuto(), SIGINT);
  }
  std::signal(SIGHUP, SIG_IGN);  // as nohup leaves it
  {
    GestoriInterruzione gestori;
    std::raise(SIGHUP);
    EXPECT_FALSE(interruzioneRichiesta());
  }
  std::signal(SIGHUP, SIG_DFL);
}

// The first stop signal only asks for the stop; the handler then gives way to the default
// action, so a second one ends the program.
TEST(InterruzioneDeathTest, ASecondSignalEndsTheProgram) {
  EXPECT_EXIT(
      {
        GestoriInterruzione gestori;
        std::raise(SIGINT);
        if (!interruzioneRichiesta()) std::exit(2);
        std::raise(SIGINT);
        std::exit(0);
      },
      testing::KilledBySignal(SIGINT), "");
}

}  // namespace
