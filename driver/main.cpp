// terne: lists the Pythagorean triples one of whose legs lies in a range typed by the user.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "driver/esecuzione.h"
#include "sistema/interruzione.h"
#include "sistema/opzioni.h"
#include "sistema/uscita.h"

namespace {

const char kUso[] =
    "Uso: terne\n"
    "\n"
    "Chiede due numeri, M e N, e cerca le terne pitagoriche con un cateto da M a N: scrive\n"
    "ogni terna nuova, si ferma un secondo dopo ciascuna e le mette nel file\n"
    "triadiRettangoleM-N.txt della cartella di lavoro. Legge numeriPrimi.txt e le tabelle\n"
    "Combinations04.txt ... Combinations19.txt, che terne-prepara scrive; terne-cerca fa la\n"
    "stessa ricerca senza domande e senza pause.\n"
    "\n"
    "Opzioni:\n"
    "  -h, --help  mostra questo aiuto ed esce\n"
    "  --version   mostra la versione e la licenza ed esce\n";

}  // namespace

int main(int argc, char** argv) {
  apriDescrittoriStandard();
  if (argc > 1) {
    std::vector<std::string> operandi;
    const int esito = leggiOpzioni(
        argc, argv, {"terne", kUso, {}}, [](int, const char*) { return true; }, operandi);
    if (esito >= 0) return esito;
    usoSbagliato("terne", "nessun argomento, per favore: i numeri si chiedono sulla console");
    return 2;
  }
  // A console that goes away, or a results file beyond the size limit of the shell (ulimit -f),
  // is a failed write, which the run notices and handles.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  return esegui(std::cin, std::cout, std::cerr, pausaDiUnSecondo);
}
