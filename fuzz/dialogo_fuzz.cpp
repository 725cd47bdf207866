// Fuzz target: the whole dialogue fed arbitrary standard input, with the pause off. The tables
// are written and loaded once; the prime table stops at 199, so any N above that ends the run
// early and every search stays short.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "combinatorial/caricamento.h"
#include "driver/esecuzione.h"

namespace {

Combinatorial tabelle[kTabelle];

void preparaCartella() {
  const auto cartella =
      std::filesystem::temp_directory_path() / ("terne_dialogo_fuzz_" + std::to_string(getpid()));
  std::filesystem::create_directories(cartella);
  std::filesystem::current_path(cartella);
  for (int n = kPrimaTabella; n <= kUltimaTabella; ++n) {
    Combinatorial t{numero(n)};
    t.generate();
    std::ofstream file(nomeTabella(n).str);
    file << t;
  }
  std::ofstream primi("numeriPrimi.txt");
  for (int p = 2; p < 200; ++p) {
    bool primo = true;
    for (int d = 2; d * d <= p; ++d) primo = primo && p % d != 0;
    if (primo) primi << p << '\t';
  }
  primi << "211\n";
  std::ostringstream ignorato;
  caricaTabelle(tabelle, ignorato);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  preparaCartella();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t quanti) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(dati), quanti));
  std::ostringstream out;
  std::ostringstream err;
  esegui(
      in, out, err, [] {}, &tabelle);
  return 0;
}
