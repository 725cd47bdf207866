#include "driver/esecuzione.h"

#include <cerrno>
#include <new>
#include <string>

#include "primes/primi.h"
#include "results/terne.h"
#include "sistema/motivi.h"
#include "sistema/nomi.h"

namespace {

constexpr int kUscitaConPerdita = 1;  // results not written, or the console failed

// What the phases of one run share: the console (answers from `in`, the dialogue on `out`, the
// lines that tell a loss on `err`) and the two ends of the range. The answer that ends the run
// is read into N, as the prompts read the range.
struct Corsa {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  numero M;
  numero N;
};

// What the results file holds once the legs M … K are written.
struct Contenuto {
  const char* nome;
  const numero& M;
  const numero& K;
};

void stampaBanner(std::ostream& out) {
  out << "Questo programma calcola le triadiRettangole aventi uno dei cateti compreso tra M e N, "
         "inclusi.\n"
      << "Nota: non tutte le terne, solo se la scomposizione in fattori primi del cateto\n"
      << "genera al piu' 9 fattori.\n"
      << "Ogni terna nuova compare subito e finisce nel file dei risultati.\n\n";
}

// Asks until the answer lies in 1 … kCatetoMassimo. False when the input ends first, or when
// the console no longer takes the prompt.
bool chiediEstremo(const char* domanda, numero& valore, Corsa& corsa) {
  valore = 0;
  while (valore < 1 || valore > numero(kCatetoMassimo)) {
    if (valore > numero(kCatetoMassimo)) corsa.out << "Il valore massimo ammesso e' 65535.\n";
    corsa.out << domanda;
    corsa.in >> valore;
    if (!corsa.out) return false;
    if (!corsa.in && (valore < 1 || valore > numero(kCatetoMassimo))) return false;
  }
  return true;
}

// The wait for one answer that ends the run; any letter and Enter will do.
void attendiRisposta(Corsa& corsa) {
  corsa.in >> corsa.N;
}

void attesaFinale(Corsa& corsa) {
  corsa.out << "\n\n"
            << "Inserire una lettera e premere invio per terminare... " << std::flush;
  if (corsa.out) attendiRisposta(corsa);
}

void avvisaInterruzione(const numero& ultimo, const Contenuto& contenuto, std::ostream& out) {
  std::string testo =
      "\nRicerca interrotta dopo il cateto " + std::string(testoDi(ultimo).str) + ": ";
  if (contenuto.K == ultimo) {
    testo += "il file " + std::string(contenuto.nome) +
             " contiene tutte le terne trovate fino a quel cateto";
  } else {
    testo += descriviContenuto(contenuto.nome, contenuto.M, contenuto.K);
  }
  out << aCapo(testo + ".\n") << std::flush;
}

void avvisaScrittura(std::ostream& os, int errore, int taglio, const Contenuto& contenuto) {
  std::string testo = "\nScrittura non riuscita (" + motivoErrore(errore) +
                      "): " + descriviContenuto(contenuto.nome, contenuto.M, contenuto.K) + ".\n";
  if (taglio != 0) {
    std::string coda = codaNonTagliata(taglio);
    coda[0] = 'D';
    testo += coda + ".\n";
  }
  os << aCapo(testo) << std::flush;
}

// What the user must know of where the file went and of the copy of an earlier one; false when
// the file was deleted, and the results with it.
bool avvisaPosto(const FineRicerca& fine, const stringa& nome, Corsa& corsa) {
  std::ostream& out = corsa.out ? corsa.out : corsa.err;
  const std::string file = "Il file " + std::string(nome.str);
  if (fine.posto == FileRisultati::Posto::kCancellato) {
    out << aCapo("\n" + file +
                 " e' stato cancellato durante la ricerca: le terne trovate sono andate perse "
                 "con il file.\n");
    return false;
  }
  if (fine.posto == FileRisultati::Posto::kSpostato &&
      fine.causa == FineRicerca::Causa::kCompleta) {
    const std::string dove = fine.dove.empty() ? "" : ": ora e' " + leggibile(fine.dove);
    out << aCapo(file + " e' stato spostato durante la ricerca" + dove + ".\n");
  }
  if (fine.copiaRimossa) {
    out << aCapo(
        "La copia conservata all'inizio non aveva nulla in piu' del nuovo file: e' stata "
        "rimossa.\n");
  }
  return true;
}

// One line on standard error: what failed, then, once the search began, what the results file
// holds.
void avvisaSuErrori(std::ostream& err, const char* guasto, const Contenuto* contenuto = nullptr) {
  std::string testo = "terne: " + std::string(guasto);
  if (contenuto != nullptr) {
    testo += "; " + descriviContenuto(contenuto->nome, contenuto->M, contenuto->K);
  }
  err << aCapo(testo + ".\n") << std::flush;
}

const char kMemoriaPrimi[] = "memoria insufficiente per leggere numeriPrimi.txt";
const char kMemoriaTabelle[] =
    "memoria insufficiente per le tabelle delle combinazioni (richiedono circa 60 MB)";
const char kConsole[] = "impossibile scrivere sulla console";

// After the search: what the user must know, then the closing wait unless the run was stopped.
// Returns the exit code.
int concludi(const FineRicerca& fine, const stringa& nome, Corsa& corsa) {
  using Causa = FineRicerca::Causa;
  const std::string dove = fine.dove.empty() ? nome.str : leggibile(fine.dove);
  const Contenuto contenuto{dove.c_str(), corsa.M, fine.salvato};
  std::ostream& out = corsa.out;
  const bool guasto = fine.errore != 0 && fine.errore != EINTR;
  if (guasto) avvisaScrittura(out ? out : corsa.err, fine.errore, fine.erroreTaglio, contenuto);
  const bool salvato = avvisaPosto(fine, nome, corsa);
  if (fine.causa == Causa::kMemoria) avvisaSuErrori(corsa.err, kMemoriaRicerca, &contenuto);
  if (fine.causa == Causa::kSegnale && !guasto && salvato) {
    avvisaInterruzione(fine.ultimo, contenuto, out);
  }
  if (fine.causa == Causa::kCompleta && !guasto && salvato) {
    corsa.err << aCapo("terne: le terne trovate sono nel file " + dove + "\n") << std::flush;
  }
  const bool fermata = fine.causa == Causa::kSegnale || fine.causa == Causa::kConsole;
  if (!fermata) attesaFinale(corsa);
  if (!out) {
    avvisaSuErrori(corsa.err, kConsole, &contenuto);
    return kUscitaConPerdita;
  }
  return guasto || !salvato || fine.causa == Causa::kMemoria ? kUscitaConPerdita : 0;
}

// Phases from the combination tables to the closing; the tables, the results file and its
// name live here, so they exist only once the prime table is complete.
int cercaTerne(Corsa& corsa, _myElement* primi, const Pausa& pausa,
               Combinatorial (*tabellePronte)[kTabelle]) {
  std::ostream& out = corsa.out;
  Combinatorial proprie[kTabelle];
  Combinatorial(&tabelle)[kTabelle] = (tabellePronte != nullptr) ? *tabellePronte : proprie;
  int guasta = 0;
  int motivo = 0;
  if (tabellePronte == nullptr) {
    guasta = caricaTabelle(tabelle, out, &motivo);
  } else {
    for (int n = kPrimaTabella; n <= kUltimaTabella; ++n) annunciaTabella(n, out);
  }
  if (guasta != 0) {
    corsa.err << aCapo("terne: " + comePreparare(nomeTabella(guasta).str, motivo) + "\n");
    out << "\n Il file " << nomeTabella(guasta).str;
    if (motivo == 0) {
      out << " manca o e' danneggiato.";
    } else {
      out << " non puo' essere letto (" << motivoErrore(motivo) << ").";
    }
    out << " Prepararlo di nuovo con terne-prepara e poi ripetere l'operazione. Inserire un "
           "carattere e premere invio per terminare... ";
    attendiRisposta(corsa);
    return 0;
  }
  if (!(out << std::flush)) return 0;  // the caller reports the console; no file is created
  const stringa nome = nomeFileRisultati(corsa.M, corsa.N);
  FileRisultati file;
  if (!apriFileRisultati(nome, file, out)) {
    attendiRisposta(corsa);
    return 0;
  }
  if (corsa.N < corsa.M) {
    corsa.err << aCapo("terne: nessun cateto tra " + std::string(testoDi(corsa.M).str) + " e " +
                       testoDi(corsa.N).str + ": M e' maggiore di N.\n");
  }
  Suddivisioni suddivisioni(tabelle);
  TernePendenti pendenti;
  ContestoRicerca ricerca{primi, suddivisioni, pendenti, file, &out, pausa};
  ricerca.primiInteri = true;  // the prime-table phase checked it
  return concludi(cercaEChiudi(corsa.M, corsa.N, ricerca), nome, corsa);
}

// The run from the prompts on; memory running out before the search began ends up here.
int eseguiFasi(Corsa& corsa, const Pausa& pausa, Combinatorial (*tabellePronte)[kTabelle]) {
  if (!chiediEstremo("Inserisci il valore di M>0: ", corsa.M, corsa) ||
      !chiediEstremo("Inserisci il valore di N>0: ", corsa.N, corsa)) {
    corsa.out << "\n" << std::flush;
    return 0;
  }
  _myElement* primi = nullptr;
  int esito = 0;
  const char* perCosa = kMemoriaPrimi;  // what memory running out was needed for
  try {
    if (caricaFasePrimi(corsa.N, primi, corsa.out, corsa.err)) {
      perCosa = kMemoriaTabelle;
      esito = cercaTerne(corsa, primi, pausa, tabellePronte);
    } else {
      attendiRisposta(corsa);
    }
  } catch (const std::bad_alloc&) {
    avvisaSuErrori(corsa.err, perCosa);
    attesaFinale(corsa);
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
  Corsa corsa{in, out, err, numero(), numero()};
  int esito = eseguiFasi(corsa, pausa, tabellePronte);
  if (!(out << std::flush) && esito == 0) {
    avvisaSuErrori(err, kConsole);
    esito = kUscitaConPerdita;
  }
  return esito;
}
