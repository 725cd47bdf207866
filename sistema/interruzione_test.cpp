#include "sistema/interruzione.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

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
    EXPECT_LT(unSecondo, 1800ms);
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
