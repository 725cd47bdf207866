// Every moment of a run's writing, one at a time: terne and terne-cerca over a stretch of legs,
// with a stop signal raised just before the K-th writing call on the results file (a write, the
// sync, the close), then with that call failing as on a full disk, for every K. Whatever the
// moment, the run ends as README says, tells what it did, and leaves the file of whole legs
// that it names. terne writes each leg's records at once: over 1 … 150 the last hundred legs
// and the wrap-up are all its calls; terne-cerca gathers them, and 1 … 3000 gives it several.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "combinatorial/caricamento.h"
#include "driver/ricerca.h"
#include "e2e/processo.h"
#include "primes/primi.h"

namespace {

using namespace e2e;

// The file of a run of 1 … N, and for every K the length of its part that a run of 1 … K writes:
// the records of the legs up to K, which come first since records follow their legs.
struct Riferimento {
  std::string intero;
  std::vector<size_t> finoA;  // by K, from 0
};

Riferimento CalcolaRiferimento(int ultimo) {
  Riferimento r;
  DentroCartella dentro(TERNE_DATI);
  Combinatorial tabelle[kTabelle];
  std::ostringstream ignorato;
  EXPECT_EQ(caricaTabelle(tabelle, ignorato), 0);
  _myElement* primi = new _myElement;
  EXPECT_EQ(caricaPrimi("numeriPrimi.txt", numero(ultimo + 1), primi), 1);
  const int fd = memfd_create("riferimento", MFD_CLOEXEC);
  {
    FileRisultati file;
    file.usa(fd);
    TernePendenti pendenti;
    Suddivisioni suddivisioni(tabelle);
    const Pausa nessuna = [] {};
    ContestoRicerca ricerca{primi, suddivisioni, pendenti, file, nullptr, nessuna};
    r.finoA.push_back(0);
    ricerca.dopoCateto = [&](const numero& a) {
      size_t lunghezza = r.finoA.back();
      for (_pTerne* t = pendenti.head(); t != nullptr && t->cateto == a; t = t->next) {
        lunghezza += std::strlen(t->terna.str) + 1;
      }
      r.finoA.push_back(lunghezza);
    };
    cicloCateti(numero(1), numero(ultimo), ricerca);
  }
  rilasciaLista(primi);
  r.intero.resize(static_cast<size_t>(lseek(fd, 0, SEEK_END)));
  EXPECT_EQ(pread(fd, r.intero.data(), r.intero.size(), 0), static_cast<ssize_t>(r.intero.size()));
  close(fd);
  EXPECT_EQ(r.finoA.back(), r.intero.size());
  return r;
}

// How one program is run over 1 … ultimo, and how its ends read.
struct Programma {
  const char* nome;
  int ultimo;
  std::string binario;
  std::vector<std::string> argomenti;
  std::string ingresso;
  int codiceFermata;      // the exit code of a stop by SIGINT
  bool messaggiSuUscita;  // its messages come on standard output (terne's dialogue)
  std::string fermata;    // how the messages of a stop end, as a pattern
  std::string pieno;      // how those of a full disk end
};

struct Corsa {
  int stato;
  std::string messaggi;
  std::string file;
};

Corsa Esegui(const Programma& prog, Opzioni opzioni) {
  CartellaProva cartella("spazzata");
  opzioni.senzaPausa = true;
  Processo p(prog.binario, cartella.percorso, prog.argomenti, opzioni);
  p.Scrivi(prog.ingresso);
  p.ChiudiIngresso();
  const int stato = p.Attendi(60s);
  if (prog.messaggiSuUscita) {  // the lines after the dialogue's own, up to the tables
    const std::string console = p.UscitaGrezza();
    EXPECT_EQ(testi::RigheLunghe(console.substr(console.find(testi::Tabelle()))), "");
  }
  return {stato, (prog.messaggiSuUscita ? p.Uscita() : "") + p.Errori(),
          cartella.Leggi("triadiRettangole1-" + std::to_string(prog.ultimo) + ".txt")};
}

// The leg up to which a message says the file holds every triple: "fino al cateto K", "dopo il
// cateto K: … fino a quel cateto", 0 for "nessuna terna"; -1 when it says none of these.
int CatetoSalvato(const std::string& messaggi) {
  std::smatch m;
  if (std::regex_search(messaggi, m, std::regex("fino al cateto ([0-9]+)"))) return std::stoi(m[1]);
  if (std::regex_search(messaggi, m,
                        std::regex("dopo il cateto ([0-9]+): il file [^ ]+ contiene "
                                   "tutte le terne trovate fino a quel cateto"))) {
    return std::stoi(m[1]);
  }
  return messaggi.find("non contiene nessuna terna") != std::string::npos ? 0 : -1;
}

void Spazza(const Programma& prog) {
  const Riferimento rif = CalcolaRiferimento(prog.ultimo);
  const std::string conteggio = (std::filesystem::temp_directory_path() /
                                 ("conteggio_" + std::to_string(getpid()) + prog.nome))
                                    .string();
  const Corsa intera = Esegui(prog, {.conteggio = conteggio.c_str()});
  ASSERT_EQ(intera.stato, 0);
  ASSERT_EQ(intera.file, rif.intero);
  std::ifstream letto(conteggio);
  long chiamate = 0;
  letto >> chiamate;
  std::filesystem::remove(conteggio);
  ASSERT_GE(chiamate, 5);  // several writes, a sync, a close
#ifdef TERNE_SANITIZZATO
  const long passo = 7;  // slow runs: a sample, with every call of the wrap-up
#else
  const long passo = 1;
#endif
  for (const char* azione : {"SIGINT", "ENOSPC"}) {
    for (long k = 1; k <= chiamate; k += (chiamate - k < 12 ? 1 : passo)) {
      SCOPED_TRACE(std::string(prog.nome) + " " + azione + " alla chiamata " + std::to_string(k));
      const Corsa c = Esegui(prog, {.chiamata = k, .azione = azione});
      ASSERT_TRUE(c.stato >= 0 && WIFEXITED(c.stato)) << "stato " << c.stato;
      const int codice = WEXITSTATUS(c.stato);
      const bool fermata = std::string(azione) == "SIGINT";
      EXPECT_EQ(codice, fermata ? prog.codiceFermata : 1);
      EXPECT_TRUE(
          std::regex_search(c.messaggi, std::regex((fermata ? prog.fermata : prog.pieno) + "$")))
          << c.messaggi.substr(c.messaggi.size() > 300 ? c.messaggi.size() - 300 : 0);
      EXPECT_TRUE(c.file.empty() || c.file.back() == '\n');
      const int salvato = CatetoSalvato(c.messaggi);
      ASSERT_GE(salvato, 0) << c.messaggi;
      EXPECT_EQ(c.file, rif.intero.substr(0, rif.finoA[static_cast<size_t>(salvato)]));
    }
  }
}

// "il file NOME contiene tutte le terne trovate fino al cateto K", or that it holds none.
std::string Contiene(const std::string& nome) {
  return "il file " + nome +
         " (contiene tutte le terne trovate fino al cateto [0-9]+|non contiene nessuna terna)";
}

TEST(Spazzata, TerneAtEveryWritingCall) {
  const std::string nome = "triadiRettangole1-150\\.txt";
  Spazza({"terne",
          150,
          TERNE_BIN,
          {},
          "1\n150\nx\n",
          0,
          true,
          "\nRicerca interrotta dopo il cateto [0-9]+: il file " + nome +
              " contiene tutte le terne trovate fino a quel cateto\\.\n",
          "\nScrittura non riuscita \\(spazio esaurito sul disco\\): " + Contiene(nome) +
              "\\.\n\n\nInserire una lettera e premere invio per terminare\\.\\.\\. "});
}

TEST(Spazzata, TerneCercaAtEveryWritingCall) {
  const std::string nome = "triadiRettangole1-3000\\.txt";
  Spazza({"terne-cerca",
          3000,
          CERCA_BIN,
          {"-q", "1", "3000"},
          "",
          128 + SIGINT,
          false,
          "^terne-cerca: ricerca interrotta dopo il cateto [0-9]+: " + Contiene(nome) + "\\.\n",
          "^terne-cerca: scrittura non riuscita \\(spazio esaurito sul disco\\): " +
              Contiene(nome) + "\\.\n"});
}

}  // namespace
