// Fuzz target: numbers read from any text by the stream extraction and the text constructor,
// then put through the arithmetic that the search uses.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "numero/numero.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t quanti) {
  const std::string testo(reinterpret_cast<const char*>(dati), quanti);
  std::istringstream is(testo);
  numero precedente(7);
  for (int letti = 0; is && letti < 64; ++letti) {
    numero x;
    is >> x;
    numero resto;
    (x * precedente).intero();
    x.dividi(precedente, resto);
    numero::rilasciaTesto(x.testo());
    std::ostringstream os;
    os << x - precedente << x.cifre();
    precedente = x;
  }
  const numero daTesto(testo.c_str());
  numero resto;
  daTesto.dividi(numero(0), resto);
  daTesto.radice();
  return 0;
}
