// Fuzz target: terne-grafico's reader of a results file, fed arbitrary bytes, which are also
// the file name in the picture's title. The reader must end on any input, quote a bad line
// only in printable ASCII, and the picture must stay UTF-8 without control characters.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "tools/grafico.h"

namespace {

// True when every byte sequence of `testo` is a UTF-8 character other than a control one
// (line ends apart).
bool testoPulito(const std::string& testo) {
  for (std::size_t i = 0; i < testo.size();) {
    const unsigned char c = static_cast<unsigned char>(testo[i]);
    if (c < 0x80) {
      if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7f) return false;
      ++i;
      continue;
    }
    const std::size_t n = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 ? 2 : 0;
    if (n == 0 || i + n > testo.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(testo[i + k]) & 0xc0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t quanti) {
  const std::string testo(reinterpret_cast<const char*>(dati), quanti);
  std::istringstream in(testo);
  std::vector<grafico::Terna> terne;
  std::string errore;
  grafico::leggiTerne(in, terne, errore);
  for (const char c : errore) {
    if (c < 0x20 || c > 0x7e) __builtin_trap();
  }
  std::ostringstream svg;
  grafico::scriviSvg(svg, grafico::disegna(terne, 100, 7), testo, terne.size());
  if (!testoPulito(svg.str())) __builtin_trap();
  return 0;
}
