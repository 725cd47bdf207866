// End-to-end tests of terne-cerca: the built program runs in scratch folders with real input
// files; its results file, its messages and its exit codes are compared.
#include <gtest/gtest.h>
#include <signal.h>

#include <regex>
#include <string>
#include <vector>

#include "e2e/processo.h"

namespace {

using namespace e2e;

// Faults of the input files, of the command line and of the writing, and a stop: each told on
// standard error with its exit code; the file keeps whole legs.
TEST(Cerca, EveryFaultIsToldWithItsExitCode) {
  const std::string mille = "triadiRettangole1-3000.txt";
  const Guasto casi[] = {
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
  for (const auto& c : casi) ControllaGuasto(c);
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

}  // namespace
