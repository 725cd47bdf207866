// End-to-end tests: the built terne and terne-prepara run in scratch folders with real input
// files and real standard input; their whole console output and results files are compared.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "e2e/cartella_prova.h"

namespace {

using namespace std::chrono_literals;
using testi::Completa;
using testi::Terna;

// How a program is started, beyond its arguments.
struct Opzioni {
  bool senzaPausa = false;      // every pause preloaded away
  long limiteScrittura = -1;    // the results file takes that many bytes, then the disk is full
  bool scritturaNulla = false;  // beyond it a write returns 0 and sets no error number
  long fermaDopo = -1;          // the program stops itself once the file holds that many bytes
  const char* fsyncGuasto = nullptr;  // syncing the results file fails: "1" (EIO) or "EINVAL"
  const char* uscita = nullptr;       // standard output goes there instead of a capture file
  int chiudiUscitaDopo = -1;          // standard output is a pipe the test closes after those lines
  rlim_t memoria = 0;                 // a limit on the address space, in bytes
  rlim_t limiteFile = 0;              // a limit on the size of the files it writes, in bytes
};

// A program started in a folder, its standard output and error captured in files there.
class Processo {
 public:
  Processo(const std::string& programma, const std::filesystem::path& cartella,
           const std::vector<std::string>& argomenti = {}, const Opzioni& o = {})
      : uscita_(cartella / ".uscita"), errori_(cartella / ".errori") {
    int tubo[2];
    int tuboUscita[2] = {-1, -1};
    EXPECT_EQ(pipe(tubo), 0);
    if (o.chiudiUscitaDopo >= 0) {
      EXPECT_EQ(pipe(tuboUscita), 0);
    }
    pid_ = fork();
    if (pid_ == 0) {
      dup2(tubo[0], 0);
      close(tubo[0]);
      close(tubo[1]);
      if (chdir(cartella.c_str()) != 0) _exit(127);
      Prepara(o);
      const char* uscita = (o.uscita != nullptr) ? o.uscita : uscita_.c_str();
      if (o.chiudiUscitaDopo >= 0) {
        dup2(tuboUscita[1], 1);
        close(tuboUscita[0]);
        close(tuboUscita[1]);
      } else {
        dup2(open(uscita, O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
      }
      dup2(open(errori_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
      std::vector<char*> argv = {const_cast<char*>(programma.c_str())};
      for (const auto& a : argomenti) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(programma.c_str(), argv.data());
      _exit(127);
    }
    close(tubo[0]);
    ingresso_ = tubo[1];
    if (o.chiudiUscitaDopo >= 0) {
      close(tuboUscita[1]);
      uscitaTubo_ = tuboUscita[0];
    }
  }
  ~Processo() {
    if (ingresso_ >= 0) close(ingresso_);
    if (uscitaTubo_ >= 0) close(uscitaTubo_);
    if (stato_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  void Scrivi(const std::string& testo) {
    EXPECT_EQ(write(ingresso_, testo.data(), testo.size()), static_cast<ssize_t>(testo.size()));
  }
  void ChiudiIngresso() {
    close(ingresso_);
    ingresso_ = -1;
  }
  void Segnala(int segnale) { kill(pid_, segnale); }
  // Waits until the program has stopped itself; false when it ended or time ran out first.
  bool AttendiFermo(std::chrono::seconds limite = 60s) {
    const auto fine = std::chrono::steady_clock::now() + limite;
    while (stato_ < 0 && std::chrono::steady_clock::now() < fine) {
      int stato = 0;
      const pid_t pid = waitpid(pid_, &stato, WNOHANG | WUNTRACED);
      if (pid == pid_ && WIFSTOPPED(stato)) return true;
      if (pid == pid_) stato_ = stato;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }
  // Reads the output pipe until `righe` lines have come, then closes it, as `head` does.
  void ChiudiUscitaDopo(int righe) {
    char c = 0;
    while (righe > 0 && read(uscitaTubo_, &c, 1) == 1) righe -= (c == '\n');
    close(uscitaTubo_);
    uscitaTubo_ = -1;
  }

  // The wait status once the program ended within the time given, -1 otherwise.
  int Attendi(std::chrono::milliseconds limite = 60s) {
    const auto fine = std::chrono::steady_clock::now() + limite;
    while (stato_ < 0 && std::chrono::steady_clock::now() < fine) {
      int stato = 0;
      if (waitpid(pid_, &stato, WNOHANG) == pid_) {
        stato_ = stato;
      } else {
        std::this_thread::sleep_for(5ms);
      }
    }
    return stato_;
  }
  // Waits until the console shows `testo`; false when the program ended or time ran out first.
  bool AttendiTesto(const std::string& testo, std::chrono::milliseconds limite = 30s) {
    const auto fine = std::chrono::steady_clock::now() + limite;
    while (std::chrono::steady_clock::now() < fine) {
      if (Uscita().find(testo) != std::string::npos) return true;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }
  std::string Uscita() const { return LeggiFile(uscita_); }
  std::string Errori() const { return LeggiFile(errori_); }

 private:
  static std::string LeggiFile(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  // In the child, before the program starts.
  static void Prepara(const Opzioni& o) {
    std::string preload;
    if (o.senzaPausa) preload = SENZA_PAUSA_LIB;
    if (o.limiteScrittura >= 0 || o.fermaDopo >= 0 || o.fsyncGuasto != nullptr) {
      preload += std::string(preload.empty() ? "" : " ") + DISCO_GUASTO_LIB;
    }
    if (o.limiteScrittura >= 0) {
      setenv("TERNE_LIMITE_SCRITTURA", std::to_string(o.limiteScrittura).c_str(), 1);
    }
    if (o.scritturaNulla) setenv("TERNE_SCRITTURA_NULLA", "1", 1);
    if (o.fermaDopo >= 0) setenv("TERNE_FERMA_DOPO", std::to_string(o.fermaDopo).c_str(), 1);
    if (o.fsyncGuasto != nullptr) setenv("TERNE_FSYNC_GUASTO", o.fsyncGuasto, 1);
    if (!preload.empty()) {
      setenv("LD_PRELOAD", preload.c_str(), 1);
      setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    }
    if (o.memoria > 0) {
      const rlimit limite = {o.memoria, o.memoria};
      setrlimit(RLIMIT_AS, &limite);
    }
    if (o.limiteFile > 0) {
      const rlimit limite = {o.limiteFile, o.limiteFile};
      setrlimit(RLIMIT_FSIZE, &limite);
    }
  }
  std::filesystem::path uscita_, errori_;
  pid_t pid_ = -1;
  int ingresso_ = -1;
  int uscitaTubo_ = -1;
  int stato_ = -1;
};

struct Esito {
  std::string uscita;
  int codice;  // exit code, or -1 when the program did not end normally in time
};

// Runs terne with the whole standard input given and closed.
Esito Terne(const CartellaProva& cartella, const std::string& ingresso) {
  Processo p(TERNE_BIN, cartella.percorso);
  p.Scrivi(ingresso);
  p.ChiudiIngresso();
  const int stato = p.Attendi();
  EXPECT_EQ(p.Errori(), "");
  return {p.Uscita(), (stato >= 0 && WIFEXITED(stato)) ? WEXITSTATUS(stato) : -1};
}

const char kConservato[] =
    "Il file triadiRettangole4-4.txt c'era gia': e' stato conservato come "
    "triadiRettangole4-4.txt~.\n";

const char kPrimiMancanti[] =
    "\n Il file numeriPrimi.txt non e'  stato trovato. Creare prima il file numeriPrimi.txt. "
    "Inserire un carattere e premere invio per terminare... "
    "\n Per crearlo, nella cartella di lavoro: terne-prepara\n";

std::string PrimiInsufficienti(int n) {
  return "Nel file numeriPrimi.txt non ci sono abbastanza numeri primi per calcolare i fattori "
         "di " +
         std::to_string(n) +
         ". \n Calcolare piu' numeri primi e poi ripetere l'operazione. \n Inserire un carattere "
         "e premere invio per terminare... \n Per calcolarli, nella cartella di lavoro: "
         "terne-prepara --forza --fino-a " +
         std::to_string(n) + "\n";
}

std::string TabellaGuasta(const std::string& nome) {
  return "\n Il file " + nome +
         " manca o e' danneggiato. Prepararlo di nuovo con terne-prepara e poi ripetere "
         "l'operazione. Inserire un carattere e premere invio per terminare... \n Per "
         "prepararlo di nuovo, nella cartella di lavoro: terne-prepara\n";
}

std::string Inizio(int domandeM = 1, int domandeN = 1) {
  std::string s = testi::Banner();
  for (int i = 0; i < domandeM; ++i) s += testi::kDomandaM;
  for (int i = 0; i < domandeN; ++i) s += testi::kDomandaN;
  return s;
}

TEST(Terne, SmallRangesPrintEveryNewTripleAndWriteTheResultsFile) {
  const struct {
    const char* ingresso;
    const char* file;
    std::string console;
    std::string risultati;
  } casi[] = {
      {"6\n8\nx\n", "triadiRettangole6-8.txt", Completa(Terna(8, 6, 10) + Terna(15, 8, 17)),
       "6,8,10\n8,15,17\n"},
      {"12\n12\nx\n", "triadiRettangole12-12.txt",
       Completa(Terna(35, 12, 37) + Terna(16, 12, 20) + Terna(9, 12, 15)),
       "12,35,37\n12,16,20\n9,12,15\n"},
      {"8\n8\nx\n", "triadiRettangole8-8.txt", Completa(Terna(15, 8, 17) + Terna(6, 8, 10)),
       "8,15,17\n6,8,10\n"},
      {"4\n4\nx\n", "triadiRettangole4-4.txt", Completa(Terna(3, 4, 5)), "3,4,5\n"},
      {"9\n5\nx\n", "triadiRettangole9-5.txt", Completa(""), ""},
      {"1024\n1024\nx\n", "triadiRettangole1024-1024.txt", Completa(""), ""},
  };
  for (const auto& c : casi) {
    CartellaProva cartella("piccoli");
    const Esito e = Terne(cartella, c.ingresso);
    EXPECT_EQ(e.codice, 0) << c.ingresso;
    EXPECT_EQ(e.uscita, c.console) << c.ingresso;
    EXPECT_EQ(cartella.Leggi(c.file), c.risultati) << c.ingresso;
  }
}

TEST(Terne, PromptsComeBackUntilTheAnswerIsInRange) {
  const std::string massimo = "Il valore massimo ammesso e' 65535.\n";
  const struct {
    const char* nome;
    std::string ingresso;
    std::string console;
  } casi[] = {
      {"zero e riga vuota", "0\n\n7\n7\nx\n", Inizio(3) + testi::Tabelle() + testi::kChiusura},
      {"x7", "x7\n7\nx\n", Inizio(2) + testi::Tabelle() + testi::kChiusura},
      {"oltre il massimo", "65536\n7\n99999999999\n7\nx\n",
       testi::Banner() + testi::kDomandaM + massimo + testi::kDomandaM + testi::kDomandaN +
           massimo + testi::kDomandaN + testi::Tabelle() + testi::kChiusura},
      {"quaranta cifre", std::string(40, '9') + "\n7\n7\nx\n",
       testi::Banner() + testi::kDomandaM + massimo + testi::kDomandaM + testi::kDomandaN +
           testi::Tabelle() + testi::kChiusura},
      {"fine dell'ingresso a M", "", Inizio(1, 0) + "\n"},
      {"fine dell'ingresso a N", "5\n", Inizio() + "\n"},
      {"fine dell'ingresso dopo N", "7\n7", Inizio() + testi::Tabelle() + testi::kChiusura},
      {"fine dell'ingresso dopo valori fuori", "0\n0", Inizio(2, 0) + "\n"},
  };
  for (const auto& c : casi) {
    CartellaProva cartella("domande");
    const Esito e = Terne(cartella, c.ingresso);
    EXPECT_EQ(e.codice, 0) << c.nome;
    EXPECT_EQ(e.uscita, c.console) << c.nome;
  }
}

TEST(Terne, EveryByteOnStandardInputIsHandled) {
  std::string ogniByte;
  for (int b = 0; b < 256; ++b) ogniByte += static_cast<char>(b);
  for (const std::string& ingresso : {ogniByte, "7\n" + ogniByte, "7\n7\n" + ogniByte}) {
    CartellaProva cartella("byte");
    const Esito e = Terne(cartella, ingresso);
    EXPECT_EQ(e.codice, 0);
    EXPECT_EQ(e.uscita.rfind(testi::Banner(), 0), 0u);
  }
}

TEST(Terne, AnAnswerLikeTwelveAbcLeavesTheRestForTheClosingWait) {
  CartellaProva cartella("12abc");
  Processo p(TERNE_BIN, cartella.percorso);
  p.Scrivi("13\n12abc\n");  // standard input stays open: only the 'b' can end the wait
  const int stato = p.Attendi(30s);
  ASSERT_GE(stato, 0) << "terne is still waiting";
  EXPECT_TRUE(WIFEXITED(stato) && WEXITSTATUS(stato) == 0);
  EXPECT_EQ(p.Uscita(), Completa(""));
}

TEST(Terne, PrimeTableFaultsEndTheRunAfterOneAnswer) {
  const struct {
    const char* nome;
    std::string primi;  // "-": no file
    std::string ingresso;
    std::string console;
  } casi[] = {
      {"mancante", "-", "7\n10\nx\n", Inizio() + kPrimiMancanti},
      {"vuoto", "", "7\n10\nx\n", Inizio() + PrimiInsufficienti(10)},
      {"troppo corto", "2\t3\t5\n", "7\n10\nx\n", Inizio() + PrimiInsufficienti(10)},
      {"solo a capo", "\n", "7\n100\nx\n", Inizio() + PrimiInsufficienti(100)},
      {"M e N al massimo ammesso", "2\t3\n", "65535\n65535\nx\n",
       Inizio() + PrimiInsufficienti(65535)},
      {"lettere e campi vuoti", "2\t3\t\tcinque\t5\t7\n11\n", "6\n8\nx\n",
       Completa(Terna(8, 6, 10) + Terna(15, 8, 17))},
      {"CRLF", "2\r\n3\r\n5\r\n7\r\n11\r\n", "6\n8\nx\n",
       Completa(Terna(8, 6, 10) + Terna(15, 8, 17))},
  };
  for (const auto& c : casi) {
    CartellaProva cartella("primi");
    cartella.Rimuovi("numeriPrimi.txt");
    if (c.primi != "-") cartella.Scrivi("numeriPrimi.txt", c.primi);
    const Esito e = Terne(cartella, c.ingresso);
    EXPECT_EQ(e.codice, 0) << c.nome;
    EXPECT_EQ(e.uscita, c.console) << c.nome;
  }
  CartellaProva cartella("primi_nessun_file");
  cartella.Rimuovi("numeriPrimi.txt");
  Terne(cartella, "7\n10\nx\n");
  EXPECT_FALSE(cartella.Esiste("triadiRettangole7-10.txt"));
}

std::string NomeTabella(int n) {
  return "Combinations" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".txt";
}

// Damages each of the sixteen tables in turn: the run names it and stops before the search.
void ControllaTabelleGuaste(const std::function<std::string(const std::string&)>& guasta) {
  for (int n = 4; n <= 19; ++n) {
    CartellaProva cartella("tabelle");
    const std::string nome = NomeTabella(n);
    const std::string buona = cartella.Leggi(nome);
    cartella.Rimuovi(nome);
    const std::string guastata = guasta(buona);
    if (guastata != "-") cartella.Scrivi(nome, guastata);
    const Esito e = Terne(cartella, "6\n8\nx\n");
    EXPECT_EQ(e.codice, 0) << nome;
    EXPECT_EQ(e.uscita, Inizio() + testi::Tabelle(n - 1) + TabellaGuasta(nome)) << nome;
    EXPECT_FALSE(cartella.Esiste("triadiRettangole6-8.txt")) << nome;
  }
}

TEST(TabelleGuaste, EachMissingTableIsNamed) {
  ControllaTabelleGuaste([](const std::string&) { return std::string("-"); });
}

TEST(TabelleGuaste, EachTableTruncatedInABodyLineIsNamed) {
  ControllaTabelleGuaste([](const std::string& buona) {
    const size_t inizioUltima = buona.rfind('\n', buona.size() - 2) + 1;
    return buona.substr(0, (inizioUltima + buona.size()) / 2);
  });
}

TEST(TabelleGuaste, EachTableWithOneDigitChangedIsNamed) {
  ControllaTabelleGuaste([](const std::string& buona) {
    std::string cambiata = buona;
    size_t i = cambiata.size() / 2;
    while (cambiata[i] < '0' || cambiata[i] > '9') ++i;
    cambiata[i] = (cambiata[i] == '1') ? '2' : '1';
    return cambiata;
  });
}

TEST(Terne, AResultsFileThatCannotBeCreatedEndsTheRunBeforeAnyLeg) {
  CartellaProva cartella("risultati");
  std::filesystem::create_directory(cartella / "triadiRettangole6-8.txt");
  const Esito e = Terne(cartella, "6\n8\nx\n");
  EXPECT_EQ(e.codice, 0);
  EXPECT_EQ(e.uscita, Inizio() + testi::Tabelle() +
                          "\n Il file triadiRettangole6-8.txt non puo' essere creato. Controllare "
                          "la cartella di lavoro e ripetere l'operazione. Inserire un carattere e "
                          "premere invio per terminare... ");
}

// The leg after "fino al cateto " in a message, -1 when there is none.
int CatetoNominato(const std::string& messaggio) {
  const std::string chiave = "fino al cateto ";
  const size_t dove = messaggio.find(chiave);
  return dove == std::string::npos ? -1 : std::stoi(messaggio.substr(dove + chiave.size()));
}

// The results file that a complete run of M … K writes.
std::string FileDiUnaRicerca(int m, int k) {
  CartellaProva riferimento("riferimento");
  Processo p(CERCA_BIN, riferimento.percorso, {"-q", std::to_string(m), std::to_string(k)});
  EXPECT_EQ(p.Attendi(120s), 0);
  return riferimento.Leggi("triadiRettangole" + std::to_string(m) + "-" + std::to_string(k) +
                           ".txt");
}

// Failed writes, failed reads and memory running out: never a crash, a hang or a silent loss.
// Where results are lost the exit code is 1 and the file holds exactly the whole legs M … K
// that the message names.
TEST(Guasti, EveryFailureIsToldAndTheFileKeepsWholeLegs) {
  const std::string pieno = "\nScrittura non riuscita (spazio esaurito sul disco): il file ";
  const std::string mille = "triadiRettangole1-3000.txt";
  const struct {
    const char* nome;
    std::function<void(const CartellaProva&)> prepara;
    const char* ingresso;
    Opzioni opzioni;
    int codice;
    std::function<void(const Processo&, const CartellaProva&)> controlla;
    // With fermaDopo: what the test does while the program is held, before it goes on.
    std::function<void(Processo&, const CartellaProva&)> durante = nullptr;
    std::vector<std::string> cerca = {};  // terne-cerca with these arguments instead of terne
  } casi[] = {
      {"disco pieno da subito",
       [](const CartellaProva&) {},
       "4\n4\nx\n",
       {.senzaPausa = true, .limiteScrittura = 0},
       1,
       [&](const Processo& p, const CartellaProva&) {
         EXPECT_EQ(p.Uscita(), Inizio() + testi::Tabelle() + Terna(3, 4, 5) + pieno +
                                   "triadiRettangole4-4.txt non contiene nessuna terna.\n" +
                                   testi::kChiusura);
         EXPECT_EQ(p.Errori(), "");
       }},
      {"disco pieno dopo 16 KiB",
       [](const CartellaProva&) {},
       "1\n3000\nx\n",
       {.senzaPausa = true, .limiteScrittura = 16384},
       1,
       [&](const Processo& p, const CartellaProva& c) {
         const std::string u = p.Uscita();
         const int k = CatetoNominato(u);
         ASSERT_GT(k, 100) << u.substr(u.size() - 300);
         const std::string fine = pieno + mille +
                                  " contiene tutte le terne trovate fino al "
                                  "cateto " +
                                  std::to_string(k) + ".\n" + testi::kChiusura;
         EXPECT_EQ(u.substr(u.size() - fine.size()), fine);
         EXPECT_EQ(c.Leggi(mille), FileDiUnaRicerca(1, k));
       }},
      {"sincronizzazione col disco non riuscita",
       [](const CartellaProva&) {},
       "4\n4\nx\n",
       {.senzaPausa = true, .fsyncGuasto = "1"},
       1,
       [](const Processo& p, const CartellaProva& c) {
         EXPECT_EQ(p.Uscita(), Inizio() + testi::Tabelle() + Terna(3, 4, 5) +
                                   "\nScrittura non riuscita (errore di lettura o scrittura sul "
                                   "dispositivo): il file triadiRettangole4-4.txt contiene tutte "
                                   "le terne trovate fino al cateto 4.\n" +
                                   testi::kChiusura);
         EXPECT_EQ(c.Leggi("triadiRettangole4-4.txt"), "3,4,5\n");
       }},
      {"una scrittura che non prende nulla e non dice perche'",
       [](const CartellaProva&) {},
       "1\n3000\nx\n",
       {.senzaPausa = true, .limiteScrittura = 16384, .scritturaNulla = true},
       1,
       [&](const Processo& p, const CartellaProva& c) {
         const int k = CatetoNominato(p.Uscita());
         EXPECT_NE(p.Uscita().find("\nScrittura non riuscita (errore di lettura o scrittura sul "
                                   "dispositivo): il file " +
                                   mille + " contiene tutte le terne trovate fino al cateto " +
                                   std::to_string(k) + ".\n"),
                   std::string::npos);
         EXPECT_EQ(c.Leggi(mille), FileDiUnaRicerca(1, k));
       }},
      {"un file che non si puo' sincronizzare, come un dispositivo",
       [](const CartellaProva&) {},
       "4\n4\nx\n",
       {.senzaPausa = true, .fsyncGuasto = "EINVAL"},
       0,
       [](const Processo& p, const CartellaProva& c) {
         EXPECT_EQ(p.Uscita(), Completa(Terna(3, 4, 5)));
         EXPECT_EQ(c.Leggi("triadiRettangole4-4.txt"), "3,4,5\n");
       }},
      {"un file precedente e' conservato",
       [](const CartellaProva& c) { c.Scrivi("triadiRettangole4-4.txt", "vecchio\n"); },
       "4\n4\nx\n",
       {.senzaPausa = true},
       0,
       [](const Processo& p, const CartellaProva& c) {
         EXPECT_EQ(p.Uscita(),
                   Inizio() + testi::Tabelle() + kConservato + Terna(3, 4, 5) + testi::kChiusura);
         EXPECT_EQ(c.Leggi("triadiRettangole4-4.txt~"), "vecchio\n");
         EXPECT_EQ(c.Leggi("triadiRettangole4-4.txt"), "3,4,5\n");
       }},
      {"un collegamento simbolico al posto del file",
       [](const CartellaProva& c) {
         c.Scrivi("bersaglio.txt", "intatto\n");
         std::filesystem::create_symlink("bersaglio.txt", c / "triadiRettangole4-4.txt");
       },
       "4\n4\nx\n",
       {.senzaPausa = true},
       0,
       [](const Processo& p, const CartellaProva& c) {
         EXPECT_EQ(p.Uscita(),
                   Inizio() + testi::Tabelle() + kConservato + Terna(3, 4, 5) + testi::kChiusura);
         EXPECT_EQ(c.Leggi("bersaglio.txt"), "intatto\n");
         EXPECT_TRUE(std::filesystem::is_symlink(c / "triadiRettangole4-4.txt~"));
         EXPECT_EQ(c.Leggi("triadiRettangole4-4.txt"), "3,4,5\n");
       }},
      {"una seconda esecuzione dello stesso intervallo nella stessa cartella",
       [](const CartellaProva&) {},
       "1\n3000\nx\n",
       {.senzaPausa = true, .fermaDopo = 4096},
       0,
       [&](const Processo&, const CartellaProva& c) {
         EXPECT_EQ(c.Leggi(mille), FileDiUnaRicerca(1, 3000));
       },
       [&](Processo&, const CartellaProva& c) {
         Processo seconda(TERNE_BIN, c.percorso, {}, {.senzaPausa = true});
         seconda.Scrivi("1\n3000\nx\n");
         EXPECT_EQ(seconda.Attendi(), 0);
         EXPECT_EQ(seconda.Uscita(),
                   Inizio() + testi::Tabelle() + "\n Il file " + mille +
                       " e' gia' in scrittura da un'altra esecuzione di terne in questa cartella. "
                       "Attendere che finisca e poi ripetere l'operazione. Inserire un carattere "
                       "e premere invio per terminare... ");
       }},
      {"il file spostato durante la ricerca, un altro al suo posto, poi il disco pieno",
       [](const CartellaProva&) {},
       "1\n3000\nx\n",
       {.senzaPausa = true, .limiteScrittura = 16384, .fermaDopo = 4096},
       1,
       [&](const Processo& p, const CartellaProva& c) {
         const int k = CatetoNominato(p.Uscita());
         ASSERT_GT(k, 100);
         EXPECT_EQ(c.Leggi(mille + ".spostato"), FileDiUnaRicerca(1, k));
         EXPECT_EQ(c.Leggi(mille), "un altro file\n");
       },
       [&](Processo&, const CartellaProva& c) {
         std::filesystem::rename(c / mille, c / (mille + ".spostato"));
         c.Scrivi(mille, "un altro file\n");
       }},
      {"console chiusa durante la pausa",
       [](const CartellaProva&) {},
       "1\n300\nx\n",
       {.chiudiUscitaDopo = 5 + 16 + 1},  // the banner, the tables and the first triple
       1,
       [&](const Processo& p, const CartellaProva& c) {
         const int l = CatetoNominato(p.Errori());
         EXPECT_EQ(p.Errori(),
                   "terne: impossibile scrivere sulla console; il file "
                   "triadiRettangole1-300.txt contiene tutte le terne trovate fino "
                   "al cateto " +
                       std::to_string(l) + ".\n");
         EXPECT_EQ(c.Leggi("triadiRettangole1-300.txt"), FileDiUnaRicerca(1, l));
       }},
      {"console chiusa dopo 40 righe, come da | head -n 40",
       [](const CartellaProva&) {},
       "1\n3000\nx\n",
       {.senzaPausa = true, .chiudiUscitaDopo = 40},
       1,
       [&](const Processo& p, const CartellaProva& c) {
         const std::string e = p.Errori();
         const int l = CatetoNominato(e);
         EXPECT_EQ(e, "terne: impossibile scrivere sulla console; il file " + mille +
                          " contiene tutte le terne trovate fino al cateto " + std::to_string(l) +
                          ".\n");
         EXPECT_EQ(c.Leggi(mille), FileDiUnaRicerca(1, l));
       }},
      {"console su /dev/full",
       [](const CartellaProva&) {},
       "4\n4\nx\n",
       {.uscita = "/dev/full"},
       1,
       [](const Processo& p, const CartellaProva& c) {
         EXPECT_EQ(p.Errori(), "terne: impossibile scrivere sulla console.\n");
         EXPECT_FALSE(c.Esiste("triadiRettangole4-4.txt"));
       }},
      {"numeriPrimi.txt e' una cartella",
       [](const CartellaProva& c) {
         c.Rimuovi("numeriPrimi.txt");
         std::filesystem::create_directory(c / "numeriPrimi.txt");
       },
       "7\n10\nx\n",
       {},
       0,
       [](const Processo& p, const CartellaProva&) {
         EXPECT_EQ(p.Uscita(), Inizio() +
                                   "\n Il file numeriPrimi.txt non puo' essere letto. "
                                   "Creare di nuovo il file numeriPrimi.txt. Inserire un "
                                   "carattere e premere invio per terminare... ");
       }},
      {"Combinations07.txt e' una cartella",
       [](const CartellaProva& c) {
         c.Rimuovi("Combinations07.txt");
         std::filesystem::create_directory(c / "Combinations07.txt");
       },
       "6\n8\nx\n",
       {},
       0,
       [](const Processo& p, const CartellaProva&) {
         EXPECT_EQ(p.Uscita(), Inizio() + testi::Tabelle(6) + TabellaGuasta("Combinations07.txt"));
       }},
#ifndef TERNE_SANITIZZATO
      {"memoria insufficiente per le tabelle",
       [](const CartellaProva&) {},
       "4\n4\nx\n",
       {.memoria = 120000 * 1024},
       1,
       [](const Processo& p, const CartellaProva&) {
         EXPECT_EQ(p.Errori(),
                   "terne: memoria insufficiente (le tabelle delle combinazioni richiedono "
                   "circa 170 MB).\n");
         const std::string u = p.Uscita();
         EXPECT_EQ(u.rfind(Inizio(), 0), 0u);
         EXPECT_EQ(u.substr(u.size() - std::strlen(testi::kChiusura)), testi::kChiusura);
       }},
#endif
      {"terne-cerca: una tabella manca",
       [](const CartellaProva& c) { c.Rimuovi("Combinations07.txt"); },
       "",
       {},
       1,
       [](const Processo& p, const CartellaProva&) {
         EXPECT_EQ(p.Errori(),
                   "terne-cerca: Combinations07.txt manca o e' danneggiato. Prepararlo "
                   "di nuovo con: terne-prepara\n");
       },
       nullptr,
       {"1", "20"}},
      {"terne-cerca: M oltre N",
       [](const CartellaProva&) {},
       "",
       {},
       2,
       [](const Processo& p, const CartellaProva& c) {
         EXPECT_EQ(p.Errori(),
                   "terne-cerca: M e N vanno da 1 a 65535, con M <= N\nProvare "
                   "'terne-cerca --help'.\n");
         EXPECT_FALSE(c.Esiste("triadiRettangole9-5.txt"));
       },
       nullptr,
       {"9", "5"}},
      {"terne-cerca: numeri sbagliati",
       [](const CartellaProva&) {},
       "",
       {},
       2,
       [](const Processo& p, const CartellaProva&) {
         EXPECT_EQ(p.Errori().rfind("terne-cerca: M e N vanno da 1 a 65535", 0), 0u);
       },
       nullptr,
       {"1", "65536x"}},
      {"terne-cerca: disco pieno",
       [](const CartellaProva&) {},
       "",
       {.limiteScrittura = 16384},
       1,
       [&](const Processo& p, const CartellaProva& c) {
         const int k = CatetoNominato(p.Errori());
         ASSERT_GT(k, 100) << p.Errori();
         EXPECT_EQ(p.Errori(),
                   "terne-cerca: scrittura non riuscita (spazio esaurito sul disco): "
                   "il file " +
                       mille + " contiene tutte le terne trovate fino al cateto " +
                       std::to_string(k) + ".\n");
         EXPECT_EQ(c.Leggi(mille), FileDiUnaRicerca(1, k));
       },
       nullptr,
       {"1", "3000"}},
      {"terne-cerca: Ctrl-C",
       [](const CartellaProva&) {},
       "",
       {.fermaDopo = 4096},
       128 + SIGINT,
       [&](const Processo& p, const CartellaProva& c) {
         const int k = CatetoNominato(p.Errori());
         EXPECT_EQ(p.Errori(), "terne-cerca: ricerca interrotta dopo il cateto " +
                                   std::to_string(k) + ": il file " + mille +
                                   " contiene tutte le terne trovate fino al cateto " +
                                   std::to_string(k) + ".\n");
         EXPECT_EQ(c.Leggi(mille), FileDiUnaRicerca(1, k));
       },
       [](Processo& p, const CartellaProva&) { p.Segnala(SIGINT); },
       {"1", "3000"}},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    CartellaProva cartella("guasti");
    c.prepara(cartella);
    Processo p(c.cerca.empty() ? TERNE_BIN : CERCA_BIN, cartella.percorso, c.cerca, c.opzioni);
    p.Scrivi(c.ingresso);
    p.ChiudiIngresso();
    if (c.durante) {
      ASSERT_TRUE(p.AttendiFermo());
      c.durante(p, cartella);
      p.Segnala(SIGCONT);
    }
    if (c.opzioni.chiudiUscitaDopo >= 0) p.ChiudiUscitaDopo(c.opzioni.chiudiUscitaDopo);
    const int stato = p.Attendi(60s);
    ASSERT_TRUE(stato >= 0 && WIFEXITED(stato)) << "stato " << stato;
    EXPECT_EQ(WEXITSTATUS(stato), c.codice);
    c.controlla(p, cartella);
  }
}

// Starts terne on 1 … 200, waits for `righe` triples, sends `segnale`, and checks the clean stop.
void ControllaInterruzione(int segnale, int righe) {
  CartellaProva cartella("segnale");
  Processo p(TERNE_BIN, cartella.percorso);
  p.Scrivi("1\n200\n");
  std::string attesa;
  for (int i = 0; i < righe; ++i) attesa += "La terna";
  int viste = 0;
  const auto fine = std::chrono::steady_clock::now() + 60s;
  while (viste < righe && std::chrono::steady_clock::now() < fine) {
    const std::string u = p.Uscita();
    viste = 0;
    for (size_t q = u.find("La terna"); q != std::string::npos; q = u.find("La terna", q + 1))
      ++viste;
    std::this_thread::sleep_for(10ms);
  }
  p.Segnala(segnale);
  const int stato = p.Attendi(20s);
  ASSERT_GE(stato, 0) << strsignal(segnale);
  EXPECT_TRUE(WIFEXITED(stato) && WEXITSTATUS(stato) == 0) << strsignal(segnale);
  const std::string u = p.Uscita();
  const std::string prefisso = "\nRicerca interrotta dopo il cateto ";
  const size_t dove = u.find(prefisso);
  ASSERT_NE(dove, std::string::npos) << u;
  const int ultimo = std::stoi(u.substr(dove + prefisso.size()));
  EXPECT_EQ(u.substr(dove), prefisso + std::to_string(ultimo) +
                                ": il file triadiRettangole1-200.txt contiene tutte le terne "
                                "trovate fino a quel cateto.\n");
  CartellaProva riferimento("riferimento");
  const Esito intera = Terne(riferimento, "1\n" + std::to_string(ultimo) + "\nx\n");
  EXPECT_EQ(cartella.Leggi("triadiRettangole1-200.txt"),
            riferimento.Leggi("triadiRettangole1-" + std::to_string(ultimo) + ".txt"));
  EXPECT_EQ(u.substr(0, dove) + testi::kChiusura, intera.uscita);
}

TEST(Interruzione, SigintStopsCleanlyAndKeepsEveryResult) {
  ControllaInterruzione(SIGINT, 3);
}
TEST(Interruzione, SigtermStopsCleanlyAndKeepsEveryResult) {
  ControllaInterruzione(SIGTERM, 2);
}
TEST(Interruzione, SighupStopsCleanlyAndKeepsEveryResult) {
  ControllaInterruzione(SIGHUP, 4);
}

// The results file on disk always holds every record written so far: a run killed outright
// leaves a prefix of the full results. The run is held once its file holds 8 KiB, so the kill
// always lands in the middle of it.
TEST(Interruzione, AKilledRunLeavesAPrefixOfTheFullResults) {
  CartellaProva cartella("ucciso");
  Processo p(TERNE_BIN, cartella.percorso, {}, {.senzaPausa = true, .fermaDopo = 8192});
  p.Scrivi("1\n3000\n");
  ASSERT_TRUE(p.AttendiFermo());
  p.Segnala(SIGKILL);
  p.Attendi();
  const std::string parziale = cartella.Leggi("triadiRettangole1-3000.txt");
  const std::string completo = FileDiUnaRicerca(1, 3000);
  EXPECT_GE(parziale.size(), 8192u);
  EXPECT_LT(parziale.size(), completo.size());
  EXPECT_EQ(completo.substr(0, parziale.size()), parziale);
  EXPECT_EQ(parziale.back(), '\n');
}

// terne-cerca writes the file that terne writes, over a range that crosses the repeat window,
// in its folder, elsewhere with -C, or on standard output.
TEST(Cerca, WritesTheFileOfTerne) {
  CartellaProva cartella("cerca");
  Processo terne(TERNE_BIN, cartella.percorso, {}, {.senzaPausa = true});
  terne.Scrivi("1\n330\nx\n");
  terne.ChiudiIngresso();
  ASSERT_EQ(terne.Attendi(), 0);
  const std::string atteso = cartella.Leggi("triadiRettangole1-330.txt");
  ASSERT_GT(atteso.size(), 1000u);
  CartellaProva altrove("cerca_altrove", false);
  const struct {
    std::vector<std::string> argomenti;
    std::string file;  // where the records go; empty: standard output
  } casi[] = {{{"1", "330"}, "triadiRettangole1-330.txt~"},
              {{"-C", cartella.percorso.string(), "--output=r.txt", "--", "1", "330"}, "r.txt"},
              {{"-q", "-o", "-", "1", "330"}, ""}};
  for (const auto& c : casi) {
    Processo cerca(CERCA_BIN, c.file == "r.txt" ? altrove.percorso : cartella.percorso,
                   c.argomenti);
    EXPECT_EQ(cerca.Attendi(), 0) << c.file;
    EXPECT_EQ(c.file.empty() ? cerca.Uscita() : cartella.Leggi(c.file), atteso) << c.file;
  }
  EXPECT_EQ(cartella.Leggi("triadiRettangole1-330.txt"), atteso);
}

// The progress line is drawn on a terminal only (a pseudo-terminal through script); the
// summary line comes on a terminal and on a file alike.
TEST(Cerca, AProgressLineOnATerminalOnlyAndASummaryAlways) {
  CartellaProva cartella("avanzamento");
  const std::regex riepilogo(
      "terne-cerca: triadiRettangole1-3000.txt: [0-9]+ terne dei cateti da 1 a 3000 in "
      "[0-9]+\\.[0-9] s\r?\n");
  Processo file(CERCA_BIN, cartella.percorso, {"1", "3000"});
  ASSERT_EQ(file.Attendi(), 0);
  EXPECT_TRUE(std::regex_match(file.Errori(), riepilogo)) << file.Errori();
  Processo terminale("/usr/bin/script", cartella.percorso,
                     {"-qec", std::string(CERCA_BIN) + " 1 3000", "/dev/null"});
  ASSERT_EQ(terminale.Attendi(), 0);
  const std::string schermo = terminale.Uscita();
  EXPECT_NE(schermo.find("\rcateti 1/3000 (0.0%), 0 terne, 0:00 trascorsi"), std::string::npos);
  EXPECT_NE(schermo.find("\rcateti 3000/3000 (100.0%), "), std::string::npos);
  const size_t ultima = schermo.rfind("terne-cerca: ");
  ASSERT_NE(ultima, std::string::npos);
  EXPECT_TRUE(std::regex_match(schermo.substr(ultima), riepilogo)) << schermo.substr(ultima);
}

// The colour of pixel (x, y) of a binary PPM image, as r + g + b.
int Luminosita(const std::string& ppm, int x, int y) {
  std::istringstream is(ppm);
  std::string formato;
  int larghezza = 0, altezza = 0, massimo = 0;
  is >> formato >> larghezza >> altezza >> massimo;
  is.get();
  const size_t inizio = static_cast<size_t>(is.tellg());
  if (formato != "P6" || x >= larghezza || y >= altezza) return -1;
  const size_t i = inizio + 3 * (static_cast<size_t>(y) * larghezza + x);
  return static_cast<unsigned char>(ppm[i]) + static_cast<unsigned char>(ppm[i + 1]) +
         static_cast<unsigned char>(ppm[i + 2]);
}

int Esegui(const CartellaProva& cartella, const std::string& comando) {
  return std::system(("cd '" + cartella.percorso.string() + "' && " + comando).c_str());
}

// A real run of 1 … 30, drawn on a window of 31 × 31 pixels, one per value: the SVG is
// well-formed, and rendered to PNG it shows the point (3, 4) where it belongs.
TEST(Grafico, TheFileOfARealRunIsDrawnWhereItsPointsBelong) {
  CartellaProva cartella("grafico");
  ASSERT_EQ(Processo(CERCA_BIN, cartella.percorso, {"-q", "1", "30"}).Attendi(), 0);
  Processo p(GRAFICO_BIN, cartella.percorso, {"--pixel", "31", "triadiRettangole1-30.txt"});
  ASSERT_EQ(p.Attendi(), 0);
  EXPECT_EQ(p.Errori(), "");
  const std::string risultati = cartella.Leggi("triadiRettangole1-30.txt");
  const std::string svg = cartella.Leggi("triadiRettangole1-30.svg");
  const auto terne = std::count(risultati.begin(), risultati.end(), '\n');
  EXPECT_NE(svg.find(">triadiRettangole1-30.txt: " + std::to_string(terne) + " terne, "),
            std::string::npos);
  EXPECT_EQ(Esegui(cartella, "xmllint --noout triadiRettangole1-30.svg"), 0);
  ASSERT_EQ(Esegui(cartella,
                   "rsvg-convert -o grafico.png triadiRettangole1-30.svg && "
                   "pngtopnm grafico.png > grafico.ppm"),
            0);
  const std::string ppm = cartella.Leggi("grafico.ppm");
  const int x = 80 + 3, y = 50 + 31 - 1 - 4;  // the cell of (3, 4), from the window's corner
  EXPECT_LT(Luminosita(ppm, x, y), 100);
  EXPECT_GT(Luminosita(ppm, x + 1, y), 600);  // (4, 4) is no point
  int scuri = 0;
  for (int i = 0; i < 31 * 31; ++i) scuri += Luminosita(ppm, 80 + i % 31, 50 + i / 31) < 100;
  EXPECT_GT(scuri, 20);
  // The title fits the picture, 80 + 31 + 30 pixels wide: its right margin stays white.
  for (int i = 0; i < 10 * 40; ++i) {
    EXPECT_GT(Luminosita(ppm, 80 + 31 + 30 - 10 + i % 10, 5 + i / 10), 700) << i;
  }
}

// Bad input and output that cannot be written are told, and leave no picture and no temporary
// file behind; an existing file or folder of the output's name stays as it was. Odd but valid
// command lines draw their picture.
TEST(Grafico, EveryCommandLineIsToldOrDrawn) {
  using Cartella = const CartellaProva&;
  const std::string bytes = "t\xff\x01\x1b[31m.txt";  // not UTF-8, and control characters
  const struct {
    const char* nome;
    std::vector<std::string> argomenti;
    std::string contenuto;  // of triadiRettangole1-5.txt, "-" for none
    int codice;
    std::string errori;  // the start of standard error
    const char* svg;     // the picture expected, or null
    std::function<void(Cartella)> prepara = nullptr;
    std::function<void(Cartella)> controlla = nullptr;
    Opzioni opzioni = {};
  } casi[] = {
      {"file mancante",
       {"triadiRettangole1-5.txt"},
       "-",
       1,
       "terne-grafico: impossibile leggere triadiRettangole1-5.txt: ",
       nullptr},
      {"riga sbagliata",
       {"triadiRettangole1-5.txt"},
       "3,4,5\n3,4\x1b[2J\n",
       1,
       "terne-grafico: triadiRettangole1-5.txt, riga 2: attesi tre interi positivi separati da "
       "virgole, trovato \"3,4\\x1b[2J\"\n",
       nullptr},
      {"una riga senza fine: /dev/zero",
       {"/dev/zero"},
       "-",
       1,
       "terne-grafico: /dev/zero, riga 1: attesi tre interi positivi separati da virgole, trovato "
       "\"\\x00\\x00",
       nullptr},
      {"uscita in una cartella che manca",
       {"-o", "manca/g.svg", "triadiRettangole1-5.txt"},
       "3,4,5\n",
       1,
       "terne-grafico: impossibile scrivere manca/g.svg: ",
       nullptr},
      {"uscita su una cartella",
       {"-o", "cartella", "triadiRettangole1-5.txt"},
       "3,4,5\n",
       1,
       "terne-grafico: impossibile scrivere cartella: ",
       nullptr,
       nullptr,
       [](Cartella c) { EXPECT_TRUE(std::filesystem::is_directory(c / "cartella")); }},
      {"un grafico che non si puo' scrivere lascia com'era quello che c'era",
       {"triadiRettangole1-5.txt"},
       "3,4,5\n",
       1,
       "terne-grafico: impossibile scrivere triadiRettangole1-5.svg: file troppo grande\n",
       nullptr,
       [](Cartella c) { c.Scrivi("triadiRettangole1-5.svg", "vecchio\n"); },
       [](Cartella c) { EXPECT_EQ(c.Leggi("triadiRettangole1-5.svg"), "vecchio\n"); },
       {.limiteFile = 1000}},
      {"un collegamento messo al posto del vecchio nome provvisorio",
       {"triadiRettangole1-5.txt"},
       "3,4,5\n",
       0,
       "",
       "triadiRettangole1-5.svg",
       [](Cartella c) {
         c.Scrivi("vittima.txt", "intatto\n");
         std::filesystem::create_symlink("vittima.txt", c / "triadiRettangole1-5.svg.parziale");
       },
       [](Cartella c) { EXPECT_EQ(c.Leggi("vittima.txt"), "intatto\n"); }},
      {"un collegamento come uscita si segue",
       {"-o", "g.svg", "triadiRettangole1-5.txt"},
       "3,4,5\n",
       0,
       "",
       nullptr,
       [](Cartella c) {
         c.Scrivi("vero.svg", "vecchio\n");
         std::filesystem::create_symlink("vero.svg", c / "g.svg");
       },
       [](Cartella c) {
         EXPECT_TRUE(std::filesystem::is_symlink(c / "g.svg"));
         EXPECT_EQ(c.Leggi("vero.svg").rfind("<?xml", 0), 0u);
       }},
      {"pixel zero",
       {"--pixel", "0", "triadiRettangole1-5.txt"},
       "3,4,5\n",
       2,
       "terne-grafico: --pixel vuole un intero tra 1 e 10000\n",
       nullptr},
      {"un lato negativo enorme",
       {"--lato", "-99999999999999999999", "triadiRettangole1-5.txt"},
       "3,4,5\n",
       2,
       "terne-grafico: --lato vuole un intero tra 1 e 1000000000000\n",
       nullptr},
      {"pixel e lato al massimo",
       {"--pixel=10000", "--lato", "1000000000000", "triadiRettangole1-5.txt"},
       "3,4,5\n",
       0,
       "",
       "triadiRettangole1-5.svg",
       nullptr,
       [](Cartella c) {
         EXPECT_NE(c.Leggi("triadiRettangole1-5.svg").find(" da 0 a 1000000000000<"),
                   std::string::npos);
       }},
      {"nessun file", {}, "-", 2, "terne-grafico: manca il file dei risultati\n", nullptr},
      {"file vuoto",
       {"triadiRettangole1-5.txt"},
       "",
       0,
       "",
       "triadiRettangole1-5.svg",
       nullptr,
       [](Cartella c) {
         EXPECT_NE(c.Leggi("triadiRettangole1-5.svg")
                       .find(">triadiRettangole1-5.txt: 0 terne, 0 punti da 0 a 5<"),
                   std::string::npos);
       }},
      {"un altro nome: la finestra arriva al cateto piu' grande",
       {"altro.txt"},
       "-",
       0,
       "",
       "altro.svg",
       [](Cartella c) { c.Scrivi("altro.txt", "3,4,5\n5,12,13\n"); },
       [](Cartella c) {
         EXPECT_NE(c.Leggi("altro.svg").find(" 4 punti da 0 a 12<"), std::string::npos);
       }},
      {"--opzione=valore e --",
       {"--pixel=31", "--", "-strano.txt"},
       "-",
       0,
       "",
       "-strano.svg",
       [](Cartella c) { c.Scrivi("-strano.txt", "3,4,5\n"); }},
      {"un nome che non e' UTF-8, con caratteri di controllo",
       {"-o", "g.svg", bytes},
       "-",
       0,
       "",
       "g.svg",
       [&](Cartella c) { c.Scrivi(bytes, "3,4,5\n"); },
       [](Cartella c) { EXPECT_EQ(Esegui(c, "xmllint --noout g.svg"), 0); }},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    CartellaProva cartella("grafico_guasti", false);
    std::filesystem::create_directory(cartella / "cartella");
    if (c.contenuto != "-") cartella.Scrivi("triadiRettangole1-5.txt", c.contenuto);
    if (c.prepara) c.prepara(cartella);
    std::set<std::string> prima;
    for (const auto& voce : std::filesystem::directory_iterator(cartella.percorso)) {
      prima.insert(voce.path().filename().string());
    }
    Processo p(GRAFICO_BIN, cartella.percorso, c.argomenti, c.opzioni);
    EXPECT_EQ(p.Attendi(), c.codice << 8);
    EXPECT_EQ(p.Errori().substr(0, c.errori.size()), c.errori);
    EXPECT_EQ(p.Errori().empty(), c.errori.empty());
    for (const auto& voce : std::filesystem::directory_iterator(cartella.percorso)) {
      const std::string nome = voce.path().filename().string();
      EXPECT_TRUE(prima.count(nome) == 1 || nome == ".uscita" || nome == ".errori" ||
                  (c.svg != nullptr && nome == c.svg))
          << nome;
    }
    if (c.svg != nullptr) {
      EXPECT_TRUE(cartella.Esiste(c.svg));
    }
    if (c.controlla) c.controlla(cartella);
  }
}

// A picture written on standard output, or into a FIFO that someone reads, goes there; the
// FIFO stays a FIFO.
TEST(Grafico, StandardOutputAndAFifoAreWrittenInPlace) {
  CartellaProva cartella("grafico_fifo", false);
  cartella.Scrivi("triadiRettangole1-5.txt", "3,4,5\n");
  Processo uscita(GRAFICO_BIN, cartella.percorso, {"-o", "-", "triadiRettangole1-5.txt"});
  ASSERT_EQ(uscita.Attendi(), 0);
  const std::string svg = uscita.Uscita();  // before the next program takes the capture file
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  const std::filesystem::path fifo = cartella / "fifo.svg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // The test holds one end of its own open until the program has ended, so the reader neither
  // waits for a writer nor stops before the program's writes.
  const int tenuto = open(fifo.c_str(), O_RDWR);
  std::string letto;
  std::thread lettore([&] {
    const int fd = open(fifo.c_str(), O_RDONLY);
    char pezzo[4096];
    for (ssize_t n; (n = read(fd, pezzo, sizeof pezzo)) > 0;) letto.append(pezzo, n);
    close(fd);
  });
  Processo grafico(GRAFICO_BIN, cartella.percorso, {"-o", "fifo.svg", "triadiRettangole1-5.txt"});
  EXPECT_EQ(grafico.Attendi(), 0);
  close(tenuto);
  lettore.join();
  EXPECT_EQ(letto, svg);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST(Prepara, HelpVersionAndBadOptions) {
  CartellaProva cartella("prepara", false);
  {
    Processo p(PREPARA_BIN, cartella.percorso, {"--help"});
    EXPECT_EQ(p.Attendi(), 0);
    EXPECT_EQ(p.Uscita().rfind("Uso: terne-prepara [--forza] [--fino-a N] [CARTELLA]\n", 0), 0u);
    EXPECT_EQ(p.Errori(), "");
  }
  {
    Processo p(PREPARA_BIN, cartella.percorso, {"--version"});
    EXPECT_EQ(p.Attendi(), 0);
    EXPECT_EQ(p.Uscita(), "terne-prepara 1.0.0\n");
  }
  for (const std::vector<std::string>& argomenti : {std::vector<std::string>{"--boh"},
                                                    {"--fino-a", "x"},
                                                    {"--fino-a"},
                                                    {"--fino-a", "1"},
                                                    {"a", "b"}}) {
    Processo p(PREPARA_BIN, cartella.percorso, argomenti);
    const int stato = p.Attendi();
    EXPECT_TRUE(WIFEXITED(stato) && WEXITSTATUS(stato) != 0) << argomenti[0];
    EXPECT_NE(p.Errori(), "") << argomenti[0];
    EXPECT_EQ(p.Uscita(), "") << argomenti[0];
  }
  std::filesystem::create_directory(cartella / "numeriPrimi.txt");
  Processo p(PREPARA_BIN, cartella.percorso, {"--forza", "."});
  const int stato = p.Attendi();
  EXPECT_TRUE(WIFEXITED(stato) && WEXITSTATUS(stato) != 0);
  EXPECT_NE(p.Errori().find("numeriPrimi.txt"), std::string::npos);
}

TEST(Prepara, WritesMissingOrDamagedFilesAndLeavesIntactOnesUnlessForced) {
  CartellaProva cartella("prepara_file", false);
  const std::string primiFinoA20 = "2\t3\t5\t7\t11\t13\t17\t19\t23\n";
  cartella.Scrivi("numeriPrimi.txt", primiFinoA20);
  {
    Processo p(PREPARA_BIN, cartella.percorso, {"--fino-a", "20", "."});
    EXPECT_EQ(p.Attendi(), 0);
    EXPECT_NE(p.Uscita().find("Scritto ./Combinations04.txt\n"), std::string::npos);
    EXPECT_NE(p.Uscita().find("./numeriPrimi.txt esiste gia'"), std::string::npos);
  }
  EXPECT_EQ(cartella.Leggi("numeriPrimi.txt"), primiFinoA20);
  EXPECT_EQ(cartella.Leggi("Combinations04.txt"),
            "\n( 4 )\n( 1 )\n0 , 1 , 2 , 3\n\n( 4 )\n( 2 )\n0.1 , 0.2 , 0.3 , 1.2 , 1.3 , 2.3\n");
  // Every prime up to the limit, the limit itself when prime, and the first prime above it,
  // however far beyond (541 after 524); ten to a line, so the last line ends the table.
  for (const auto& [limite, ultimaRiga] :
       {std::pair{"20", "2\t3\t5\t7\t11\t13\t17\t19\t23\n"},
        {"23", "2\t3\t5\t7\t11\t13\t17\t19\t23\t29\n"},
        {"2", "2\t3\n"},
        {"524", "467\t479\t487\t491\t499\t503\t509\t521\t523\t541\n"}}) {
    Processo p(PREPARA_BIN, cartella.percorso, {"--forza", "--fino-a", limite});
    EXPECT_EQ(p.Attendi(), 0);
    const std::string primi = cartella.Leggi("numeriPrimi.txt");
    EXPECT_EQ(primi.substr(primi.rfind('\n', primi.size() - 2) + 1), ultimaRiga) << limite;
  }
  // Without --forza a file that fails terne's check is written again, an intact one kept.
  std::string guasta = cartella.Leggi("Combinations07.txt");
  guasta[guasta.size() / 2] = guasta[guasta.size() / 2] == '1' ? '2' : '1';
  cartella.Scrivi("Combinations07.txt", guasta);
  cartella.Scrivi("numeriPrimi.txt", "2\t3\n");
  {
    Processo p(PREPARA_BIN, cartella.percorso, {"--fino-a=20", "--", "."});
    EXPECT_EQ(p.Attendi(), 0);
    EXPECT_NE(p.Uscita().find("./Combinations07.txt non supera il controllo di terne: lo "
                              "riscrivo\nScritto ./Combinations07.txt\n"),
              std::string::npos);
    EXPECT_NE(p.Uscita().find("./Combinations08.txt esiste gia'"), std::string::npos);
  }
  EXPECT_EQ(cartella.Leggi("numeriPrimi.txt"), primiFinoA20);
  for (int n = 4; n <= 19; ++n) {
    const std::string nome =
        "Combinations" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".txt";
    const std::string prova(TERNE_DATI "/" + nome);
    std::ifstream f(prova, std::ios::binary);
    const std::string dati((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(cartella.Leggi(nome), dati) << nome;
  }
}

}  // namespace
