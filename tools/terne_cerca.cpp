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
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "combinatorial/caricamento.h"
#include "driver/ricerca.h"
#include "primes/primi.h"
#include "sistema/interruzione.h"
#include "sistema/motivi.h"
#include "sistema/nomi.h"
#include "sistema/opzioni.h"
#include "sistema/uscita.h"

namespace {

constexpr char kProgramma[] = "terne-cerca";
constexpr int kGuasto = 1;  // an input file missing or damaged, or results not written
constexpr int kLettoreAndato = 128 + SIGPIPE;  // the reader of a pipe went away, as filters end
constexpr char kMemoriaTabelle[] =
    "memoria insufficiente per le tabelle delle combinazioni (richiedono circa 60 MB)";

const char kUso[] =
    "Uso: terne-cerca [-C CARTELLA] [-o FILE] [-q] M N\n"
    "\n"
    "Cerca le terne pitagoriche con un cateto da M a N (da 1 a 65535, M <= N) come terne,\n"
    "senza domande e senza pause, e le scrive in triadiRettangoleM-N.txt: lo stesso file che\n"
    "scrive terne. Legge numeriPrimi.txt e le tabelle Combinations04.txt ... Combinations19.txt\n"
    "(terne-prepara li scrive).\n"
    "\n"
    "Opzioni:\n"
    "  -C, --cartella=CARTELLA  lavora nella CARTELLA: i file di ingresso, il file dei\n"
    "                           risultati e un FILE relativo stanno li'\n"
    "  -o, --output=FILE        scrive i risultati in FILE; con - sullo standard output\n"
    "  -q, --silenzioso         nessuna riga di avanzamento, nessun riepilogo e nessuna\n"
    "                           notizia delle copie dei file precedenti\n"
    "  -h, --help               mostra questo aiuto ed esce\n"
    "  --version                mostra la versione e la licenza ed esce\n"
    "\n"
    "Codice di uscita: 0 se il file contiene tutte le terne; 1 se un file di ingresso manca o\n"
    "e' danneggiato, o se i risultati non si sono potuti scrivere; 2 per un uso sbagliato;\n"
    "128 + il numero del segnale dopo un'interruzione (130 per Ctrl-C).\n";

struct Richiesta {
  std::string cartella;
  std::string uscita;  // empty: the file named after the range; "-": standard output
  bool silenzioso = false;
  int m = 0;
  int n = 0;
};

int leggiRichiesta(int argc, char** argv, Richiesta& r) {
  std::vector<std::string> operandi;
  const int esito = leggiOpzioni(
      argc, argv,
      {kProgramma,
       kUso,
       {{"cartella", 'C', true}, {"output", 'o', true}, {"silenzioso", 'q', false}}},
      [&r](int opzione, const char* argomento) {
        if (opzione == 'C') r.cartella = argomento;
        if (opzione == 'o' && *argomento == '\0') {
          usoSbagliato(kProgramma, "-o vuole un nome di file, o - per lo standard output");
          return false;
        }
        if (opzione == 'o') r.uscita = argomento;
        if (opzione == 'q') r.silenzioso = true;
        return true;
      },
      operandi);
  if (esito >= 0) return esito;
  if (operandi.size() != 2) {
    usoSbagliato(kProgramma, "servono due numeri, M e N");
    return 2;
  }
  long long m = 0;
  long long n = 0;
  if (!interoTra(operandi[0].c_str(), 1, kCatetoMassimo, m) ||
      !interoTra(operandi[1].c_str(), 1, kCatetoMassimo, n) || m > n) {
    usoSbagliato(kProgramma, "M e N vanno da 1 a 65535, con M <= N");
    return 2;
  }
  r.m = static_cast<int>(m);
  r.n = static_cast<int>(n);
  return -1;
}

// " CARTELLA" for the commands the messages suggest, quoted for the shell; nothing for the
// current folder.
std::string inCartella(const Richiesta& r) {
  if (r.cartella.empty()) return "";
  return " " + perShell(r.cartella[0] == '-' ? "./" + r.cartella : r.cartella);
}

// How to mend an input file that is missing, unreadable or damaged: prepare it (again), once
// what stands at its name is moved away where terne-prepara would not replace it.
std::string rimedio(int motivo, const std::string& prepararlo) {
  const std::string comando = prepararlo + " con: terne-prepara";
  if (daTogliere(motivo)) return ". Spostarlo o rimuoverlo, poi " + comando;
  return ". P" + comando.substr(1);
}

// What is wrong with the prime table, empty when nothing is.
std::string guastoPrimi(const Richiesta& r, _myElement* primi) {
  int motivo = 0;
  int esito = 0;
  try {
    esito = caricaPrimi("numeriPrimi.txt", numero(r.n + 1), primi, &motivo);
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
    return "numeriPrimi.txt non ha abbastanza numeri primi per " + std::to_string(r.n) +
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

// The prime table and the sixteen tables, checked as terne checks them. False after a message
// that names the file, why, and the command that prepares it.
bool caricaIngressi(const Richiesta& r, _myElement* primi, Combinatorial (&tabelle)[kTabelle]) {
  std::string guasto = guastoPrimi(r, primi);
  if (guasto.empty()) guasto = guastoTabelle(tabelle);
  if (guasto.empty()) return true;
  std::cerr << kProgramma << ": " << guasto << inCartella(r) << "\n";
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

std::string durata(Orologio::duration d) {
  const long long s = std::chrono::duration_cast<std::chrono::seconds>(d).count();
  char testo[32];
  std::snprintf(testo, sizeof testo, "%lld:%02lld", s / 60, s % 60);
  return testo;
}

// A number with one decimal, written the Italian way: "7,3".
std::string decimale(double x) {
  char testo[32];
  std::snprintf(testo, sizeof testo, "%.1f", x);
  std::string virgola = testo;
  virgola[virgola.find('.')] = ',';
  return virgola;
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
  Avanzamento(const Richiesta& r, const TernePendenti& pendenti)
      : m_(r.m), totale_(r.n - r.m + 1), pendenti_(pendenti) {}
  void dopo(int cateto) {
    const auto adesso = Orologio::now();
    if (adesso - ultimo_ < std::chrono::milliseconds(100) && cateto != m_ + totale_ - 1) return;
    ultimo_ = adesso;
    const int fatti = cateto - m_ + 1;
    const auto trascorso = adesso - inizio_;
    char riga[200];
    const int spazio = colonne() - 1;
    const std::string percento = decimale(100.0 * fatti / totale_);
    int lunghezza = std::snprintf(
        riga, sizeof riga, "cateti %d/%d (%s %%), %lld terne, %s trascorsi, circa %s alla fine",
        fatti, totale_, percento.c_str(), pendenti_.registrate(), durata(trascorso).c_str(),
        durata(trascorso * (totale_ - fatti) / fatti).c_str());
    if (lunghezza > spazio) {
      lunghezza = std::snprintf(riga, sizeof riga, "%d/%d (%s %%) %lld terne", fatti, totale_,
                                percento.c_str(), pendenti_.registrate());
    }
    lunghezza = std::clamp(lunghezza, 0, std::max(spazio, 0));
    // Blanks over what a longer line drew before.
    std::cerr << '\r' << std::string_view(riga, static_cast<size_t>(lunghezza))
              << std::string(std::clamp(larghezza_, lunghezza, std::max(spazio, 0)) - lunghezza,
                             ' ')
              << std::flush;
    larghezza_ = std::max(larghezza_, lunghezza);
  }
  // Ends the line, so that what follows starts on a line of its own.
  void chiudi() {
    if (larghezza_ > 0) std::cerr << "\n";
  }

 private:
  const int m_;
  const int totale_;
  const TernePendenti& pendenti_;
  const Orologio::time_point inizio_ = Orologio::now();
  Orologio::time_point ultimo_ = inizio_ - std::chrono::seconds(1);
  int larghezza_ = 0;  // of the longest line drawn
};

// Opens the file named after the range, or another one, for a new run. False after a message.
bool apriPerNome(const std::string& nome, FileRisultati& file, bool silenzioso) {
  using Apertura = FileRisultati::Apertura;
  const Apertura esito = file.apri(nome.c_str());
  const int errore = errno;
  if (esito != Apertura::kNonConservato && !file.copia().empty() && !silenzioso) {
    std::cerr << kProgramma << ": il file " << leggibile(nome) << " c'era gia': conservato come "
              << leggibile(file.copia()) << "\n";
  }
  if (esito == Apertura::kAperto) return true;
  std::cerr << kProgramma << ": ";
  if (esito == Apertura::kNonConservato) {
    std::cerr << "il file " << leggibile(nome) << " c'era gia' e non si puo' conservare come "
              << leggibile(file.copia());
  } else {
    std::cerr << "impossibile scrivere " << leggibile(nome);
  }
  std::cerr << ": "
            << (esito == Apertura::kOccupato ? "un'altra esecuzione lo sta scrivendo"
                                             : motivoErrore(errore))
            << "\n";
  return false;
}

// Where the records go, once opened.
struct Destinazione {
  std::string nome;        // as the command line or the range names it
  bool terminale = false;  // a terminal, which the progress line would mix into
  bool errori = false;     // the regular file of standard error: nothing else is said there
};

// Opens the output the command line names (see sistema/uscita.h). False after a message.
bool apriUscita(const Richiesta& r, FileRisultati& file, Destinazione& d) {
  if (r.uscita.empty()) {
    d.nome = nomeFileRisultati(numero(r.m), numero(r.n)).str;
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
    d.errori = S_ISREG(u.stato.st_mode) && fstat(STDERR_FILENO, &errori) == 0 &&
               stessoFile(errori, u.stato);
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
  std::cerr << kProgramma << ": impossibile scrivere " << nomeMostrato(r.uscita, false) << ": "
            << motivoErrore(errore) << "\n";
  return false;
}

// ": il file NOME contiene tutte le terne trovate fino al cateto K." and, when the output may
// end with a partial line, a line that says so.
void descriviUscita(const std::string& nome, const Richiesta& r, const FineRicerca& fine) {
  std::cerr << ": ";
  descriviContenuto(std::cerr, nome.c_str(), numero(r.m), fine.salvato);
  std::cerr << ".\n";
  if (fine.erroreTaglio < 0) {
    std::cerr << kProgramma << ": in fondo a " << nome << " puo' restare una riga incompleta.\n";
  } else if (fine.erroreTaglio > 0) {
    std::cerr << kProgramma << ": in fondo a " << nome << " puo' restare una riga incompleta ("
              << motivoErrore(fine.erroreTaglio) << ").\n";
  }
}

// What the run ended with, told on standard error unless all went well; returns the exit code.
int concludi(const Richiesta& r, const std::string& nome, const FineRicerca& fine) {
  using Causa = FineRicerca::Causa;
  if (fine.errore == EPIPE) return kLettoreAndato;
  if (fine.posto == FileRisultati::Posto::kCancellato) {
    std::cerr << kProgramma << ": il file " << nome
              << " e' stato cancellato durante la ricerca: le terne trovate sono andate perse "
                 "con il file.\n";
    return kGuasto;
  }
  const bool guasto = fine.errore != 0 && fine.errore != EINTR;
  if (guasto || fine.causa == Causa::kMemoria) {
    std::cerr << kProgramma << ": "
              << (guasto ? "scrittura non riuscita (" + motivoErrore(fine.errore) + ")"
                         : std::string("memoria insufficiente"));
    descriviUscita(nome, r, fine);
    return kGuasto;
  }
  if (fine.causa == Causa::kSegnale) {
    std::cerr << kProgramma << ": ricerca interrotta dopo il cateto " << fine.ultimo;
    descriviUscita(nome, r, fine);
    return 128 + fine.segnale;
  }
  return 0;
}

// The summary line of a run that wrote every triple.
void riepiloga(const Richiesta& r, const std::string& nome, long long terne,
               Orologio::duration tempo) {
  if (r.silenzioso) return;
  char riga[200];
  std::snprintf(riga, sizeof riga, ": %lld terne dei cateti da %d a %d in %s s\n", terne, r.m, r.n,
                decimale(std::chrono::duration<double>(tempo).count()).c_str());
  std::cerr << kProgramma << ": " << nome << riga;
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
  Suddivisioni suddivisioni(tabelle);
  TernePendenti pendenti;
  const Pausa nessuna = [] {};
  ContestoRicerca ricerca{primi, suddivisioni, pendenti, file, nullptr, nessuna};
  ricerca.primiInteri = true;  // caricaIngressi checked it
  Avanzamento avanzamento(r, pendenti);
  if (!r.silenzioso && !d.terminale && isatty(STDERR_FILENO)) {
    ricerca.dopoCateto = [&avanzamento](const numero& a) { avanzamento.dopo(a.intero()); };
  }
  const FineRicerca fine = cercaEChiudi(numero(r.m), numero(r.n), ricerca);
  avanzamento.chiudi();
  const std::string nome = fine.dove.empty() ? nomeMostrato(d.nome, false) : leggibile(fine.dove);
  if (fine.copiaRimossa && !r.silenzioso) {
    std::cerr << kProgramma << ": " << leggibile(file.copia())
              << " non aveva nulla in piu' del nuovo file: rimosso\n";
  }
  const int esito = concludi(r, nome, fine);
  if (esito == 0) riepiloga(r, nome, pendenti.registrate(), Orologio::now() - inizio);
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
    std::cerr << kProgramma << ": impossibile lavorare nella cartella " << leggibile(r.cartella)
              << ": " << motivoErrore(errno) << "\n";
    return kGuasto;
  }
  try {
    return cerca(r);
  } catch (const std::bad_alloc&) {
    std::cerr << kProgramma << ": memoria insufficiente\n";
    return kGuasto;
  }
}
