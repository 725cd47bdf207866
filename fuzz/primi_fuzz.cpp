// Fuzz target: a prime-table file of any content loaded with a limit taken from the input, and
// each of its first lines split into fields.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "numero/myelement.h"
#include "primes/primi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t quanti) {
  static const std::string nome = "/tmp/terne_primi_fuzz_" + std::to_string(getpid()) + ".txt";
  const std::string contenuto(reinterpret_cast<const char*>(dati), quanti);
  std::ofstream(nome, std::ios::binary | std::ios::trunc) << contenuto;
  const int limite = quanti > 0 ? 1 + (dati[0] * 257) % 70000 : 2;
  _myElement* primo = new _myElement;
  caricaPrimi(nome.c_str(), numero(limite), primo);
  rilasciaLista(primo);
  numero campo;
  for (int k = 0; k < 4; ++k) leggiCampo(contenuto.c_str(), &campo, k);
  return 0;
}
