// terne-grafico: draws a results file of terne as an SVG scatter of the legs of its triples.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/grafico.h"

namespace {

namespace fs = std::filesystem;

const char kUso[] =
    "Uso: terne-grafico [--lato L] [--pixel P] [-o FILE.svg] FILE.txt\n"
    "\n"
    "Disegna il file dei risultati di terne (una terna a,b,c per riga) come un grafico SVG:\n"
    "ogni terna da' i punti (a, b) e (b, a) dei suoi cateti, nella finestra da 0 a L su\n"
    "entrambi gli assi. Il grafico va accanto al file, con lo stesso nome e .svg.\n"
    "\n"
    "Opzioni:\n"
    "  --lato L      la finestra va da 0 a L (normalmente N, dal nome triadiRettangoleM-N.txt;\n"
    "                per altri nomi il cateto piu' grande del file)\n"
    "  --pixel P     la finestra e' di P x P pixel (normalmente 1000, al massimo 10000);\n"
    "                i punti che cadono sullo stesso pixel sono disegnati una volta\n"
    "  -o FILE.svg   scrive il grafico in FILE.svg\n"
    "  --help        mostra questo aiuto ed esce\n"
    "  --version     mostra la versione ed esce\n";

struct Opzioni {
  std::uint64_t lato = 0;  // 0: from the name, or the largest leg
  int pixel = 1000;
  std::string ingresso;
  std::string uscita;
};

bool numero(const char* testo, std::uint64_t massimo, std::uint64_t& valore) {
  char* fine = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(testo, &fine, 10);
  if (errno != 0 || fine == testo || *fine != '\0' || testo[0] == '-' || v < 1 || v > massimo) {
    return false;
  }
  valore = v;
  return true;
}

int usoSbagliato(const std::string& perche) {
  std::cerr << "terne-grafico: " << perche << "\nProvare 'terne-grafico --help'.\n";
  return 2;
}

// Parses the arguments; returns -1 to go on, otherwise the exit code.
int leggiOpzioni(int argc, char** argv, Opzioni& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    std::uint64_t valore = 0;
    if (a == "--help") {
      std::cout << kUso;
      return 0;
    }
    if (a == "--version") {
      std::cout << "terne-grafico 1.0.0\n";
      return 0;
    }
    if (a == "--lato") {
      if (i + 1 >= argc || !numero(argv[++i], grafico::kLatoMassimo, valore)) {
        return usoSbagliato("--lato vuole un intero tra 1 e " +
                            std::to_string(grafico::kLatoMassimo));
      }
      o.lato = valore;
    } else if (a == "--pixel") {
      if (i + 1 >= argc || !numero(argv[++i], grafico::kPixelMassimo, valore)) {
        return usoSbagliato("--pixel vuole un intero tra 1 e " +
                            std::to_string(grafico::kPixelMassimo));
      }
      o.pixel = static_cast<int>(valore);
    } else if (a == "-o") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return usoSbagliato("-o vuole un nome di file");
      o.uscita = argv[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      return usoSbagliato("opzione sconosciuta: " + a);
    } else if (!o.ingresso.empty()) {
      return usoSbagliato("un solo file, per favore (anche " + a + ")");
    } else {
      o.ingresso = a;
    }
  }
  if (o.ingresso.empty()) return usoSbagliato("manca il file dei risultati");
  if (o.uscita.empty()) o.uscita = fs::path(o.ingresso).replace_extension(".svg").string();
  return -1;
}

// Writes through a temporary name, so that no half-written picture is ever left behind.
bool scrivi(const std::string& nome, const grafico::Griglia& g, const std::string& titolo,
            std::size_t terne) {
  const std::string provvisorio = nome + ".parziale";
  {
    std::ofstream file(provvisorio, std::ios::out | std::ios::trunc);
    if (file) grafico::scriviSvg(file, g, titolo, terne);
    file.close();
    if (!file) {
      std::cerr << "terne-grafico: impossibile scrivere " << nome << ": " << std::strerror(errno)
                << "\n";
      std::error_code ignorato;
      fs::remove(provvisorio, ignorato);
      return false;
    }
  }
  std::error_code errore;
  fs::rename(provvisorio, nome, errore);
  if (!errore) return true;
  std::cerr << "terne-grafico: impossibile scrivere " << nome << ": " << errore.message() << "\n";
  fs::remove(provvisorio, errore);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Opzioni o;
  const int esito = leggiOpzioni(argc, argv, o);
  if (esito >= 0) return esito;
  std::ifstream file(o.ingresso);
  if (!file) {
    std::cerr << "terne-grafico: impossibile leggere " << o.ingresso << ": " << std::strerror(errno)
              << "\n";
    return 1;
  }
  std::vector<grafico::Cateti> terne;
  std::string errore;
  if (!grafico::leggiTerne(file, terne, errore)) {
    std::cerr << "terne-grafico: " << o.ingresso << ", " << errore << "\n";
    return 1;
  }
  std::uint64_t lato = (o.lato != 0) ? o.lato : grafico::latoDalNome(o.ingresso);
  if (lato == 0) {  // a name of another form: the window takes in every point
    for (const auto& t : terne) lato = std::max(lato, t.maggiore);
  }
  lato = std::clamp<std::uint64_t>(lato, 1, grafico::kLatoMassimo);
  const grafico::Griglia g = grafico::disegna(terne, lato, o.pixel);
  const std::string titolo = fs::path(o.ingresso).filename().string();
  return scrivi(o.uscita, g, titolo, terne.size()) ? 0 : 1;
}
