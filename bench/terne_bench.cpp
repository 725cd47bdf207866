// Benchmarks of the work between the pauses: loading the tables, factoring a square, one leg
// of each factor count, the repeat test over a full pending list, and a stretch of legs.
// Run from a folder that holds the input files (bench/esegui.sh prepares one).
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
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
    ContestoRicerca ricerca{d.primi, d.tabelle, pendenti, file, console, nessuna};
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

// The two products of every split of a leg of 18 factors (2^9): over the stored combinations
// and the positions they lack.
void Prodotti(benchmark::State& stato) {
  Dati& d = dati();
  _myElement* fattori = nullptr;
  fattorizza(numero(512) * numero(512), d.primi, &fattori);
  const VistaFattori vista(fattori);
  for (auto _ : stato) {
    for (int k = 1; k <= 8; ++k) {
      for (_myElement* s = d.tabelle[18].combinations(numero(k)); s != nullptr; s = s->next) {
        numero prodottoS, prodottoC;
        std::uint32_t posizioni = 0;
        prodotto(&prodottoS, s, vista, posizioni);
        benchmark::DoNotOptimize(prodottoComplemento(&prodottoC, posizioni, vista));
      }
    }
  }
  rilasciaLista(fattori);
}
BENCHMARK(Prodotti)->Unit(benchmark::kMillisecond);

void Tratto(benchmark::State& stato) {
  Dati& d = dati();
  const Pausa nessuna = [] {};
  for (auto _ : stato) {
    TernePendenti pendenti;
    const int fd = memfd_create("risultati", MFD_CLOEXEC);
    FileRisultati file;
    file.usa(fd);
    std::ostringstream console;
    ContestoRicerca ricerca{d.primi, d.tabelle, pendenti, file, console, nessuna};
    cicloCateti(numero(1), numero(stato.range(0)), ricerca);
    close(fd);
  }
}
BENCHMARK(Tratto)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
