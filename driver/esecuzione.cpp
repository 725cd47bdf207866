#include "driver/esecuzione.h"

#include <new>

#include "primes/primi.h"
#include "results/terne.h"

namespace {

constexpr int kUscitaConPerdita = 1;  // results not written, or the console failed

void stampaBanner(std::ostream& out) {
  out << "Questo programma calcola le triadiRettangole aventi uno dei cateti compreso tra M e N, "
         "inclusi.\n"
      << "Nota: non tutte le terne, solo se la scomposizione in fattori primi del cateto\n"
      << "genera al piu' 9 fattori.\n"
      << "Ogni terna nuova compare subito e finisce nel file dei risultati.\n\n";
}

// Asks until the answer lies in 1 … kCatetoMassimo. False when the input ends first, or when
// the console no longer takes the prompt.
bool chiediEstremo(const char* domanda, numero& valore, std::istream& in, std::ostream& out) {
  valore = 0;
  while (valore < 1 || valore > numero(kCatetoMassimo)) {
    if (valore > numero(kCatetoMassimo)) out << "Il valore massimo ammesso e' 65535.\n";
    out << domanda;
    in >> valore;
    if (!out) return false;
    if (!in && (valore < 1 || valore > numero(kCatetoMassimo))) return false;
  }
  return true;
}

// The wait for one answer that ends the run; any letter and Enter will do.
void attendiRisposta(std::istream& in, numero& N) {
  in >> N;
}

void attesaFinale(std::istream& in, std::ostream& out, numero& N) {
  out << "\n\n"
      << "Inserire una lettera e premere invio per terminare... " << std::flush;
  if (out) attendiRisposta(in, N);
}

void avvisaInterruzione(const numero& ultimo, const stringa& nome, std::ostream& out) {
  out << "\nRicerca interrotta dopo il cateto " << ultimo << ": il file " << nome.str
      << " contiene tutte le terne trovate fino a quel cateto.\n"
      << std::flush;
}

void avvisaScrittura(std::ostream& os, int errore, int taglio, const stringa& nome, const numero& M,
                     const FineRicerca& fine) {
  os << "\nScrittura non riuscita (" << motivoErrore(errore) << "): ";
  descriviContenuto(os, nome, M, fine.salvato);
  os << ".\n";
  if (taglio != 0) {
    os << "In fondo al file puo' restare una riga incompleta (" << motivoErrore(taglio) << ").\n";
  }
  os << std::flush;
}

// One line on standard error: what failed, then, once the search began (`nome` not null), what
// the results file holds.
void avvisaSuErrori(std::ostream& err, const char* guasto, const stringa* nome = nullptr,
                    const numero& M = numero(), const numero& K = numero()) {
  err << "terne: " << guasto;
  if (nome != nullptr) {
    err << "; ";
    descriviContenuto(err, *nome, M, K);
  }
  err << ".\n" << std::flush;
}

const char kMemoria[] =
    "memoria insufficiente (le tabelle delle combinazioni richiedono circa 170 MB)";
const char kConsole[] = "impossibile scrivere sulla console";

// After the leg loop: the file put on the disk and closed (a failed write has already cut it
// back to its last whole leg), then what the user must know. Returns the exit code.
int concludi(FineRicerca& fine, FileRisultati& file, const stringa& nome, const numero& M,
             numero& N, std::istream& in, std::ostream& out, std::ostream& err) {
  using Causa = FineRicerca::Causa;
  int errore = file.sincronizza();
  const int chiusura = file.chiudi();
  if (errore == 0) errore = chiusura;
  const bool perdita = errore != 0 || fine.causa == Causa::kMemoria;
  if (errore != 0) avvisaScrittura(out ? out : err, errore, file.erroreTaglio(), nome, M, fine);
  if (fine.causa == Causa::kMemoria) avvisaSuErrori(err, kMemoria, &nome, M, fine.salvato);
  if (fine.causa == Causa::kSegnale && errore == 0) avvisaInterruzione(fine.ultimo, nome, out);
  const bool fermata = fine.causa == Causa::kSegnale || fine.causa == Causa::kConsole;
  if (!fermata) attesaFinale(in, out, N);
  if (!out) {
    avvisaSuErrori(err, kConsole, &nome, M, fine.salvato);
    return kUscitaConPerdita;
  }
  return perdita ? kUscitaConPerdita : 0;
}

// Phases from the combination tables to the closing; the tables, the results file and its
// name live here, so they exist only once the prime table is complete.
int cercaTerne(numero& M, numero& N, _myElement* primi, std::istream& in, std::ostream& out,
               std::ostream& err, const Pausa& pausa, Combinatorial (*tabellePronte)[kTabelle]) {
  Combinatorial proprie[kTabelle];
  Combinatorial(&tabelle)[kTabelle] = (tabellePronte != nullptr) ? *tabellePronte : proprie;
  int guasta = 0;
  if (tabellePronte == nullptr) {
    guasta = caricaTabelle(tabelle, out);
  } else {
    for (int n = kPrimaTabella; n <= kUltimaTabella; ++n) annunciaTabella(n, out);
  }
  if (guasta != 0) {
    out << "\n Il file " << nomeTabella(guasta).str
        << " manca o e' danneggiato. Prepararlo di nuovo con terne-prepara e poi ripetere "
           "l'operazione. Inserire un carattere e premere invio per terminare... "
        << "\n Per prepararlo di nuovo, nella cartella di lavoro: terne-prepara\n";
    attendiRisposta(in, N);
    return 0;
  }
  if (!(out << std::flush)) return 0;  // the caller reports the console; no file is created
  const stringa nome = nomeFileRisultati(M, N);
  FileRisultati file;
  if (!apriFileRisultati(nome, file, out)) {
    attendiRisposta(in, N);
    return 0;
  }
  Suddivisioni suddivisioni(tabelle);
  TernePendenti pendenti;
  ContestoRicerca ricerca{primi, suddivisioni, pendenti, file, &out, pausa};
  FineRicerca fine = cicloCateti(M, N, ricerca);
  return concludi(fine, file, nome, M, N, in, out, err);
}

// The run from the prompts on; memory running out before the search began ends up here.
int eseguiFasi(std::istream& in, std::ostream& out, std::ostream& err, const Pausa& pausa,
               Combinatorial (*tabellePronte)[kTabelle]) {
  numero M;
  numero N;
  if (!chiediEstremo("Inserisci il valore di M>0: ", M, in, out) ||
      !chiediEstremo("Inserisci il valore di N>0: ", N, in, out)) {
    out << "\n" << std::flush;
    return 0;
  }
  _myElement* primi = nullptr;
  int esito = 0;
  try {
    if (caricaFasePrimi(N, primi, out)) {
      esito = cercaTerne(M, N, primi, in, out, err, pausa, tabellePronte);
    } else {
      attendiRisposta(in, N);
    }
  } catch (const std::bad_alloc&) {
    avvisaSuErrori(err, kMemoria);
    attesaFinale(in, out, N);
    esito = kUscitaConPerdita;
  }
  rilasciaLista(primi);
  return esito;
}

}  // namespace

int esegui(std::istream& in, std::ostream& out, std::ostream& err, const Pausa& pausa,
           Combinatorial (*tabellePronte)[kTabelle]) {
  in.tie(&out);
  stampaBanner(out);
  int esito = eseguiFasi(in, out, err, pausa, tabellePronte);
  if (!(out << std::flush) && esito == 0) {
    avvisaSuErrori(err, kConsole);
    esito = kUscitaConPerdita;
  }
  return esito;
}
