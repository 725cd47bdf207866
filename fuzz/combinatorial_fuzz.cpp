// Fuzz target: a table file of any content read by the stream extraction, then checked as the
// loading phase checks it, queried and written back. The check made while reading, with no
// node, must agree with the check of the nodes read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "combinatorial/caricamento.h"
#include "combinatorial/combinatorial.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t quanti) {
  const std::string testo(reinterpret_cast<const char*>(dati), quanti);
  std::istringstream file(testo);
  Combinatorial tabella;
  file >> tabella;
  const int n = 4 + static_cast<int>(quanti % 16);
  std::istringstream ancora(testo);
  if (tabellaCompleta(tabella, n) != tabellaCompletaDaLeggere(ancora, n)) std::abort();
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
