// terne-grafico: draws a results file of terne as an SVG scatter of the legs of its triples.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "sistema/ingresso.h"
#include "sistema/interruzione.h"
#include "sistema/motivi.h"
#include "sistema/nomi.h"
#include "sistema/opzioni.h"
#include "sistema/uscita.h"
#include "tools/grafico.h"

namespace {

constexpr char kProgramma[] = "terne-grafico";

namespace fs = std::filesystem;

const char kUso[] =
    "Uso: terne-grafico [--lato=L] [--pixel=P] [-o FILE.svg] [-q] [--] FILE.txt\n"
    "\n"
    "Disegna il file dei risultati di terne (una terna a,b,c per riga) come grafico\n"
    "SVG: ogni terna da' i punti (a, b) e (b, a) dei suoi cateti, nella finestra da\n"
    "0 a L su entrambi gli assi, in blu le terne primitive e in arancio i loro\n"
    "multipli. Il grafico va accanto al file, con lo stesso nome e .svg; se FILE.txt\n"
    "e' -, legge l'ingresso standard e scrive il grafico sull'uscita standard.\n"
    "\n"
    "Opzioni:\n"
    "  --lato=L       la finestra va da 0 a L (normalmente N, dal nome\n"
    "                 triadiRettangoleM-N.txt; per altri nomi e per -, il cateto\n"
    "                 minore piu' grande delle terne, o il maggiore piu' piccolo\n"
    "                 se e' di piu')\n"
    "  --pixel=P      la finestra e' di P x P pixel (normalmente 1000, al massimo\n"
    "                 10000); i punti sullo stesso pixel sono disegnati una volta\n"
    "  -o, --output=FILE.svg\n"
    "                 scrive il grafico in FILE.svg (- per l'uscita standard)\n"
    "  -q, --silenzioso  nessun riepilogo a grafico scritto\n"
    "  -h, --help     mostra questo aiuto ed esce\n"
    "  --version      mostra la versione e la licenza ed esce\n"
    "  --             chiude le opzioni (per un FILE.txt che comincia con -)\n"
    "\n"
    "Codice di uscita: 0 se il grafico e' scritto; 1 se il file non si puo' leggere\n"
    "o e' malformato, o se il grafico non si puo' scrivere; 2 per un uso sbagliato;\n"
    "128 + il numero del segnale dopo un'interruzione.\n";

constexpr int kLato = 256;
constexpr int kPixel = 257;
const Comando kComando{kProgramma,
                       kUso,
                       {{"lato", kLato, true},
                        {"pixel", kPixel, true},
                        {"output", 'o', true},
                        {"silenzioso", 'q', false}}};

struct Opzioni {
  std::uint64_t lato = 0;  // 0: from the name, or from the triples
  int pixel = 1000;
  bool silenzioso = false;
  std::string ingresso;
  std::string uscita;
};

// Parses the arguments; returns -1 to go on, otherwise the exit code.
int leggiRichiesta(int argc, char** argv, Opzioni& o) {
  std::vector<std::string> operandi;
  const int esito = leggiOpzioni(
      argc, argv, kComando,
      [&o](int opzione, const char* argomento) -> std::string {
        if (opzione == 'q') {
          o.silenzioso = true;
          return "";
        }
        if (opzione == 'o') {
          o.uscita = argomento;
          return o.uscita.empty() ? "-o vuole un nome di file, non un nome vuoto" : "";
        }
        const bool lato = opzione == kLato;
        long long valore = 0;
        const std::string perche =
            intero(lato ? "--lato" : "--pixel", argomento, 1,
                   lato ? grafico::kLatoMassimo : grafico::kPixelMassimo, valore);
        if (lato) o.lato = static_cast<std::uint64_t>(valore);
        if (!lato) o.pixel = static_cast<int>(valore);
        return perche;
      },
      operandi);
  if (esito >= 0) return esito;
  if (operandi.empty()) return usoSbagliato(kComando, "manca il file dei risultati");
  if (operandi.size() > 1) {
    return usoSbagliato(kComando,
                        "un solo file, per favore: anche '" + leggibile(operandi[1]) + "'");
  }
  o.ingresso = operandi[0];
  if (o.uscita.empty() && o.ingresso == "-") o.uscita = o.ingresso;  // on standard output
  if (o.uscita.empty()) o.uscita = fs::path(o.ingresso).replace_extension(".svg").string();
  return -1;
}

// Reads the whole input, each triple handed to `prendi`. False after the message that says why
// it could not.
bool leggi(Ingresso& ingresso, const std::string& nome,
           const std::function<void(const grafico::Terna&)>& prendi) {
  std::string errore;
  if (!grafico::leggiTerne(ingresso.flusso(), prendi, errore) && ingresso.erroreLettura() == 0) {
    avvisa(kProgramma, nome + ", " + errore);
    return false;
  }
  if (const int e = ingresso.erroreLettura()) {
    avvisa(kProgramma, "impossibile leggere " + nome + ": " + motivoErrore(e));
    return false;
  }
  return true;
}

// What the picture is drawn from.
struct Disegno {
  std::optional<grafico::Griglia> griglia;  // none after a message
  long long terne = 0;
};

// The window from the options, the name or the triples, and every triple inked. A named regular
// file is read twice when its triples give the window, so that none is kept; any other input
// keeps them until the window is known.
Disegno disegna(const Opzioni& o, Ingresso& ingresso, const std::string& nome) {
  Disegno d;
  const bool standard = o.ingresso == "-";
  std::uint64_t lato = o.lato != 0 ? o.lato : standard ? 0 : grafico::latoDalNome(o.ingresso);
  const bool dalleTerne = lato == 0;
  const bool rileggibile = !standard && S_ISREG(ingresso.stato().st_mode);
  std::vector<grafico::Terna> tenute;
  if (dalleTerne) {
    grafico::LatoDalleTerne finestra;
    const auto prendi = [&](const grafico::Terna& t) {
      finestra.aggiungi(t);
      ++d.terne;
      if (!rileggibile) tenute.push_back(t);
    };
    if (!leggi(ingresso, nome, prendi)) return d;
    lato = std::clamp<std::uint64_t>(finestra.lato(), 1, grafico::kLatoMassimo);
  }
  grafico::Griglia g(lato, o.pixel);
  if (dalleTerne && !rileggibile) {
    for (const grafico::Terna& t : tenute) g.aggiungi(t);
  } else {
    if (dalleTerne) {  // the second reading, from the start
      ingresso.flusso().clear();
      if (!ingresso.flusso().seekg(0)) {
        avvisa(kProgramma, "impossibile leggere " + nome + " di nuovo dall'inizio");
        return d;
      }
      d.terne = 0;
    }
    const auto prendi = [&](const grafico::Terna& t) {
      g.aggiungi(t);
      ++d.terne;
    };
    if (!leggi(ingresso, nome, prendi)) return d;
  }
  g.concludi();
  d.griglia.emplace(std::move(g));
  return d;
}

// True when the picture would go to the very file of standard error, a terminal apart: nothing
// else may be written there.
bool sulloStandardError(const std::string& uscita) {
  Uscita u;
  struct stat errori;
  if (trovaUscita(uscita, u) != 0 || fstat(STDERR_FILENO, &errori) != 0 ||
      isatty(STDERR_FILENO) != 0) {
    return false;
  }
  return (u.tipo != Uscita::Tipo::kFile || u.esiste) && stessoFile(u.stato, errori);
}

int disegnaEScrivi(const Opzioni& o) {
  const bool standard = o.ingresso == "-";
  const auto ingresso = standard ? std::make_unique<Ingresso>(STDIN_FILENO)
                                 : std::make_unique<Ingresso>(o.ingresso.c_str(), false);
  const std::string nome = nomeMostrato(o.ingresso, true);
  if (const int e = ingresso->errore()) {
    avvisa(kProgramma, "impossibile leggere " + nome + ": " + motivoErrore(e));
    return 1;
  }
  const Disegno d = disegna(o, *ingresso, nome);
  if (!d.griglia) return 1;
  // A writer that wrote nothing, through a FIFO or a pipe: no picture, least of all one over an
  // earlier picture.
  if (d.terne == 0 && S_ISFIFO(ingresso->stato().st_mode)) {
    avvisa(kProgramma, "da " + nome + " non e' arrivata nessuna terna: nessun grafico scritto");
    return 1;
  }
  const grafico::Griglia& g = *d.griglia;
  const std::string titolo = standard ? nome : fs::path(o.ingresso).filename().string();
  GestoriInterruzione gestori;  // a stop removes the temporary file before the program ends
  const int e = scriviFile(o.uscita,
                           [&](std::ostream& os) {
                             grafico::scriviSvg(os, g, titolo, static_cast<std::size_t>(d.terne));
                           },
                           {.daLeggere = &ingresso->stato()});
  if (e == 0) {
    if (!o.silenzioso) {
      avvisa(kProgramma, nomeMostrato(o.uscita, false) + ": " + quanteTerne(d.terne) + ", " +
                             conMigliaia(g.punti) + (g.punti == 1 ? " punto" : " punti"));
    }
    return 0;
  }
  if (e == EINTR && interruzioneRichiesta()) {
    avvisa(kProgramma, "interrotto, nessun grafico scritto");
    return 128 + segnaleRicevuto();
  }
  avvisa(kProgramma, scritturaNonRiuscita(o.uscita, e));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  apriDescrittoriStandard();
  std::signal(SIGXFSZ, SIG_IGN);  // a picture beyond the size limit is a failed write, told so
  Opzioni o;
  const int esito = leggiRichiesta(argc, argv, o);
  if (esito >= 0) return esito;
  // Where the picture goes to standard error's file, the exit code alone tells how it went.
  if (sulloStandardError(o.uscita)) std::cerr.setstate(std::ios::badbit);
  try {
    return disegnaEScrivi(o);
  } catch (const std::bad_alloc&) {
    avvisa(kProgramma, "memoria insufficiente per il grafico: nessun grafico scritto");
    return 1;
  }
}
