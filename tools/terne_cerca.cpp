// terne-cerca: the search of terne as one command, for scripts: the range as arguments, no
// dialogue, no pause, the same results file; a progress line while it works.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "combinatorial/caricamento.h"
#include "divisori/divisori.h"
#include "driver/ricerca.h"
#include "primes/primi.h"
#include "sistema/interruzione.h"
#include "sistema/motivi.h"
#include "sistema/nomi.h"
#include "sistema/opzioni.h"
#include "sistema/uscita.h"
#include "tools/tutte.h"

namespace {

constexpr char kProgramma[] = "terne-cerca";
constexpr int kGuasto = 1;  // an input file missing or damaged, or results not written
constexpr int kLettoreAndato = 128 + SIGPIPE;  // the reader of a pipe went away, as filters end
constexpr char kMemoriaTabelle[] =
    "memoria insufficiente per le tabelle delle combinazioni (richiedono circa 60 MB)";

const char kUso[] =
    "Uso: terne-cerca [-C CARTELLA] [-o FILE] [-q] [-t] [--] M N\n"
    "\n"
    "Cerca le terne pitagoriche con un cateto da M a N (da 1 a 65535, M <= N), come\n"
    "le cerca terne ma senza domande e senza pause, e le scrive nello stesso file,\n"
    "triadiRettangoleM-N.txt. Legge numeriPrimi.txt e le tabelle Combinations04.txt\n"
    "... Combinations19.txt, che terne-prepara scrive.\n"
    "\n"
    "Con --tutte cerca invece tutte le terne con un cateto da M a N (da 1 a\n"
    "4294967295), ciascuna una volta sola, e le scrive in tutteLeTerneM-N.txt;\n"
    "legge soltanto numeriPrimi.txt.\n"
    "\n"
    "Opzioni:\n"
    "  -C, --cartella=CARTELLA  lavora nella CARTELLA: i file di ingresso, il file\n"
    "                           dei risultati e un FILE relativo stanno li'\n"
    "  -o, --output=FILE        scrive i risultati in FILE; - e' l'uscita standard\n"
    "  -q, --silenzioso         nessuna riga di avanzamento, nessun riepilogo e\n"
    "                           nessuna notizia delle copie dei file precedenti\n"
    "  -t, --tutte              tutte le terne, non soltanto quelle che trova terne\n"
    "  -h, --help               mostra questo aiuto ed esce\n"
    "  --version                mostra la versione e la licenza ed esce\n"
    "  --                       chiude le opzioni\n"
    "\n"
    "Codice di uscita: 0 se il file contiene tutte le terne; 1 se un file di\n"
    "ingresso manca, non si puo' leggere o e' danneggiato, se i risultati non si\n"
    "sono potuti scrivere o se la memoria non e' bastata; 2 per un uso sbagliato;\n"
    "141 se chi leggeva da una pipe se n'e' andato; 128 + il numero del segnale\n"
    "dopo un'interruzione (130 per Ctrl-C).\n";

const Comando kComando{kProgramma,
                       kUso,
                       {{"cartella", 'C', true},
                        {"output", 'o', true},
                        {"silenzioso", 'q', false},
                        {"tutte", 't', false}},
                       true};

struct Richiesta {
  std::string cartella;
  std::string uscita;  // empty: the file named after the range; "-": standard output
  bool silenzioso = false;
  bool tutte = false;  // every triple, not terne's own
  long long m = 0;
  long long n = 0;
};

// M and N from the operands; empty, or what is wrong with them.
std::string estremi(const std::vector<std::string>& operandi, Richiesta& r) {
  if (operandi.size() < 2) return operandi.empty() ? "mancano M e N" : "manca N";
  if (operandi.size() > 2) return "argomento in piu': '" + leggibile(operandi[2]) + "'";
  long long m = 0;
  long long n = 0;
  const long long massimo = r.tutte ? static_cast<long long>(kCatetoMassimoTutte) : kCatetoMassimo;
  std::string perche = intero("M", operandi[0].c_str(), 1, massimo, m);
  if (perche.empty()) perche = intero("N", operandi[1].c_str(), 1, massimo, n);
  if (perche.empty() && m > n) {
    perche = "M (" + operandi[0] + ") e' maggiore di N (" + operandi[1] + ")";
  }
  r.m = m;
  r.n = n;
  return perche;
}

int leggiRichiesta(int argc, char** argv, Richiesta& r) {
  std::vector<std::string> operandi;
  const int esito = leggiOpzioni(
      argc, argv, kComando,
      [&r](int opzione, const char* argomento) -> std::string {
        if (opzione == 'o' && *argomento == '\0') {
          return "-o vuole un nome di file (o - per l'uscita standard), non un nome vuoto";
        }
        if (opzione == 'C' && *argomento == '\0') {
          return "-C vuole il nome di una cartella, non un nome vuoto";
        }
        if (opzione == 'C') r.cartella = argomento;
        if (opzione == 'o') r.uscita = argomento;
        if (opzione == 'q') r.silenzioso = true;
        if (opzione == 't') r.tutte = true;
        return "";
      },
      operandi);
  if (esito >= 0) return esito;
  const std::string perche = estremi(operandi, r);
  return perche.empty() ? -1 : usoSbagliato(kComando, perche);
}

// " CARTELLA" for the commands the messages suggest, quoted for the shell; nothing for the
// current folder.
std::string inCartella(const Richiesta& r) {
  if (r.cartella.empty()) return "";
  return " " + perShell(r.cartella[0] == '-' ? "./" + r.cartella : r.cartella);
}

// How to mend an input file that is missing, unreadable or damaged: prepare it (again), once
// what stands at its name is moved away where terne-prepara would not replace it; the command
// follows.
std::string rimedio(int motivo, const std::string& prepararlo) {
  const std::string comando = prepararlo + " con:";
  if (daTogliere(motivo)) return ". Spostarlo o rimuoverlo, poi " + comando;
  return ". P" + comando.substr(1);
}

// The prime that the table must reach: past N for terne's search, which divides by the primes up
// to N; up to the square root of N for every triple, which sieves with those alone.
numero primoNecessario(const Richiesta& r) {
  return numero(
      static_cast<int>(r.tutte ? radiceIntera(static_cast<std::uint64_t>(r.n)) : r.n + 1));
}

// What is wrong with the prime table, empty when nothing is.
std::string guastoPrimi(const Richiesta& r, _myElement* primi) {
  int motivo = 0;
  int esito = 0;
  try {
    esito = caricaPrimi("numeriPrimi.txt", primoNecessario(r), primi, &motivo);
  } catch (const std::bad_alloc&) {
    return "memoria insufficiente per leggere numeriPrimi.txt";
  }
  if (esito == -1) return "numeriPrimi.txt manca" + rimedio(0, "prepararlo");
  if (esito == -2) {
    return "numeriPrimi.txt non si puo' leggere (" + motivoErrore(motivo) + ")" +
           rimedio(motivo, "prepararlo di nuovo");
  }
  if (!soloPrimi(primi)) {
    return "numeriPrimi.txt e' danneggiato: non contiene i numeri primi in ordine" +
           rimedio(0, "prepararlo di nuovo");
  }
  if (esito == 0) {
    return "numeriPrimi.txt non ha abbastanza numeri primi per " + conMigliaia(r.n) +
           rimedio(0, "prepararlo di nuovo");
  }
  return "";
}

// What is wrong with the sixteen tables, empty when nothing is.
std::string guastoTabelle(Combinatorial (&tabelle)[kTabelle]) {
  int motivo = 0;
  int guasta = 0;
  try {
    std::ostream nessuno(nullptr);
    guasta = caricaTabelle(tabelle, nessuno, &motivo);
  } catch (const std::bad_alloc&) {
    return kMemoriaTabelle;
  }
  if (guasta == 0) return "";
  const std::string nome = nomeTabella(guasta).str;
  if (motivo == 0) return nome + " manca o e' danneggiato" + rimedio(0, "prepararlo di nuovo");
  return nome + " non si puo' leggere (" + motivoErrore(motivo) + ")" +
         rimedio(motivo, "prepararlo di nuovo");
}

// The prime table and, for terne's search, the sixteen tables, checked as terne checks them.
// False after a message that names the file, why, and the command that prepares it.
bool caricaIngressi(const Richiesta& r, _myElement* primi, Combinatorial (&tabelle)[kTabelle]) {
  std::string guasto = guastoPrimi(r, primi);
  if (guasto.empty() && !r.tutte) guasto = guastoTabelle(tabelle);
  if (guasto.empty()) return true;
  if (guasto.ends_with(" con:")) {  // a file to prepare, with the command that does it
    avvisa(kProgramma, guasto, comandoPrepara() + inCartella(r));
  } else {
    avvisa(kProgramma, guasto);
  }
  return false;
}

// True when the file `stato` describes is one of the input files, as their names lead now.
bool eUnIngresso(const struct stat& stato) {
  struct stat ingresso;
  if (stat("numeriPrimi.txt", &ingresso) == 0 && stessoFile(ingresso, stato)) return true;
  for (int n = kPrimaTabella; n <= kUltimaTabella; ++n) {
    if (stat(nomeTabella(n).str, &ingresso) == 0 && stessoFile(ingresso, stato)) return true;
  }
  return false;
}

using Orologio = std::chrono::steady_clock;

// "m:ss", or "h:mm:ss" from an hour on.
std::string durata(double secondi) {
  const auto s = static_cast<long long>(secondi);
  char testo[64];
  if (s < 3600) {
    std::snprintf(testo, sizeof testo, "%lld:%02lld", s / 60, s % 60);
  } else {
    std::snprintf(testo, sizeof testo, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  }
  return testo;
}

// The columns of the terminal on standard error, 80 when it does not tell.
int colonne() {
  winsize finestra = {};
  return ioctl(STDERR_FILENO, TIOCGWINSZ, &finestra) == 0 && finestra.ws_col > 0 ? finestra.ws_col
                                                                                 : 80;
}

// The progress line on a terminal, redrawn in place at most ten times a second, always shorter
// than the terminal is wide so that it never wraps.
class Avanzamento {
 public:
  // `terne` tells how many triples the search has found so far.
  Avanzamento(const Richiesta& r, std::function<long long()> terne)
      : m_(r.m), totale_(r.n - r.m + 1), terne_(std::move(terne)) {}
  void dopo(long long cateto) {
    const auto adesso = Orologio::now();
    if (adesso - ultimo_ < std::chrono::milliseconds(100) && cateto != m_ + totale_ - 1) return;
    ultimo_ = adesso;
    const long long fatti = cateto - m_ + 1;
    // In seconds, as a double: a range of 10^9 legs times hours in nanoseconds would overflow.
    const double trascorso = std::chrono::duration<double>(adesso - inizio_).count();
    const std::string parte = conMigliaia(fatti) + "/" + conMigliaia(totale_) + " (" +
                              conUnDecimale(100.0 * fatti / totale_) + " %)";
    const std::string terne = ", " + quanteTerne(terne_());
    const std::string tempo = ", " + durata(trascorso) + " trascorsi";
    std::string stima;
    // No estimate before a second has gone by (too few legs to tell), nor once nothing is left.
    if (trascorso >= 1 && fatti < totale_) {
      stima =
          ", circa " +
          durata(trascorso * static_cast<double>(totale_ - fatti) / static_cast<double>(fatti)) +
          " alla fine";
    }
    // The longest form that fits: with the word "cateti", without it, then (on a long run) the
    // estimate kept before the time gone by and the triples, or the counts alone.
    const std::string forme[] = {
        "cateti " + parte + terne + tempo + stima, parte + terne + tempo + stima,
        stima.empty() ? "" : parte + terne + stima, stima.empty() ? "" : parte + stima};
    const std::size_t spazio = std::max(colonne() - 1, 0);
    std::string riga = parte + " " + terne.substr(2);
    for (const std::string& forma : forme) {
      if (!forma.empty() && forma.size() <= spazio) {
        riga = forma;
        break;
      }
    }
    riga.resize(std::min(riga.size(), spazio));
    // Blanks over what a longer line drew before.
    std::cerr << '\r' << riga << std::string(std::max(larghezza_, riga.size()) - riga.size(), ' ')
              << std::flush;
    larghezza_ = std::min(std::max(larghezza_, riga.size()), spazio);
  }
  // Clears the line, so that what follows is written in its place.
  void chiudi() {
    if (larghezza_ > 0) std::cerr << '\r' << std::string(larghezza_, ' ') << '\r';
  }

 private:
  const long long m_;
  const long long totale_;
  const std::function<long long()> terne_;
  const Orologio::time_point inizio_ = Orologio::now();
  Orologio::time_point ultimo_ = inizio_ - std::chrono::seconds(1);
  std::size_t larghezza_ = 0;  // of the longest line drawn
};

// Opens the file named after the range, or another one, for a new run. False after a message.
bool apriPerNome(const std::string& nome, FileRisultati& file, bool silenzioso) {
  using Apertura = FileRisultati::Apertura;
  // Nothing is written on standard output, nor read from standard input: the file either holds
  // may be the results file. Standard error's would mix the messages into the records.
  const Apertura esito = file.apri(nome.c_str(), 1u << STDERR_FILENO);
  const int errore = errno;
  if (esito != Apertura::kNonConservato && !file.copia().empty() && !silenzioso) {
    avvisa(kProgramma, "il file " + leggibile(nome) + " c'era gia': conservato come " +
                           leggibile(file.copia()));
  }
  if (esito == Apertura::kAperto) return true;
  const std::string perche =
      esito == Apertura::kOccupato ? "un'altra esecuzione lo sta scrivendo" : motivoErrore(errore);
  if (esito == Apertura::kNonConservato) {
    avvisa(kProgramma, "il file " + leggibile(nome) + " c'era gia' e non si puo' conservare come " +
                           leggibile(file.copia()) + ": " + perche);
  } else {
    avvisa(kProgramma, "impossibile scrivere " + leggibile(nome) + ": " + perche);
  }
  return false;
}

// Where the records go, once opened.
struct Destinazione {
  std::string nome;        // as the command line or the range names it
  bool terminale = false;  // a terminal, which the progress line would mix into
  // The very file of standard error, a terminal apart (a file, a pipe): nothing else is said
  // there, so that the records stay records.
  bool errori = false;
};

// Opens the output the command line names (see sistema/uscita.h). False after a message.
bool apriUscita(const Richiesta& r, FileRisultati& file, Destinazione& d) {
  if (r.uscita.empty()) {
    d.nome =
        r.tutte
            ? "tutteLeTerne" + std::to_string(r.m) + "-" + std::to_string(r.n) + ".txt"
            : nomeFileRisultati(numero(static_cast<int>(r.m)), numero(static_cast<int>(r.n))).str;
    return apriPerNome(d.nome, file, r.silenzioso);
  }
  Uscita u;
  int errore = trovaUscita(r.uscita, u);
  if (errore == 0 && (u.tipo != Uscita::Tipo::kFile || u.esiste) && eUnIngresso(u.stato)) {
    errore = kStessoFile;
  }
  if (errore == 0 && u.tipo == Uscita::Tipo::kFile) {
    d.nome = u.percorso;
    return apriPerNome(d.nome, file, r.silenzioso);
  }
  d.nome = r.uscita;
  if (errore == 0 && u.tipo == Uscita::Tipo::kDescrittore) {
    file.usa(u.fd);
    d.terminale = isatty(u.fd) != 0;
    struct stat errori;
    d.errori = !d.terminale && fstat(STDERR_FILENO, &errori) == 0 && stessoFile(errori, u.stato);
    return true;
  }
  if (errore == 0) {
    const int fd = open(u.percorso.c_str(), O_WRONLY | O_CLOEXEC);  // a FIFO waits for its reader
    if (fd >= 0) {
      file.usaProprio(fd);
      d.terminale = isatty(fd) != 0;
      return true;
    }
    errore = errno;
  }
  avvisa(kProgramma, scritturaNonRiuscita(r.uscita, errore));
  return false;
}

// Tells why the run ended early, what the output holds and, when it could not be cut back to
// that, what follows it.
void avvisaFine(const std::string& perche, const std::string& nome, const Richiesta& r,
                const FineRicerca& fine) {
  avvisa(kProgramma,
         perche + ": " +
             descriviContenuto(nome.c_str(), numero::da64(static_cast<std::uint64_t>(r.m)),
                               fine.salvato) +
             ".");
  if (fine.erroreTaglio != 0) avvisa(kProgramma, codaNonTagliata(fine.erroreTaglio) + ".");
}

// What the run ended with, told on standard error unless all went well; returns the exit code.
int concludi(const Richiesta& r, const std::string& nome, const FineRicerca& fine) {
  using Causa = FineRicerca::Causa;
  if (fine.errore == EPIPE) return kLettoreAndato;
  if (fine.posto == FileRisultati::Posto::kCancellato) {
    avvisa(kProgramma,
           "il file " + nome +
               " e' stato cancellato durante la ricerca: le terne trovate sono andate perse con il "
               "file.");
    return kGuasto;
  }
  const bool guasto = fine.errore != 0 && fine.errore != EINTR;
  if (guasto || fine.causa == Causa::kMemoria) {
    avvisaFine(guasto ? "scrittura non riuscita (" + motivoErrore(fine.errore) + ")"
                      : std::string(kMemoriaRicerca),
               nome, r, fine);
    return kGuasto;
  }
  if (fine.causa == Causa::kSegnale) {
    avvisaFine("ricerca interrotta dopo il cateto " + std::to_string(fine.ultimo.a64()), nome, r,
               fine);
    return 128 + fine.segnale;
  }
  return 0;
}

// The summary line of a run that wrote every triple.
void riepiloga(const Richiesta& r, const std::string& nome, long long terne,
               Orologio::duration tempo) {
  if (r.silenzioso) return;
  avvisa(kProgramma, nome + ": " + quanteTerne(terne) + " in " +
                         conUnDecimale(std::chrono::duration<double>(tempo).count()) + " s");
}

// One run's search: what it writes to, and what it found.
struct Lavoro {
  const Richiesta& r;
  FileRisultati& file;
  bool avanzamento = false;  // the progress line is drawn
  long long terne = 0;       // the triples written, once the search ended
};

// terne's search of the legs M … N, with the tables that caricaIngressi checked.
FineRicerca cercaComeTerne(Lavoro& l, _myElement* primi, Combinatorial (&tabelle)[kTabelle]) {
  Suddivisioni suddivisioni(tabelle);
  TernePendenti pendenti;
  const Pausa nessuna = [] {};
  ContestoRicerca ricerca{primi, suddivisioni, pendenti, l.file, nullptr, nessuna};
  ricerca.primiInteri = true;  // caricaIngressi checked it
  Avanzamento avanzamento(l.r, [&pendenti] { return pendenti.registrate(); });
  if (l.avanzamento) {
    ricerca.dopoCateto = [&avanzamento](const numero& a) { avanzamento.dopo(a.intero()); };
  }
  const FineRicerca fine =
      cercaEChiudi(numero(static_cast<int>(l.r.m)), numero(static_cast<int>(l.r.n)), ricerca);
  avanzamento.chiudi();
  l.terne = pendenti.registrate();
  return fine;
}

// Every triple of the legs M … N, with the primes that caricaIngressi checked.
FineRicerca cercaTutte(Lavoro& l, const _myElement* primi) {
  std::vector<std::uint32_t> tabella;  // the chain's primes as an array, for the sieve
  for (const _myElement* p = primi; p != nullptr; p = p->next) {
    if (p->value.intero() >= 2) tabella.push_back(static_cast<std::uint32_t>(p->value.intero()));
  }
  Setaccio setaccio(std::move(tabella));
  ContestoTutte ricerca{setaccio, l.file};
  Avanzamento avanzamento(l.r, [&ricerca] { return ricerca.terne; });
  if (l.avanzamento) {
    ricerca.dopoCateto = [&avanzamento](std::uint64_t a) {
      avanzamento.dopo(static_cast<long long>(a));
    };
  }
  const FineRicerca fine = cercaTutteEChiudi(static_cast<std::uint64_t>(l.r.m),
                                             static_cast<std::uint64_t>(l.r.n), ricerca);
  avanzamento.chiudi();
  l.terne = ricerca.terne;
  return fine;
}

int cerca(Richiesta r) {
  const auto inizio = Orologio::now();
  _myElement* primi = new _myElement;
  struct Rilascio {
    _myElement* primi;
    ~Rilascio() { rilasciaLista(primi); }
  } rilascio{primi};
  Combinatorial tabelle[kTabelle];
  if (!caricaIngressi(r, primi, tabelle)) return kGuasto;
  FileRisultati file;
  Destinazione d;
  if (!apriUscita(r, file, d)) return kGuasto;
  if (d.errori) {  // the records alone in the file: the exit code tells how the run ended
    r.silenzioso = true;
    std::cerr.setstate(std::ios::badbit);
  }
  file.raccogliLotti();
  Lavoro lavoro{r, file, !r.silenzioso && !d.terminale && isatty(STDERR_FILENO) != 0};
  const FineRicerca fine =
      r.tutte ? cercaTutte(lavoro, primi) : cercaComeTerne(lavoro, primi, tabelle);
  const std::string nome = fine.dove.empty() ? nomeMostrato(d.nome, false) : leggibile(fine.dove);
  if (fine.copiaRimossa && !r.silenzioso) {
    avvisa(kProgramma,
           leggibile(file.copia()) + " non aveva nulla in piu' del nuovo file: rimosso");
  }
  const int esito = concludi(r, nome, fine);
  if (esito == 0) riepiloga(r, nome, lavoro.terne, Orologio::now() - inizio);
  return esito;
}

}  // namespace

int main(int argc, char** argv) {
  apriDescrittoriStandard();
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  Richiesta r;
  const int esito = leggiRichiesta(argc, argv, r);
  if (esito >= 0) return esito;
  if (!r.cartella.empty() && chdir(r.cartella.c_str()) != 0) {
    const int errore = errno;
    avvisa(kProgramma, "impossibile lavorare nella cartella " + leggibile(r.cartella) + ": " +
                           motivoErrore(errore));
    return kGuasto;
  }
  try {
    return cerca(r);
  } catch (const std::bad_alloc&) {
    avvisa(kProgramma, "memoria insufficiente");
    return kGuasto;
  }
}
