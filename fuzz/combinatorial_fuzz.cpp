// Fuzz target: a table file of any content read by the stream extraction, then checked as the
// loading phase checks it, queried and written back.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "combinatorial/caricamento.h"
#include "combinatorial/combinatorial.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t quanti) {
  std::istringstream file(std::string(reinterpret_cast<const char*>(dati), quanti));
  Combinatorial tabella;
  file >> tabella;
  tabellaCompleta(tabella, 4 + static_cast<int>(quanti % 16));
  // Complements are as long as the count: query only tables of a plausible size.
  const int conteggio = tabella.n < numero(64) ? tabella.meta() : 0;
  for (int k = 0; k <= conteggio + 1; ++k) {
    for (_myElement* c = tabella.combinations(numero(k)); c != nullptr; c = c->next) {
      rilasciaCombinazione(tabella.complement(c));
    }
  }
  std::ostringstream scritta;
  scritta << tabella;
  return 0;
}
