// End-to-end tests of terne: the built program runs in scratch folders with real input files
// and real standard input; its whole console output and results file are compared. The
// dialogue, the faults of its input and output files, and its stops.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "e2e/processo.h"

namespace {

using namespace e2e;
using testi::Completa;
using testi::Inizio;
using testi::NomeTabella;
using testi::Terna;

const char kConservato[] =
    "Il file triadiRettangole4-4.txt c'era gia': e' stato conservato come "
    "triadiRettangole4-4.txt.~1~.\n";

const char kPrimiMancanti[] =
    "\n Il file numeriPrimi.txt non e'  stato trovato. Creare prima il file numeriPrimi.txt. "
    "Inserire un carattere e premere invio per terminare... ";

std::string PrimiInsufficienti(int n) {
  return "Nel file numeriPrimi.txt non ci sono abbastanza numeri primi per calcolare i fattori "
         "di " +
         std::to_string(n) +
         ". \n Calcolare piu' numeri primi e poi ripetere l'operazione. \n Inserire un carattere "
         "e premere invio per terminare... ";
}

std::string TabellaGuasta(const std::string& nome) {
  return "\n Il file " + nome +
         " manca o e' danneggiato. Prepararlo di nuovo con terne-prepara e poi ripetere "
         "l'operazione. Inserire un carattere e premere invio per terminare... ";
}

TEST(Terne, SmallRangesPrintEveryNewTripleAndWriteTheResultsFile) {
  const struct {
    const char* ingresso;
    const char* file;
    std::string console;
    std::string risultati;
    std::string errori = "";
  } casi[] = {
      {"6\n8\nx\n", "triadiRettangole6-8.txt", Completa(Terna(8, 6, 10) + Terna(15, 8, 17)),
       "6,8,10\n8,15,17\n"},
      {"12\n12\nx\n", "triadiRettangole12-12.txt",
       Completa(Terna(35, 12, 37) + Terna(16, 12, 20) + Terna(9, 12, 15)),
       "12,35,37\n12,16,20\n9,12,15\n"},
      {"8\n8\nx\n", "triadiRettangole8-8.txt", Completa(Terna(15, 8, 17) + Terna(6, 8, 10)),
       "8,15,17\n6,8,10\n"},
      {"4\n4\nx\n", "triadiRettangole4-4.txt", Completa(Terna(3, 4, 5)), "3,4,5\n"},
      {"9\n5\nx\n", "triadiRettangole9-5.txt", Completa(""), "",
       "terne: nessun cateto tra 9 e 5: M e' maggiore di N.\n"},
      {"1024\n1024\nx\n", "triadiRettangole1024-1024.txt", Completa(""), ""},
  };
  for (const auto& c : casi) {
    CartellaProva cartella("piccoli");
    const Esito e = Terne(cartella, c.ingresso, {}, c.errori + Trovate(c.file));
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
    std::string errori = "";
  } casi[] = {
      {"zero e riga vuota", "0\n\n7\n7\nx\n", Inizio(3) + testi::Tabelle() + testi::kChiusura,
       Trovate("triadiRettangole7-7.txt")},
      {"x7", "x7\n7\nx\n", Inizio(2) + testi::Tabelle() + testi::kChiusura,
       Trovate("triadiRettangole7-7.txt")},
      {"oltre il massimo", "65536\n7\n99999999999\n7\nx\n",
       testi::Banner() + testi::kDomandaM + massimo + testi::kDomandaM + testi::kDomandaN +
           massimo + testi::kDomandaN + testi::Tabelle() + testi::kChiusura,
       Trovate("triadiRettangole7-7.txt")},
      {"quaranta cifre", std::string(40, '9') + "\n7\n7\nx\n",
       testi::Banner() + testi::kDomandaM + massimo + testi::kDomandaM + testi::kDomandaN +
           testi::Tabelle() + testi::kChiusura,
       Trovate("triadiRettangole7-7.txt")},
      {"fine dell'ingresso a M", "", Inizio(1, 0) + "\n"},
      {"fine dell'ingresso a N", "5\n", Inizio() + "\n"},
      {"fine dell'ingresso dopo N", "7\n7", Inizio() + testi::Tabelle() + testi::kChiusura,
       Trovate("triadiRettangole7-7.txt")},
      {"fine dell'ingresso dopo valori fuori", "0\n0", Inizio(2, 0) + "\n"},
  };
  for (const auto& c : casi) {
    CartellaProva cartella("domande");
    const Esito e = Terne(cartella, c.ingresso, {}, c.errori);
    EXPECT_EQ(e.codice, 0) << c.nome;
    EXPECT_EQ(e.uscita, c.console) << c.nome;
  }
}

// terne takes no argument but -h, --help and --version: anything else is wrong usage, told
// before any dialogue; an answer that cannot be written is a failure.
TEST(Terne, CommandLine) {
  CartellaProva cartella("riga_di_comando", false);
  const std::string uso =
      "; i numeri si chiedono sulla console\nUso: terne\nProvare 'terne --help'.\n";
  ControllaRigheDiComando(TERNE_BIN, cartella,
                          {{{"--help"}, 0, "Uso: terne\n", ""},
                           {{"-h"}, 0, "Uso: terne\n", ""},
                           {{"--version"}, 0, Versione("terne"), ""},
                           {{"4"}, 2, "", "terne: argomento non previsto: '4'" + uso},
                           {{"5", "4"}, 2, "", "terne: argomento non previsto: '5'" + uso},
                           {{"--help=3"}, 2, "", "terne: l'opzione --help non vuole argomenti"},
                           {{"--boh"}, 2, "", "terne: opzione sconosciuta: --boh\n"},
                           {{"--help"},
                            1,
                            "",
                            "terne: impossibile scrivere sull'uscita standard\n",
                            {.uscita = "/dev/full"}}});
}

TEST(Terne, EveryByteOnStandardInputIsHandled) {
  std::string ogniByte;
  for (int b = 0; b < 256; ++b) ogniByte += static_cast<char>(b);
  for (const std::string& ingresso : {ogniByte, "7\n" + ogniByte, "7\n7\n" + ogniByte}) {
    CartellaProva cartella("byte");
    const bool completa = ingresso.rfind("7\n7\n", 0) == 0;
    const Esito e =
        Terne(cartella, ingresso, {}, completa ? Trovate("triadiRettangole7-7.txt") : "");
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

// The start of the prepared prime table with one change.
std::string PrimiCambiati(const std::string& da, const std::string& a) {
  std::string primi = "2\t3\t5\t7\t11\t13\t17\t19\t23\t29\n31\t37\t41\t43\t47\n";
  return primi.replace(primi.find(da), da.size(), a);
}

TEST(Terne, PrimeTableFaultsEndTheRunAfterOneAnswer) {
  const std::string danneggiato =
      "\n Il file numeriPrimi.txt e' danneggiato: non contiene i numeri primi in ordine. "
      "Prepararlo di nuovo con terne-prepara e poi ripetere l'operazione. Inserire un carattere e "
      "premere invio per terminare... ";
  const auto illeggibile = [](const std::string& motivo) {
    return "\n Il file numeriPrimi.txt non puo' essere letto (" + motivo +
           "). Creare di nuovo il file numeriPrimi.txt. Inserire un carattere e premere invio "
           "per terminare... ";
  };
  const std::string crearlo =
      "terne: per creare numeriPrimi.txt, nella cartella di lavoro: terne-prepara\n";
  const std::string prepararlo = Prepararlo("numeriPrimi.txt");
  struct Caso {
    const char* nome;
    std::string primi;  // "-": no file
    std::string ingresso;
    std::string console;
    std::string errori;
    std::function<void(const CartellaProva&)> prepara = nullptr;
    Opzioni opzioni = {};
  };
  const Caso casi[] = {
      Caso("mancante", "-", "7\n10\nx\n", Inizio() + kPrimiMancanti, crearlo),
      Caso("vuoto", "", "7\n10\nx\n", Inizio() + PrimiInsufficienti(10), prepararlo),
      Caso("troppo corto", "2\t3\t5\n", "7\n10\nx\n", Inizio() + PrimiInsufficienti(10),
           prepararlo),
      Caso("solo a capo", "\n", "7\n100\nx\n", Inizio() + PrimiInsufficienti(100), prepararlo),
      Caso("M e N al massimo ammesso", "2\t3\n", "65535\n65535\nx\n",
           Inizio() + PrimiInsufficienti(65535), prepararlo),
      Caso("lettere e campi vuoti", "2\t3\t\tcinque\t5\t7\n11\n", "6\n8\nx\n",
           Completa(Terna(8, 6, 10) + Terna(15, 8, 17)), Trovate("triadiRettangole6-8.txt")),
      Caso("CRLF", "2\r\n3\r\n5\r\n7\r\n11\r\n", "6\n8\nx\n",
           Completa(Terna(8, 6, 10) + Terna(15, 8, 17)), Trovate("triadiRettangole6-8.txt")),
      Caso("una cifra cambiata", PrimiCambiati("3", "9"), "1\n40\nx\n", Inizio() + danneggiato,
           prepararlo),
      Caso("un primo svuotato", PrimiCambiati("7", ""), "1\n40\nx\n", Inizio() + danneggiato,
           prepararlo),
      Caso("un numero in piu'", PrimiCambiati("5", "4\t5"), "1\n40\nx\n", Inizio() + danneggiato,
           prepararlo),
      Caso("corto e sbagliato", "2\t3\t4\n", "1\n40\nx\n", Inizio() + danneggiato, prepararlo),
      Caso("una FIFO non si aspetta, e va tolta prima di terne-prepara", "-", "1\n40\nx\n",
           Inizio() + illeggibile("non e' un file regolare"), Spostarlo("numeriPrimi.txt"),
           AlPostoDi("numeriPrimi.txt", true)),
      Caso("senza permesso di lettura", PrimiCambiati("", ""), "1\n40\nx\n",
           Inizio() + illeggibile("permesso negato"), prepararlo,
           [](const CartellaProva& c) { chmod((c / "numeriPrimi.txt").c_str(), 0); },
           {.senzaPrivilegi = true}),
      Caso("una lettura che non riesce", "-", "1\n40\nx\n",
           Inizio() + illeggibile("errore di lettura o scrittura sul dispositivo"), prepararlo,
           [](const CartellaProva& c) {
             std::filesystem::create_symlink("/proc/self/mem", c / "numeriPrimi.txt");
           }),
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    CartellaProva cartella("primi");
    cartella.Rimuovi("numeriPrimi.txt");
    if (c.primi != "-") cartella.Scrivi("numeriPrimi.txt", c.primi);
    if (c.prepara) c.prepara(cartella);
    const Esito e = Terne(cartella, c.ingresso, c.opzioni, c.errori);
    EXPECT_EQ(e.codice, 0) << c.nome;
    EXPECT_EQ(e.uscita, c.console) << c.nome;
  }
  CartellaProva cartella("primi_nessun_file");
  cartella.Rimuovi("numeriPrimi.txt");
  Terne(cartella, "7\n10\nx\n", {}, crearlo);
  EXPECT_FALSE(cartella.Esiste("triadiRettangole7-10.txt"));
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
    const Esito e = Terne(cartella, "6\n8\nx\n", {}, Prepararlo(nome));
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

// A folder of that name, or the file that standard error writes (2>NAME), where the records and
// the messages would mix.
TEST(Terne, AResultsFileThatCannotBeCreatedEndsTheRunBeforeAnyLeg) {
  for (const auto& [errori, motivo] :
       {std::pair<const char*, std::string>{nullptr, "e' una cartella"},
        {"triadiRettangole6-8.txt", "e' anche l'uscita degli errori del programma"}}) {
    CartellaProva cartella("risultati");
    if (errori == nullptr) std::filesystem::create_directory(cartella / "triadiRettangole6-8.txt");
    const Esito e = Terne(cartella, "6\n8\nx\n", {.errori = errori});
    EXPECT_EQ(e.codice, 0);
    EXPECT_EQ(e.uscita,
              Inizio() + testi::Tabelle() +
                  "\n Il file triadiRettangole6-8.txt non puo' essere creato (" + motivo +
                  "). Controllare la cartella di lavoro e ripetere l'operazione. Inserire "
                  "un carattere e premere invio per terminare... ");
  }
}

// Failed writes, failed reads and memory running out: never a crash, a hang or a silent loss.
// Where results are lost the exit code is 1 and the file holds exactly the whole legs M … K
// that the message names.
TEST(Guasti, EveryFailureIsToldAndTheFileKeepsWholeLegs) {
  const std::string pieno = "\nScrittura non riuscita (spazio esaurito sul disco): il file ";
  const std::string mille = "triadiRettangole1-3000.txt";
  const Guasto casi[] = {
      Guasto("disco pieno da subito", nullptr, "4\n4\nx\n",
             {.senzaPausa = true, .limiteScrittura = 0}, 1,
             [&](const Processo& p, const CartellaProva&) {
               EXPECT_EQ(p.Uscita(), Inizio() + testi::Tabelle() + Terna(3, 4, 5) + pieno +
                                         "triadiRettangole4-4.txt non contiene nessuna terna.\n" +
                                         testi::kChiusura);
               EXPECT_EQ(p.Errori(), "");
             }),
      Guasto("disco pieno, e togliere la riga a meta' non riesce", nullptr, "1\n150\nx\n",
             {.senzaPausa = true, .limiteScrittura = 100, .taglioGuasto = true}, 1,
             [&](const Processo& p, const CartellaProva& c) {
               EXPECT_NE(p.Uscita().find(
                             pieno +
                             "triadiRettangole1-150.txt contiene tutte le terne trovate "
                             "fino al cateto " +
                             std::to_string(CatetoNominato(p.Uscita())) +
                             ".\nDopo di esse seguono terne dei cateti successivi, l'ultima forse "
                             "su una riga incompleta (toglierle non e' riuscito: errore di lettura "
                             "o scrittura sul dispositivo).\n" +
                             testi::kChiusura),
                         std::string::npos);
               EXPECT_EQ(c.Leggi("triadiRettangole1-150.txt").size(), 100u);
             }),
      Guasto("sincronizzazione col disco non riuscita", nullptr, "4\n4\nx\n",
             {.senzaPausa = true, .fsyncGuasto = "1"}, 1,
             [](const Processo& p, const CartellaProva& c) {
               EXPECT_EQ(p.Uscita(),
                         Inizio() + testi::Tabelle() + Terna(3, 4, 5) +
                             "\nScrittura non riuscita (errore di lettura o scrittura sul "
                             "dispositivo): il file triadiRettangole4-4.txt contiene tutte "
                             "le terne trovate fino al cateto 4.\n" +
                             testi::kChiusura);
               EXPECT_EQ(c.Leggi("triadiRettangole4-4.txt"), "3,4,5\n");
             }),
      Guasto("una scrittura che non prende nulla e non dice perche'", nullptr, "1\n3000\nx\n",
             {.senzaPausa = true, .limiteScrittura = 16384, .scritturaNulla = true}, 1,
             [&](const Processo& p, const CartellaProva& c) {
               const int k = CatetoNominato(p.Uscita());
               EXPECT_NE(
                   p.Uscita().find("\nScrittura non riuscita (errore di lettura o scrittura sul "
                                   "dispositivo): il file " +
                                   mille + " contiene tutte le terne trovate fino al cateto " +
                                   std::to_string(k) + ".\n"),
                   std::string::npos);
               EXPECT_EQ(PerCateto(c.Leggi(mille), 1, k), RicercaAttesa(1, k));
             }),
      Guasto("un file che non si puo' sincronizzare, come un dispositivo", nullptr, "4\n4\nx\n",
             {.senzaPausa = true, .fsyncGuasto = "EINVAL"}, 0,
             [](const Processo& p, const CartellaProva& c) {
               EXPECT_EQ(p.Uscita(), Completa(Terna(3, 4, 5)));
               EXPECT_EQ(c.Leggi("triadiRettangole4-4.txt"), "3,4,5\n");
             }),
      Guasto(
          "un file precedente e' conservato",
          [](const CartellaProva& c) { c.Scrivi("triadiRettangole4-4.txt", "vecchio\n"); },
          "4\n4\nx\n", {.senzaPausa = true}, 0,
          [](const Processo& p, const CartellaProva& c) {
            EXPECT_EQ(p.Uscita(), Inizio() + testi::Tabelle() + kConservato + Terna(3, 4, 5) +
                                      testi::kChiusura);
            EXPECT_EQ(c.Leggi("triadiRettangole4-4.txt.~1~"), "vecchio\n");
            EXPECT_EQ(c.Leggi("triadiRettangole4-4.txt"), "3,4,5\n");
          }),
      Guasto(
          "un collegamento simbolico al posto del file",
          [](const CartellaProva& c) {
            c.Scrivi("bersaglio.txt", "intatto\n");
            std::filesystem::create_symlink("bersaglio.txt", c / "triadiRettangole4-4.txt");
          },
          "4\n4\nx\n", {.senzaPausa = true}, 0,
          [](const Processo& p, const CartellaProva& c) {
            EXPECT_EQ(p.Uscita(), Inizio() + testi::Tabelle() + kConservato + Terna(3, 4, 5) +
                                      testi::kChiusura);
            EXPECT_EQ(c.Leggi("bersaglio.txt"), "intatto\n");
            EXPECT_TRUE(std::filesystem::is_symlink(c / "triadiRettangole4-4.txt.~1~"));
            EXPECT_EQ(c.Leggi("triadiRettangole4-4.txt"), "3,4,5\n");
          }),
      Guasto(
          "una seconda esecuzione dello stesso intervallo nella stessa cartella", nullptr,
          "1\n3000\nx\n", {.senzaPausa = true, .fermaDopo = 4096}, 0,
          [&](const Processo&, const CartellaProva& c) {
            EXPECT_EQ(PerCateto(c.Leggi(mille), 1, 3000), RicercaAttesa(1, 3000));
          },
          [&](Processo&, const CartellaProva& c) {
            Processo seconda(TERNE_BIN, c.percorso, {}, {.senzaPausa = true});
            seconda.Scrivi("1\n3000\nx\n");
            EXPECT_EQ(seconda.Attendi(), 0);
            EXPECT_EQ(
                seconda.Uscita(),
                Inizio() + testi::Tabelle() + "\n Il file " + mille +
                    " e' gia' in scrittura da un'altra esecuzione di terne in questa cartella. "
                    "Attendere che finisca e poi ripetere l'operazione. Inserire un carattere "
                    "e premere invio per terminare... ");
          }),
      Guasto(
          "il file spostato durante la ricerca, un altro al suo posto, poi il disco pieno", nullptr,
          "1\n3000\nx\n", {.senzaPausa = true, .limiteScrittura = 16384, .fermaDopo = 4096}, 1,
          [&](const Processo& p, const CartellaProva& c) {
            const int k = CatetoNominato(p.Uscita());
            ASSERT_GT(k, 100);
            EXPECT_NE(p.Uscita().find("il file " + (c / (mille + ".spostato")).string() +
                                      " contiene tutte le terne trovate fino al cateto "),
                      std::string::npos);
            EXPECT_EQ(PerCateto(c.Leggi(mille + ".spostato"), 1, k), RicercaAttesa(1, k));
            EXPECT_EQ(c.Leggi(mille), "un altro file\n");
          },
          [&](Processo&, const CartellaProva& c) {
            std::filesystem::rename(c / mille, c / (mille + ".spostato"));
            c.Scrivi(mille, "un altro file\n");
          }),
      Guasto("il file rinominato da un altro tra l'apertura e il blocco: se ne crea uno nuovo",
             nullptr, "4\n4\nx\n", {.senzaPausa = true, .spostaAlBlocco = "preso.txt"}, 0,
             [](const Processo& p, const CartellaProva& c) {
               EXPECT_EQ(p.Uscita(), Completa(Terna(3, 4, 5)));
               EXPECT_EQ(c.Leggi("triadiRettangole4-4.txt"), "3,4,5\n");
               EXPECT_EQ(c.Leggi("preso.txt"), "");
             }),
      Guasto(
          "una FIFO al posto del file dei risultati: rifiutata, non scritta",
          [](const CartellaProva& c) { mkfifo((c / "triadiRettangole4-4.txt").c_str(), 0600); },
          "4\n4\nx\n", {}, 0,
          [](const Processo& p, const CartellaProva& c) {
            EXPECT_EQ(p.Uscita(),
                      Inizio() + testi::Tabelle() +
                          "\n Il file triadiRettangole4-4.txt non puo' essere creato "
                          "(non e' un file regolare). Controllare la cartella di lavoro e "
                          "ripetere l'operazione. Inserire un carattere e premere invio "
                          "per terminare... ");
            EXPECT_TRUE(std::filesystem::is_fifo(c / "triadiRettangole4-4.txt"));
          }),
      Guasto(
          "il file spostato durante una ricerca che finisce: si dice dove e' ora", nullptr,
          "1\n3000\nx\n", {.senzaPausa = true, .fermaDopo = 4096}, 0,
          [&](const Processo& p, const CartellaProva& c) {
            const std::string fine = "Il file " + mille +
                                     " e' stato spostato durante la ricerca: ora e' " +
                                     (c / "altrove.txt").string() + ".\n" + testi::kChiusura;
            EXPECT_EQ(p.Uscita().substr(p.Uscita().size() - fine.size()), fine);
            EXPECT_EQ(PerCateto(c.Leggi("altrove.txt"), 1, 3000), RicercaAttesa(1, 3000));
          },
          [&](Processo&, const CartellaProva& c) {
            std::filesystem::rename(c / mille, c / "altrove.txt");
          }),
      Guasto(
          "il file cancellato durante la ricerca: le terne sono perse, e lo si dice", nullptr,
          "1\n3000\nx\n", {.senzaPausa = true, .fermaDopo = 4096}, 1,
          [&](const Processo& p, const CartellaProva&) {
            const std::string fine = "\nIl file " + mille +
                                     " e' stato cancellato durante la ricerca: le terne trovate "
                                     "sono andate perse con il file.\n" +
                                     testi::kChiusura;
            EXPECT_EQ(p.Uscita().substr(p.Uscita().size() - fine.size()), fine);
          },
          [&](Processo&, const CartellaProva& c) { c.Rimuovi(mille); }),
      Guasto("console chiusa durante la pausa", nullptr, "1\n300\nx\n",
             {.chiudiUscitaDopo = 5 + 16 + 1},  // the banner, the tables and the first triple
             1,
             [&](const Processo& p, const CartellaProva& c) {
               const int l = CatetoNominato(p.Errori());
               EXPECT_EQ(p.Errori(),
                         "terne: impossibile scrivere sulla console; il file "
                         "triadiRettangole1-300.txt contiene tutte le terne trovate fino "
                         "al cateto " +
                             std::to_string(l) + ".\n");
               EXPECT_EQ(PerCateto(c.Leggi("triadiRettangole1-300.txt"), 1, l),
                         RicercaAttesa(1, l));
             }),
      Guasto("console chiusa dopo 40 righe, come da | head -n 40", nullptr, "1\n3000\nx\n",
             {.senzaPausa = true, .chiudiUscitaDopo = 40}, 1,
             [&](const Processo& p, const CartellaProva& c) {
               const std::string e = p.Errori();
               const int l = CatetoNominato(e);
               EXPECT_EQ(e, "terne: impossibile scrivere sulla console; il file " + mille +
                                " contiene tutte le terne trovate fino al cateto " +
                                std::to_string(l) + ".\n");
               EXPECT_EQ(PerCateto(c.Leggi(mille), 1, l), RicercaAttesa(1, l));
             }),
      Guasto("console su /dev/full", nullptr, "4\n4\nx\n", {.uscita = "/dev/full"}, 1,
             [](const Processo& p, const CartellaProva& c) {
               EXPECT_EQ(p.Errori(), "terne: impossibile scrivere sulla console.\n");
               EXPECT_FALSE(c.Esiste("triadiRettangole4-4.txt"));
             }),
      Guasto("numeriPrimi.txt e' una cartella", AlPostoDi("numeriPrimi.txt", false), "7\n10\nx\n",
             {}, 0,
             [](const Processo& p, const CartellaProva&) {
               EXPECT_EQ(p.Uscita(),
                         Inizio() +
                             "\n Il file numeriPrimi.txt non puo' essere letto (e' una "
                             "cartella). Creare di nuovo il file numeriPrimi.txt. Inserire "
                             "un carattere e premere invio per terminare... ");
               EXPECT_EQ(p.Errori(), Spostarlo("numeriPrimi.txt"));
             }),
      Guasto("Combinations07.txt e' una cartella", AlPostoDi("Combinations07.txt", false),
             "6\n8\nx\n", {}, 0,
             [](const Processo& p, const CartellaProva&) {
               EXPECT_EQ(p.Uscita(),
                         Inizio() + testi::Tabelle(6) +
                             "\n Il file Combinations07.txt non puo' essere letto (e' una "
                             "cartella). Prepararlo di nuovo con terne-prepara e poi "
                             "ripetere l'operazione. Inserire un carattere e premere invio "
                             "per terminare... ");
             }),
      Guasto("Combinations07.txt e' una FIFO: non si aspetta; tolta, terne-prepara la riscrive",
             AlPostoDi("Combinations07.txt", true), "6\n8\nx\n", {}, 0,
             [](const Processo& p, const CartellaProva& c) {
               EXPECT_NE(
                   p.Uscita().find("\n Il file Combinations07.txt non puo' essere letto (non e' "
                                   "un file regolare). Prepararlo di nuovo con terne-prepara"),
                   std::string::npos);
               EXPECT_EQ(p.Errori(), Spostarlo("Combinations07.txt"));
               c.Rimuovi("Combinations07.txt");
               EXPECT_EQ(Processo(PREPARA_BIN, c.percorso).Attendi(), 0);
               EXPECT_EQ(Terne(c, "6\n8\nx\n", {}, Trovate("triadiRettangole6-8.txt")).uscita,
                         Completa(Terna(8, 6, 10) + Terna(15, 8, 17)));
             }),
#ifndef TERNE_SANITIZZATO
      Guasto("memoria insufficiente per le tabelle, costruite alla prima gamba che le chiede",
             nullptr, "1\n600\nx\n", {.senzaPausa = true, .memoria = 40000 * 1024}, 1,
             [](const Processo& p, const CartellaProva& c) {
               const int k = CatetoNominato(p.Errori());
               EXPECT_EQ(p.Errori(),
                         "terne: memoria insufficiente per la ricerca (le tabelle delle "
                         "combinazioni, costruite quando servono, richiedono fino a circa 60 "
                         "MB); il file triadiRettangole1-600.txt contiene tutte le terne trovate "
                         "fino al cateto " +
                             std::to_string(k) + ".\n");
               EXPECT_EQ(PerCateto(c.Leggi("triadiRettangole1-600.txt"), 1, k),
                         RicercaAttesa(1, k));
               const std::string u = p.Uscita();
               EXPECT_EQ(u.substr(u.size() - std::strlen(testi::kChiusura)), testi::kChiusura);
             }),
#endif
  };
  for (const auto& c : casi) ControllaGuasto(c);
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
  const std::string nome = "triadiRettangole1-" + std::to_string(ultimo) + ".txt";
  const Esito intera =
      Terne(riferimento, "1\n" + std::to_string(ultimo) + "\nx\n", {}, Trovate(nome));
  EXPECT_EQ(cartella.Leggi("triadiRettangole1-200.txt"),
            riferimento.Leggi("triadiRettangole1-" + std::to_string(ultimo) + ".txt"));
  EXPECT_EQ(u.substr(0, dove) + testi::kChiusura, intera.uscita);
}

// Once the search is over the stop signals have their usual effect again: SIGTERM at the
// closing prompt ends the program, the results already saved.
TEST(Interruzione, AtTheClosingPromptASignalEndsTheProgram) {
  CartellaProva cartella("chiusura");
  Processo p(TERNE_BIN, cartella.percorso, {}, {.senzaPausa = true});
  p.Scrivi("4\n4\n");
  ASSERT_TRUE(p.AttendiTesto(testi::kChiusura));
  p.Segnala(SIGTERM);
  const int stato = p.Attendi(30s);
  EXPECT_TRUE(WIFSIGNALED(stato) && WTERMSIG(stato) == SIGTERM) << stato;
  EXPECT_EQ(cartella.Leggi("triadiRettangole4-4.txt"), "3,4,5\n");
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

}  // namespace
