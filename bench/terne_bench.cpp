// Benchmarks of the work between the pauses: the start (the input files read and checked)
// beside reading the same files as cat does, loading the tables, factoring a square, one leg of
// each factor count, the repeat test over a full pending list, the index of the splits, and the
// search of a stretch of legs and of them all.
// Run from a folder that holds the input files (bench/esegui.sh prepares one).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <sstream>
#include <string>

#include "combinatorial/caricamento.h"
#include "driver/ricerca.h"
#include "primes/primi.h"
#include "results/terne.h"

namespace {

// The tables and the prime table, loaded once for the benchmarks that search.
struct Dati {
  Combinatorial tabelle[kTabelle];
  Suddivisioni suddivisioni{tabelle};  // filled by the first benchmarks that search
  _myElement* primi = new _myElement;
  Dati() {
    std::ostringstream ignorato;
    if (caricaTabelle(tabelle, ignorato) != 0) throw std::runtime_error("tabelle mancanti");
    if (caricaPrimi("numeriPrimi.txt", numero(kCatetoMassimo + 1), primi) != 1) {
      throw std::runtime_error("numeriPrimi.txt mancante");
    }
  }
  ~Dati() { rilasciaLista(primi); }
};

Dati& dati() {
  static Dati d;
  return d;
}

// The start of a run of leg 1: the prime table read and checked, the sixteen tables checked.
void Avvio(benchmark::State& stato) {
  for (auto _ : stato) {
    _myElement* primi = new _myElement;
    benchmark::DoNotOptimize(caricaPrimi("numeriPrimi.txt", numero(2), primi));
    benchmark::DoNotOptimize(soloPrimi(primi));
    rilasciaLista(primi);
    Combinatorial tabelle[kTabelle];
    std::ostringstream ignorato;
    benchmark::DoNotOptimize(caricaTabelle(tabelle, ignorato));
  }
}
BENCHMARK(Avvio)->Unit(benchmark::kMillisecond);

// The floor of the start: the sixteen tables read whole, as cat reads them.
void LetturaTabelle(benchmark::State& stato) {
  static char pezzo[1 << 16];
  for (auto _ : stato) {
    for (int n = kPrimaTabella; n <= kUltimaTabella; ++n) {
      const int fd = open(nomeTabella(n).str, O_RDONLY);
      while (read(fd, pezzo, sizeof pezzo) > 0) benchmark::ClobberMemory();
      close(fd);
    }
  }
}
BENCHMARK(LetturaTabelle)->Unit(benchmark::kMillisecond);

void CaricaTabelle(benchmark::State& stato) {
  for (auto _ : stato) {
    Combinatorial tabelle[kTabelle];
    std::ostringstream ignorato;
    benchmark::DoNotOptimize(caricaTabelle(tabelle, ignorato));
  }
}
BENCHMARK(CaricaTabelle)->Unit(benchmark::kMillisecond);

void Fattorizza(benchmark::State& stato) {
  _myElement* primi = dati().primi;
  for (auto _ : stato) {
    for (int a = 65000; a < 65100; ++a) {
      _myElement* fattori = nullptr;
      fattorizza(numero(a) * numero(a), primi, &fattori);
      rilasciaLista(fattori);
    }
  }
  stato.SetItemsProcessed(stato.iterations() * 100);
}
BENCHMARK(Fattorizza)->Unit(benchmark::kMicrosecond);

// One leg of t = 2 * k factors: 2^k, searched alone with the pause off.
void Cateto(benchmark::State& stato) {
  const int a = 1 << (stato.range(0) / 2);
  Dati& d = dati();
  const Pausa nessuna = [] {};
  for (auto _ : stato) {
    TernePendenti pendenti;
    FileRisultati file;
    std::ostringstream console;
    ContestoRicerca ricerca{d.primi, d.suddivisioni, pendenti, file, &console, nessuna};
    esaminaCateto(numero(a), ricerca);
  }
}
BENCHMARK(Cateto)->DenseRange(4, 18, 2)->Unit(benchmark::kMicrosecond);

// The repeat test over a pending list of range(0) records: the walk of ternaPresente, and
// registraTerna turning away a repeat, as the search does for most of its exact splits.
void Ripetizione(benchmark::State& stato) {
  TernePendenti pendenti;
  for (int a = 1; a <= stato.range(0); ++a)
    registraTerna(numero(a), numero(a + 1), numero(a), pendenti);
  const stringa assente("1,2,3");
  for (auto _ : stato) benchmark::DoNotOptimize(ternaPresente(assente, pendenti.head()));
}
BENCHMARK(Ripetizione)->Arg(1000)->Unit(benchmark::kMicrosecond);

void RipetizioneRifiutata(benchmark::State& stato) {
  TernePendenti pendenti;
  for (int a = 1; a <= stato.range(0); ++a)
    registraTerna(numero(a), numero(a + 1), numero(a), pendenti);
  for (auto _ : stato) {
    benchmark::DoNotOptimize(registraTerna(numero(500), numero(501), numero(500), pendenti));
  }
}
BENCHMARK(RipetizioneRifiutata)->Arg(1000)->Unit(benchmark::kNanosecond);

// Reading the index of the splits of one shape from its table, the first time a leg of that
// shape comes: 2^9, eighteen equal factors, the largest table.
void IndiceSuddivisioni(benchmark::State& stato) {
  Dati& d = dati();
  for (auto _ : stato) {
    Suddivisioni suddivisioni(d.tabelle);
    benchmark::DoNotOptimize(suddivisioni.maschere(18, 0, 1));
  }
}
BENCHMARK(IndiceSuddivisioni)->Unit(benchmark::kMillisecond);

// The search of the legs 1 … range(0) as terne-cerca runs it: no console, no pause, the records
// gathered and written to a file in memory, the index of the splits filled as it goes;
// start-up excluded.
void Tratto(benchmark::State& stato) {
  Dati& d = dati();
  const Pausa nessuna = [] {};
  for (auto _ : stato) {
    TernePendenti pendenti;
    const int fd = memfd_create("risultati", MFD_CLOEXEC);
    FileRisultati file;
    file.usa(fd);
    file.raccogliLotti();
    Suddivisioni suddivisioni(d.tabelle);
    ContestoRicerca ricerca{d.primi, suddivisioni, pendenti, file, nullptr, nessuna};
    ricerca.primiInteri = true;  // the prepared table, which terne-cerca checks
    cicloCateti(numero(1), numero(stato.range(0)), ricerca);
    close(fd);
  }
}
BENCHMARK(Tratto)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(Tratto)->Arg(kCatetoMassimo)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
