// terne: lists the Pythagorean triples one of whose legs lies in a range typed by the user.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "driver/esecuzione.h"
#include "sistema/interruzione.h"
#include "sistema/nomi.h"
#include "sistema/opzioni.h"
#include "sistema/uscita.h"

namespace {

const char kUso[] =
    "Uso: terne\n"
    "\n"
    "Chiede due numeri, M e N, e cerca le terne pitagoriche con un cateto da M a N:\n"
    "scrive ogni terna nuova, si ferma un secondo dopo ciascuna e le mette nel file\n"
    "triadiRettangoleM-N.txt della cartella di lavoro. Legge numeriPrimi.txt e le\n"
    "tabelle Combinations04.txt ... Combinations19.txt, che terne-prepara scrive;\n"
    "terne-cerca fa la stessa ricerca senza domande e senza pause.\n"
    "\n"
    "Opzioni:\n"
    "  -h, --help  mostra questo aiuto ed esce\n"
    "  --version   mostra la versione e la licenza ed esce\n"
    "\n"
    "Codice di uscita: 0 se nulla e' andato perso; 1 se i risultati non si sono\n"
    "potuti scrivere o sono andati persi, se la memoria non e' bastata o la console\n"
    "non accettava piu' scritture; 2 per un uso sbagliato.\n";

}  // namespace

int main(int argc, char** argv) {
  apriDescrittoriStandard();
  if (argc > 1) {
    const Comando comando{"terne", kUso, {}};
    std::vector<std::string> operandi;
    const int esito = leggiOpzioni(
        argc, argv, comando, [](int, const char*) { return ""; }, operandi);
    if (esito >= 0) return esito;
    return usoSbagliato(comando, "argomento non previsto: '" + leggibile(operandi[0]) +
                                     "'; i numeri si chiedono sulla console");
  }
  // A console that goes away, or a results file beyond the size limit of the shell (ulimit -f),
  // is a failed write, which the run notices and handles.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  return esegui(std::cin, std::cout, std::cerr, pausaDiUnSecondo);
}
