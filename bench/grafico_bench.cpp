// Benchmark of terne-grafico's work on a file as large as the results of legs 1 … 65535
// (801,350 triples): reading it, inking the cells of the default 1000 × 1000 window and writing
// the SVG. The lines are made up, each with one leg up to 65535 as in a real run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "tools/grafico.h"

namespace {

std::string FileGrande() {
  std::string testo;
  std::uint64_t stato = 12345;
  for (int i = 0; i < 801350; ++i) {
    stato = stato * 6364136223846793005ULL + 1442695040888963407ULL;
    const std::uint64_t a = 1 + i % 65535;
    const std::uint64_t b = 3 + (stato >> 33) % (i % 3 == 0 ? 65535 : 2000000000);
    testo += std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(a + b) + "\n";
  }
  return testo;
}

void LeggiEDisegna(benchmark::State& stato) {
  const std::string file = FileGrande();
  std::size_t byte = 0;
  for (auto _ : stato) {
    std::istringstream in(file);
    std::vector<grafico::Terna> terne;
    std::string errore;
    grafico::leggiTerne(in, terne, errore);
    const grafico::Griglia g = grafico::disegna(terne, 65535, 1000);
    std::ostringstream svg;
    grafico::scriviSvg(svg, g, "triadiRettangole1-65535.txt", terne.size());
    byte = svg.str().size();
  }
  stato.counters["byte_svg"] = static_cast<double>(byte);
}
BENCHMARK(LeggiEDisegna)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
