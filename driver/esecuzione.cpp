#include "driver/esecuzione.h"

#include <fstream>

#include "primes/primi.h"
#include "results/terne.h"

namespace {

void stampaBanner(std::ostream& out) {
  out << "Questo programma calcola le triadiRettangole aventi uno dei cateti compreso tra M e N, "
         "inclusi.\n"
      << "Nota: non tutte le terne, solo se la scomposizione in fattori primi del cateto\n"
      << "genera al piu' 9 fattori.\n"
      << "Ogni terna nuova compare subito e finisce nel file dei risultati.\n\n";
}

// Asks until the answer lies in 1 … kCatetoMassimo. False when the input ends first.
bool chiediEstremo(const char* domanda, numero& valore, std::istream& in, std::ostream& out) {
  valore = 0;
  while (valore < 1 || valore > numero(kCatetoMassimo)) {
    if (valore > numero(kCatetoMassimo)) out << "Il valore massimo ammesso e' 65535.\n";
    out << domanda;
    in >> valore;
    if (!in && (valore < 1 || valore > numero(kCatetoMassimo))) return false;
  }
  return true;
}

// The wait for one answer that ends the run; any letter and Enter will do.
void attendiRisposta(std::istream& in, numero& N) {
  in >> N;
}

void chiudi(std::ofstream& file, std::istream& in, std::ostream& out, numero& N) {
  out << "\n\n"
      << "Inserire una lettera e premere invio per terminare... ";
  file.close();
  attendiRisposta(in, N);
}

void avvisaInterruzione(const numero& ultimo, const stringa& nome, std::ostream& out) {
  out << "\nRicerca interrotta dopo il cateto " << ultimo << ": il file " << nome.str
      << " contiene tutte le terne trovate fino a quel cateto.\n"
      << std::flush;
}

// Phases from the combination tables to the closing; the tables, the results file and its
// name live here, so they exist only once the prime table is complete.
void cercaTerne(numero& M, numero& N, _myElement* primi, std::istream& in, std::ostream& out,
                const Pausa& pausa, Combinatorial (*tabellePronte)[kTabelle]) {
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
           "l'operazione. Inserire un carattere e premere invio per terminare... ";
    attendiRisposta(in, N);
    return;
  }
  stringa nome;
  std::ofstream file;
  if (!apriFileRisultati(M, N, nome, file, out)) {
    attendiRisposta(in, N);
    return;
  }
  _pTerne* head = nullptr;
  _pTerne* tail = nullptr;
  numero ultimo;
  const bool interrotta = cicloCateti(M, N, primi, tabelle, &head, &tail, file, out, pausa, ultimo);
  rilasciaTerne(head);
  if (interrotta) {
    file.close();
    avvisaInterruzione(ultimo, nome, out);
    return;
  }
  chiudi(file, in, out, N);
}

}  // namespace

int esegui(std::istream& in, std::ostream& out, const Pausa& pausa,
           Combinatorial (*tabellePronte)[kTabelle]) {
  in.tie(&out);
  stampaBanner(out);
  numero M;
  numero N;
  if (!chiediEstremo("Inserisci il valore di M>0: ", M, in, out) ||
      !chiediEstremo("Inserisci il valore di N>0: ", N, in, out)) {
    out << "\n" << std::flush;
    return 0;
  }
  _myElement* primi = nullptr;
  if (caricaFasePrimi(N, primi, out)) {
    cercaTerne(M, N, primi, in, out, pausa, tabellePronte);
  } else {
    attendiRisposta(in, N);
  }
  rilasciaLista(primi);
  out << std::flush;
  return 0;
}
