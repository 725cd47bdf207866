// terne-prepara: writes the input files of terne into a folder.
//
// "Combinations04.txt" … "Combinations19.txt" come from the table generator and writer, so they
// read back exactly as generated; "numeriPrimi.txt" holds every prime up to a limit and the
// first prime above it, ten to a line, TAB-separated.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "combinatorial/caricamento.h"
#include "combinatorial/combinatorial.h"
#include "primes/primi.h"
#include "sistema/ingresso.h"
#include "sistema/interruzione.h"
#include "sistema/motivi.h"
#include "sistema/nomi.h"
#include "sistema/opzioni.h"
#include "sistema/uscita.h"

namespace {

constexpr char kProgramma[] = "terne-prepara";

namespace fs = std::filesystem;

constexpr long kLimiteNormale = 65535;  // the largest leg terne accepts
constexpr long kLimiteMassimo = 100000000;
constexpr int kPrimiPerRiga = 10;

const char kUso[] =
    "Uso: terne-prepara [--forza] [--fino-a=N] [--] [CARTELLA]\n"
    "\n"
    "Scrive nella CARTELLA (quella corrente se non e' data; viene creata se manca)\n"
    "i file che terne legge all'avvio:\n"
    "  Combinations04.txt ... Combinations19.txt  le tabelle delle combinazioni;\n"
    "  numeriPrimi.txt  i numeri primi fino a N e il primo oltre N.\n"
    "Un file che esiste gia' e supera il controllo che terne fa all'avvio resta\n"
    "com'e', salvo con --forza; uno danneggiato, o una tabella di primi che non\n"
    "arriva oltre N, viene riscritto.\n"
    "\n"
    "Opzioni:\n"
    "  --forza       riscrive anche i file intatti che esistono gia'\n"
    "  --fino-a=N    i numeri primi arrivano fino a N (normalmente 65535, il cateto\n"
    "                piu' grande che terne accetta; al massimo 100000000)\n"
    "  -h, --help    mostra questo aiuto ed esce\n"
    "  --version     mostra la versione e la licenza ed esce\n"
    "  --            chiude le opzioni (per una CARTELLA che comincia con -)\n"
    "\n"
    "Codice di uscita: 0 se ogni file e' scritto o intatto; 1 se un file o la\n"
    "cartella non si possono scrivere; 2 per un uso sbagliato; 128 + il numero del\n"
    "segnale dopo un'interruzione.\n";

constexpr int kForza = 256;
constexpr int kFinoA = 257;
const Comando kComando{kProgramma, kUso, {{"forza", kForza, false}, {"fino-a", kFinoA, true}}};

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

// The checks terne makes at start: a table holds every combination of its count once, in
// order; the prime table holds the primes from 2 on, none missing or changed, past the limit.
// Only regular files pass, and nothing is waited on.
bool tabellaIntatta(const fs::path& percorso, int n) {
  Ingresso file(percorso.c_str(), true);
  return file.errore() == 0 && ::tabellaIntatta(file.flusso(), n);
}

bool primiIntatti(const fs::path& percorso, long limite) {
  _myElement* primi = new _myElement;
  // The whole file, not only up to the limit: a table is written for every run it may serve.
  const bool letti = caricaPrimi(percorso.c_str(), numero::massimo(), primi) >= 0;
  numero ultimo(0);
  for (_myElement* p = primi; p != nullptr; p = p->next) {
    if (ultimo < p->value) ultimo = p->value;
  }
  const bool intatti = letti && soloPrimi(primi) && ultimo > numero(static_cast<int>(limite));
  rilasciaLista(primi);
  return intatti;
}

// True when what stands at `percorso` keeps terne-prepara from writing there until it is moved
// away: anything but a regular file, and a symbolic link that could not be written through (a
// file written whose folder alone could not be synced is none).
bool daSpostare(const fs::path& percorso, int errore) {
  if (errore >= kSincronizzandoCartella) return false;
  struct stat stato;
  const bool collegamento = lstat(percorso.c_str(), &stato) == 0 && S_ISLNK(stato.st_mode);
  return collegamento || errore == kNonUnFile || errore == EISDIR || errore == kSocket;
}

// The files that could not be written because their folder takes no new file, told together at
// the end: a folder that refuses every write is one fault, not seventeen.
struct NonCreati {
  std::vector<std::string> nomi;
  int errore = 0;
};

// Writes one file, unless it exists and passes terne's check (without --forza). False, with a
// message, when it cannot be written (or with its name in `nonCreati`, where its folder takes
// no new file); false at a stop signal, which the caller tells.
bool preparaFile(const Opzioni& o, const std::string& nome,
                 const std::function<bool(const fs::path&)>& intatto,
                 const std::function<void(std::ostream&)>& scrivi, NonCreati& nonCreati) {
  const fs::path percorso = o.cartella / nome;
  const std::string mostrato = leggibile(percorso.string());
  std::error_code errore;
  RegoleScrittura regole{.soloFileRegolari = true};  // terne reads regular files only
  const bool esiste = fs::exists(percorso, errore);
  if (!o.forza && esiste) {
    const bool buono = intatto(percorso);
    if (interruzioneRichiesta()) return false;
    if (buono) {
      std::cout << mostrato << " esiste gia': lasciato com'e' (--forza lo riscrive)\n";
      return true;
    }
  }
  // One that its user could not read is written so that terne can read it.
  regole.permessiNuovi = esiste && faccessat(AT_FDCWD, percorso.c_str(), R_OK, AT_EACCESS) != 0;
  if (const int e = scriviFile(percorso.string(), scrivi, regole); e != 0) {
    if (e == EINTR && interruzioneRichiesta()) return false;
    if (e > kCreandoNellaCartella && e < kSincronizzandoCartella) {
      nonCreati.nomi.push_back(nome);
      nonCreati.errore = e - kCreandoNellaCartella;
      return false;
    }
    avvisa(kProgramma, scritturaNonRiuscita(percorso.string(), e));
    if (daSpostare(percorso, e))
      avvisa(kProgramma, "spostare o rimuovere " + mostrato + ", poi ripetere");
    return false;
  }
  if (o.forza || !esiste) {
    std::cout << "Scritto " << mostrato << "\n" << std::flush;
  } else {
    std::cout << "Riscritto " << mostrato << ": non superava il controllo di terne\n" << std::flush;
  }
  return true;
}

// Parses the arguments; returns -1 to go on, otherwise the exit code.
int leggiRichiesta(int argc, char** argv, Opzioni& o) {
  std::vector<std::string> operandi;
  const int esito = leggiOpzioni(
      argc, argv, kComando,
      [&o](int opzione, const char* argomento) -> std::string {
        long long limite = 0;
        if (opzione == kForza) o.forza = true;
        if (opzione != kFinoA) return "";
        const std::string perche = intero("--fino-a", argomento, 2, kLimiteMassimo, limite);
        o.limite = static_cast<long>(limite);
        return perche;
      },
      operandi);
  if (esito >= 0) return esito;
  if (operandi.size() > 1) {
    return usoSbagliato(kComando,
                        "una sola cartella, per favore: anche '" + leggibile(operandi[1]) + "'");
  }
  if (!operandi.empty()) o.cartella = operandi[0];
  return -1;
}

// One message for the files whose folder took no new file.
void avvisaNonCreati(const Opzioni& o, const NonCreati& nonCreati) {
  if (nonCreati.nomi.empty()) return;
  const std::size_t tutti = kUltimaTabella - kPrimaTabella + 2;  // the tables and the primes
  std::string quali;
  for (const std::string& nome : nonCreati.nomi) quali += (quali.empty() ? "" : ", ") + nome;
  quali = nonCreati.nomi.size() == tutti
              ? "nessuno dei " + std::to_string(tutti) + " file e' scritto"
              : "non scritti " + quali;
  avvisa(kProgramma, "nella cartella " + leggibile(o.cartella.string()) +
                         " non si puo' creare un file (" + motivoErrore(nonCreati.errore) +
                         "): " + quali);
}

// Writes every file it can, past any that it cannot; false when one could not be written (each
// told), or at a stop signal.
bool preparaTutto(const Opzioni& o) {
  bool tutti = true;
  NonCreati nonCreati;
  for (int n = kPrimaTabella; n <= kUltimaTabella && !interruzioneRichiesta(); ++n) {
    tutti = preparaFile(
                o, nomeTabella(n).str, [n](const fs::path& p) { return tabellaIntatta(p, n); },
                [n](std::ostream& os) { scriviTabella(os, n); }, nonCreati) &&
            tutti;
  }
  const long limite = o.limite;
  if (!interruzioneRichiesta()) {
    tutti =
        preparaFile(
            o, "numeriPrimi.txt", [limite](const fs::path& p) { return primiIntatti(p, limite); },
            [limite](std::ostream& os) { scriviPrimi(os, limite); }, nonCreati) &&
        tutti;
  }
  if (!interruzioneRichiesta()) avvisaNonCreati(o, nonCreati);
  return tutti && !interruzioneRichiesta();
}

}  // namespace

int main(int argc, char** argv) {
  apriDescrittoriStandard();
  std::signal(SIGXFSZ, SIG_IGN);  // a file beyond the size limit is a failed write, told as such
  // A report that no one reads any more (| head) does not stop the files half-way.
  std::signal(SIGPIPE, SIG_IGN);
  Opzioni o;
  const int esito = leggiRichiesta(argc, argv, o);
  if (esito >= 0) return esito;
  std::error_code errore;
  fs::create_directories(o.cartella, errore);
  if (errore) {
    avvisa(kProgramma, "impossibile creare la cartella " + leggibile(o.cartella.string()) + ": " +
                           motivoErrore(errore.value()));
    return 1;
  }
  GestoriInterruzione gestori;  // a stop removes the temporary file of the file in progress
  const bool scritti = preparaTutto(o);
  if (interruzioneRichiesta()) {
    avvisa(kProgramma, "interrotto; i file scritti sono interi, nessuno e' rimasto a meta'");
    return 128 + segnaleRicevuto();
  }
  if (!std::cout.flush()) {  // the files are as the lines would have said, but nobody read them
    avvisa(kProgramma, "impossibile scrivere sull'uscita standard");
    return 1;
  }
  return scritti ? 0 : 1;
}
