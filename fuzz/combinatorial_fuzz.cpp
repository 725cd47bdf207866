// Fuzz target: a table file of any content read by the stream extraction, then checked as the
// loading phase checks it, queried and written back. The check made while reading, with no
// node, must agree with the check of the nodes read and of what follows them; a text found equal
// to the generated one must be complete.
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
  const bool coda =
      file.rdbuf()->in_avail() <= 0 ||
      testo.find_first_not_of(" \r\n", static_cast<std::size_t>(file.tellg())) == std::string::npos;
  if ((tabellaCompleta(tabella, n) && coda) != tabellaCompletaDaLeggere(ancora, n)) std::abort();
  std::istringstream generato(testo);
  std::istringstream intatta(testo);
  if (ugualeAlGenerato(generato, n) && !tabellaIntatta(intatta, n)) std::abort();
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
