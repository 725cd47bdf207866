// Benchmarks of terne-cerca --tutte: every triple of the legs 1 … 65535, and of the 10^5 legs
// just below 2^32, written as the tool writes them to a file in memory; start-up excluded. The
// items are the triples written, so that the cost per triple of the two stretches compares.
// Run from a folder that holds the input files (bench/esegui.sh prepares one).
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "divisori/divisori.h"
#include "primes/primi.h"
#include "tools/tutte.h"

namespace {

// The primes of the prepared table, as terne-cerca --tutte takes them from it.
std::vector<std::uint32_t> primiDellaTabella() {
  _myElement* primi = new _myElement;
  if (caricaPrimi("numeriPrimi.txt", numero(65536), primi) != 1) {
    rilasciaLista(primi);
    throw std::runtime_error("numeriPrimi.txt mancante");
  }
  std::vector<std::uint32_t> tabella;
  for (const _myElement* p = primi; p != nullptr; p = p->next) {
    if (p->value.intero() >= 2) tabella.push_back(static_cast<std::uint32_t>(p->value.intero()));
  }
  rilasciaLista(primi);
  return tabella;
}

void Tutte(benchmark::State& stato) {
  const auto da = static_cast<std::uint64_t>(stato.range(0));
  const auto a = static_cast<std::uint64_t>(stato.range(1));
  Setaccio setaccio(primiDellaTabella());
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
