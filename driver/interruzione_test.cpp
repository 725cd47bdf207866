#include "driver/interruzione.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Orologio = std::chrono::steady_clock;

std::chrono::nanoseconds DurataPausa() {
  const auto inizio = Orologio::now();
  pausaDiUnSecondo();
  return Orologio::now() - inizio;
}

// The bounds are generous on purpose: a pause is never shorter than asked, and one cut short
// ends within milliseconds.
TEST(Pausa, LastsASecondAndEndsAtOnceOnceAStopSignalArrived) {
  installaGestoriInterruzione();
  EXPECT_GE(DurataPausa(), 1s);
  std::raise(SIGINT);
  EXPECT_LT(DurataPausa(), 500ms);
  EXPECT_TRUE(interruzioneRichiesta());
  ripristinaGestoriInterruzione();

  installaGestoriInterruzione();
  const pthread_t principale = pthread_self();
  std::thread segnale([principale] {
    std::this_thread::sleep_for(100ms);
    pthread_kill(principale, SIGTERM);
  });
  EXPECT_LT(DurataPausa(), 700ms);
  segnale.join();
  EXPECT_TRUE(interruzioneRichiesta());
  ripristinaGestoriInterruzione();
}

}  // namespace
