// terne-prepara: writes the input files of terne into a folder.
//
// "Combinations04.txt" … "Combinations19.txt" come from the table generator and writer, so they
// read back exactly as generated; "numeriPrimi.txt" holds every prime up to a limit and the
// first prime above it, ten to a line, TAB-separated.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "combinatorial/caricamento.h"
#include "combinatorial/combinatorial.h"

namespace {

namespace fs = std::filesystem;

constexpr long kLimiteNormale = 65535;  // the largest leg terne accepts
constexpr long kLimiteMassimo = 100000000;
constexpr int kPrimiPerRiga = 10;

const char kUso[] =
    "Uso: terne-prepara [--forza] [--fino-a N] [CARTELLA]\n"
    "\n"
    "Scrive nella CARTELLA (quella corrente se non e' data; viene creata se manca) i file\n"
    "che terne legge all'avvio:\n"
    "  Combinations04.txt ... Combinations19.txt  le tabelle delle combinazioni;\n"
    "  numeriPrimi.txt                            i numeri primi fino a N e il primo oltre.\n"
    "Un file che esiste gia' resta com'e', salvo con --forza.\n"
    "\n"
    "Opzioni:\n"
    "  --forza       riscrive anche i file che esistono gia'\n"
    "  --fino-a N    i numeri primi arrivano fino a N (normalmente 65535, il cateto\n"
    "                piu' grande che terne accetta; al massimo 100000000)\n"
    "  --help        mostra questo aiuto ed esce\n"
    "  --version     mostra la versione ed esce\n";

struct Opzioni {
  bool forza = false;
  long limite = kLimiteNormale;
  fs::path cartella = ".";
};

// Every prime up to limite and the first prime above it.
std::vector<long> primiFinoA(long limite) {
  const long fine = 2 * limite + 16;  // a prime always lies between limite and 2 * limite
  std::vector<bool> composto(fine + 1, false);
  std::vector<long> primi;
  for (long i = 2; i <= fine; ++i) {
    if (composto[i]) continue;
    primi.push_back(i);
    if (i > limite) break;
    for (long m = i * i; m <= fine; m += i) composto[m] = true;
  }
  return primi;
}

void scriviPrimi(std::ostream& os, long limite) {
  const std::vector<long> primi = primiFinoA(limite);
  for (size_t i = 0; i < primi.size(); ++i) {
    os << primi[i];
    const bool fineRiga = (i + 1) % kPrimiPerRiga == 0 || i + 1 == primi.size();
    os << (fineRiga ? '\n' : '\t');
  }
}

void scriviTabella(std::ostream& os, int n) {
  Combinatorial tabella{numero(n)};
  tabella.generate();
  os << tabella;
}

// Writes one file through a temporary name, so that an interrupted run never leaves a
// half-written file under the real name. False, with a message, when it cannot be written.
template <typename Scrittore>
bool scriviFile(const Opzioni& o, const std::string& nome, Scrittore scrivi) {
  const fs::path percorso = o.cartella / nome;
  std::error_code errore;
  if (!o.forza && fs::exists(percorso, errore)) {
    std::cout << percorso.string() << " esiste gia': lasciato com'e' (--forza lo riscrive)\n";
    return true;
  }
  const fs::path provvisorio = o.cartella / (nome + ".parziale");
  {
    std::ofstream file(provvisorio, std::ios::out | std::ios::trunc);
    if (file) scrivi(file);
    file.close();
    if (!file) {
      std::cerr << "terne-prepara: impossibile scrivere " << percorso.string() << ": "
                << std::strerror(errno) << "\n";
      fs::remove(provvisorio, errore);
      return false;
    }
  }
  fs::rename(provvisorio, percorso, errore);
  if (errore) {
    std::cerr << "terne-prepara: impossibile scrivere " << percorso.string() << ": "
              << errore.message() << "\n";
    fs::remove(provvisorio, errore);
    return false;
  }
  std::cout << "Scritto " << percorso.string() << "\n" << std::flush;
  return true;
}

bool leggiLimite(const char* testo, long& limite) {
  char* fine = nullptr;
  errno = 0;
  const long valore = std::strtol(testo, &fine, 10);
  if (errno != 0 || fine == testo || *fine != '\0' || valore < 2 || valore > kLimiteMassimo) {
    return false;
  }
  limite = valore;
  return true;
}

// Parses the arguments; returns -1 to go on, otherwise the exit code.
int leggiOpzioni(int argc, char** argv, Opzioni& o) {
  bool cartellaData = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help") {
      std::cout << kUso;
      return 0;
    }
    if (a == "--version") {
      std::cout << "terne-prepara 1.0.0\n";
      return 0;
    }
    if (a == "--forza") {
      o.forza = true;
    } else if (a == "--fino-a") {
      if (i + 1 >= argc || !leggiLimite(argv[++i], o.limite)) {
        std::cerr << "terne-prepara: --fino-a vuole un numero intero tra 2 e " << kLimiteMassimo
                  << "\n";
        return 2;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      std::cerr << "terne-prepara: opzione sconosciuta: " << a << "\n"
                << "Provare 'terne-prepara --help'.\n";
      return 2;
    } else if (cartellaData) {
      std::cerr << "terne-prepara: una sola cartella, per favore (anche " << a << ")\n";
      return 2;
    } else {
      o.cartella = a;
      cartellaData = true;
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  Opzioni o;
  const int esito = leggiOpzioni(argc, argv, o);
  if (esito >= 0) return esito;
  std::error_code errore;
  fs::create_directories(o.cartella, errore);
  if (errore) {
    std::cerr << "terne-prepara: impossibile creare la cartella " << o.cartella.string() << ": "
              << errore.message() << "\n";
    return 1;
  }
  for (int n = kPrimaTabella; n <= kUltimaTabella; ++n) {
    if (!scriviFile(o, nomeTabella(n).str, [n](std::ostream& os) { scriviTabella(os, n); })) {
      return 1;
    }
  }
  const long limite = o.limite;
  if (!scriviFile(o, "numeriPrimi.txt", [limite](std::ostream& os) { scriviPrimi(os, limite); })) {
    return 1;
  }
  return 0;
}
