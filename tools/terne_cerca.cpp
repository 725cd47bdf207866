// terne-cerca: the search of terne as one command, for scripts: the range as arguments, no
// dialogue, no pause, the same results file; a progress line while it works.
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
#include <vector>

#include "combinatorial/caricamento.h"
#include "driver/interruzione.h"
#include "driver/ricerca.h"
#include "primes/primi.h"
#include "tools/opzioni.h"

namespace {

constexpr char kProgramma[] = "terne-cerca";
constexpr int kGuasto = 1;  // an input file missing or damaged, or results not written

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
    "  -q, --silenzioso         nessuna riga di avanzamento e nessun riepilogo\n"
    "  --help                   mostra questo aiuto ed esce\n"
    "  --version                mostra la versione ed esce\n"
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

// " CARTELLA" for the commands the messages suggest, nothing for the current folder.
std::string inCartella(const Richiesta& r) {
  return r.cartella.empty() ? "" : " " + r.cartella;
}

// The prime table and the sixteen tables, checked as terne checks them. False after a message
// that names the file and the command that prepares it.
bool caricaIngressi(const Richiesta& r, _myElement* primi, Combinatorial (&tabelle)[kTabelle]) {
  const int esitoPrimi = caricaPrimi("numeriPrimi.txt", numero(r.n + 1), primi);
  if (esitoPrimi != 1) {
    std::cerr << kProgramma << ": numeriPrimi.txt ";
    if (esitoPrimi == 0) {
      std::cerr << "non ha abbastanza numeri primi per " << r.n
                << ". Prepararlo di nuovo con: terne-prepara --forza --fino-a " << r.n;
    } else {
      std::cerr << (esitoPrimi == -1 ? "manca" : "non si puo' leggere")
                << ". Prepararlo con: terne-prepara";
    }
    std::cerr << inCartella(r) << "\n";
    return false;
  }
  std::ostream nessuno(nullptr);
  const int guasta = caricaTabelle(tabelle, nessuno);
  if (guasta != 0) {
    std::cerr << kProgramma << ": " << nomeTabella(guasta).str
              << " manca o e' danneggiato. Prepararlo di nuovo con: terne-prepara" << inCartella(r)
              << "\n";
    return false;
  }
  return true;
}

using Orologio = std::chrono::steady_clock;

std::string durata(Orologio::duration d) {
  const long long s = std::chrono::duration_cast<std::chrono::seconds>(d).count();
  char testo[32];
  std::snprintf(testo, sizeof testo, "%lld:%02lld", s / 60, s % 60);
  return testo;
}

// The progress line on a terminal, redrawn in place at most ten times a second.
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
    std::snprintf(riga, sizeof riga,
                  "cateti %d/%d (%.1f%%), %lld terne, %s trascorsi, circa %s alla fine", fatti,
                  totale_, 100.0 * fatti / totale_, pendenti_.registrate(),
                  durata(trascorso).c_str(), durata(trascorso * (totale_ - fatti) / fatti).c_str());
    // Blanks over what a longer line drew before.
    const int lunghezza = static_cast<int>(std::strlen(riga));
    std::cerr << '\r' << riga << std::string(std::max(0, larghezza_ - lunghezza), ' ')
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

// Opens the results file. False after a message.
bool apriUscita(const Richiesta& r, const stringa& nome, FileRisultati& file) {
  if (r.uscita == "-") {
    file.usa(STDOUT_FILENO);
    return true;
  }
  bool conservato = false;
  const FileRisultati::Apertura esito = file.apri(nome.str, conservato);
  if (conservato) {
    std::cerr << kProgramma << ": il file " << nome.str << " c'era gia': conservato come "
              << nome.str << "~\n";
  }
  if (esito == FileRisultati::Apertura::kAperto) return true;
  std::cerr << kProgramma << ": impossibile scrivere " << nome.str << ": "
            << (esito == FileRisultati::Apertura::kOccupato ? "un'altra esecuzione lo sta scrivendo"
                                                            : motivoErrore(errno))
            << "\n";
  return false;
}

// What the run ended with, told on standard error unless all went well; returns the exit code.
int concludi(const Richiesta& r, const stringa& nome, const FineRicerca& fine,
             FileRisultati& file) {
  using Causa = FineRicerca::Causa;
  int errore = file.sincronizza();
  if (const int chiusura = file.chiudi(); errore == 0) errore = chiusura;
  const numero M(r.m);
  if (errore != 0 || fine.causa == Causa::kMemoria) {
    std::cerr << kProgramma << ": "
              << (errore != 0 ? std::string("scrittura non riuscita (") + motivoErrore(errore) + ")"
                              : "memoria insufficiente")
              << ": ";
    descriviContenuto(std::cerr, nome, M, fine.salvato);
    std::cerr << ".\n";
    return kGuasto;
  }
  if (fine.causa == Causa::kSegnale) {
    std::cerr << kProgramma << ": ricerca interrotta dopo il cateto " << fine.ultimo << ": ";
    descriviContenuto(std::cerr, nome, M, fine.ultimo);
    std::cerr << ".\n";
    return 128 + segnaleRicevuto();
  }
  return 0;
}

// The summary line of a run that wrote every triple.
void riepiloga(const Richiesta& r, const stringa& nome, long long terne, Orologio::duration tempo) {
  char riga[200];
  std::snprintf(riga, sizeof riga, ": %s: %lld terne dei cateti da %d a %d in %.1f s\n", nome.str,
                terne, r.m, r.n, std::chrono::duration<double>(tempo).count());
  std::cerr << kProgramma << riga;
}

int cerca(const Richiesta& r) {
  const auto inizio = Orologio::now();
  _myElement* primi = new _myElement;
  struct Rilascio {
    _myElement* primi;
    ~Rilascio() { rilasciaLista(primi); }
  } rilascio{primi};
  Combinatorial tabelle[kTabelle];
  if (!caricaIngressi(r, primi, tabelle)) return kGuasto;
  const stringa nome = r.uscita == "-"    ? stringa("(standard output)")
                       : r.uscita.empty() ? nomeFileRisultati(numero(r.m), numero(r.n))
                                          : stringa(r.uscita.c_str());
  FileRisultati file;
  if (!apriUscita(r, nome, file)) return kGuasto;
  Suddivisioni suddivisioni(tabelle);
  TernePendenti pendenti;
  const Pausa nessuna = [] {};
  ContestoRicerca ricerca{primi, suddivisioni, pendenti, file, nullptr, nessuna};
  Avanzamento avanzamento(r, pendenti);
  if (!r.silenzioso && isatty(STDERR_FILENO)) {
    ricerca.dopoCateto = [&avanzamento](const numero& a) { avanzamento.dopo(a.intero()); };
  }
  const FineRicerca fine = cicloCateti(numero(r.m), numero(r.n), ricerca);
  avanzamento.chiudi();
  const int esito = concludi(r, nome, fine, file);
  if (esito == 0 && !r.silenzioso)
    riepiloga(r, nome, pendenti.registrate(), Orologio::now() - inizio);
  return esito;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  Richiesta r;
  const int esito = leggiRichiesta(argc, argv, r);
  if (esito >= 0) return esito;
  if (!r.cartella.empty() && chdir(r.cartella.c_str()) != 0) {
    std::cerr << kProgramma << ": impossibile lavorare nella cartella " << r.cartella << ": "
              << motivoErrore(errno) << "\n";
    return kGuasto;
  }
  try {
    return cerca(r);
  } catch (const std::bad_alloc&) {
    std::cerr << kProgramma
              << ": memoria insufficiente (le tabelle delle combinazioni "
                 "richiedono circa 170 MB)\n";
    return kGuasto;
  }
}
