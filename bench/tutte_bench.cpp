// Benchmarks of terne-cerca --tutte: every triple of the legs 1 … 65535, and of the 10^5 legs
// just below 2^32, written as the tool writes them to a file in memory; start-up excluded. The
// items are the triples written, so that the cost per triple of the two stretches compares.
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "divisori/divisori.h"
#include "tools/tutte.h"

namespace {

std::vector<std::uint32_t> primiFinoA(std::uint32_t limite) {
  std::vector<bool> composto(limite + 1, false);
  std::vector<std::uint32_t> primi;
  for (std::uint32_t i = 2; i <= limite; ++i) {
    if (composto[i]) continue;
    primi.push_back(i);
    for (std::uint64_t m = std::uint64_t{i} * i; m <= limite; m += i) composto[m] = true;
  }
  return primi;
}

void Tutte(benchmark::State& stato) {
  const auto da = static_cast<std::uint64_t>(stato.range(0));
  const auto a = static_cast<std::uint64_t>(stato.range(1));
  Setaccio setaccio(primiFinoA(65536));
  long long terne = 0;
  for (auto _ : stato) {
    const int fd = memfd_create("tutte", MFD_CLOEXEC);
    FileRisultati file;
    file.usa(fd);
    file.raccogliLotti();
    ContestoTutte ricerca{setaccio, file};
    cercaTutteEChiudi(da, a, ricerca);
    terne += ricerca.terne;
    close(fd);
  }
  stato.SetItemsProcessed(terne);
}
BENCHMARK(Tutte)->Args({1, 65535})->Unit(benchmark::kMillisecond);
BENCHMARK(Tutte)->Args({4294867296, 4294967295})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
