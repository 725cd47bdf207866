// End-to-end tests of terne-cerca: the built program runs in scratch folders with real input
// files; its results file, its messages and its exit codes are compared.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/processo.h"

namespace {

using namespace e2e;

// Faults of the input files and of the range: each told on standard error with its exit code and
// the command that mends it. Faults of the writing and stops are swept in spazzata_test.cpp.
TEST(Cerca, EveryFaultIsToldWithItsExitCode) {
  // A link at an input's name that leads nowhere (the row's name): terne-prepara cannot write
  // through it and says to move it away, as terne-cerca did; once it is moved, both run.
  const auto daSpostare = [](const char* riga, const std::string& nome, const std::string& dove,
                             const std::string& perche, const std::string& perchePrepara) {
    const auto prepara = [=](const CartellaProva& c) {
      c.Rimuovi(nome);
      std::filesystem::create_symlink(dove, c / nome);
    };
    return Guasto(
        riga, prepara, "", {}, 1,
        [=](const Processo& p, const CartellaProva& c) {
          EXPECT_EQ(p.Errori(), "terne-cerca: " + nome + " non si puo' leggere (" + perche +
                                    "). Spostarlo o rimuoverlo, poi prepararlo di nuovo con: "
                                    "terne-prepara\n");
          Processo prepara(PREPARA_BIN, c.percorso);
          EXPECT_EQ(prepara.Attendi(), 1 << 8);
          EXPECT_EQ(prepara.Errori(), "terne-prepara: impossibile scrivere ./" + nome +
                                          " (collegamento a " + dove + "): " + perchePrepara +
                                          "\nterne-prepara: spostare o rimuovere ./" + nome +
                                          ", poi ripetere\n");
          c.Rimuovi(nome);
          EXPECT_EQ(Processo(PREPARA_BIN, c.percorso).Attendi(), 0);
          EXPECT_EQ(Processo(CERCA_BIN, c.percorso, {"-q", "1", "20"}).Attendi(), 0);
        },
        nullptr, {"1", "20"});
  };
  const std::string ciclo = "troppi collegamenti simbolici di seguito";
  const Guasto casi[] = {
      Guasto(
          "terne-cerca: una tabella manca",
          [](const CartellaProva& c) { c.Rimuovi("Combinations07.txt"); }, "", {}, 1,
          [](const Processo& p, const CartellaProva&) {
            EXPECT_EQ(p.Errori(),
                      "terne-cerca: Combinations07.txt manca o e' danneggiato. Prepararlo "
                      "di nuovo con: terne-prepara\n");
          },
          nullptr, {"1", "20"}),
      Guasto(
          "terne-cerca: numeriPrimi.txt con una cifra cambiata, poi riparato da terne-prepara",
          [](const CartellaProva& c) {
            std::string primi = c.Leggi("numeriPrimi.txt");
            primi[primi.find('3')] = '9';
            c.Scrivi("numeriPrimi.txt", primi);
          },
          "", {}, 1,
          [](const Processo& p, const CartellaProva& c) {
            EXPECT_EQ(p.Errori(),
                      "terne-cerca: numeriPrimi.txt e' danneggiato: non contiene i numeri primi in "
                      "ordine. Prepararlo di nuovo con: terne-prepara\n");
            Processo prepara(PREPARA_BIN, c.percorso);
            EXPECT_EQ(prepara.Attendi(), 0);
            EXPECT_NE(prepara.Uscita().find(
                          "Riscritto ./numeriPrimi.txt: non superava il controllo di terne\n"),
                      std::string::npos);
            EXPECT_EQ(Processo(CERCA_BIN, c.percorso, {"-q", "1", "20"}).Attendi(), 0);
          },
          nullptr, {"1", "20"}),
      Guasto("terne-cerca: una FIFO al posto di numeriPrimi.txt non si aspetta",
             AlPostoDi("numeriPrimi.txt", true), "", {}, 1,
             [](const Processo& p, const CartellaProva&) {
               EXPECT_EQ(
                   p.Errori(),
                   "terne-cerca: numeriPrimi.txt non si puo' leggere (non e' un file regolare). "
                   "Spostarlo o rimuoverlo, poi prepararlo di nuovo con: terne-prepara\n");
             },
             nullptr, {"1", "20"}),
      Guasto("terne-cerca: una FIFO al posto di una tabella non si aspetta",
             AlPostoDi("Combinations07.txt", true), "", {}, 1,
             [](const Processo& p, const CartellaProva&) {
               EXPECT_EQ(p.Errori(),
                         "terne-cerca: Combinations07.txt non si puo' leggere (non e' un file "
                         "regolare). Spostarlo o rimuoverlo, poi prepararlo di nuovo con: "
                         "terne-prepara\n");
             },
             nullptr, {"1", "20"}),
      daSpostare("terne-cerca: un collegamento a se stesso", "numeriPrimi.txt", "numeriPrimi.txt",
                 ciclo, ciclo),
      daSpostare("terne-cerca: un collegamento a un file che non c'e'", "Combinations07.txt",
                 "manca/C7.txt", "e' un collegamento simbolico a un file che non c'e'",
                 "file o cartella inesistente"),
      Guasto("terne-cerca: M oltre N", nullptr, "", {}, 2,
             [](const Processo& p, const CartellaProva& c) {
               EXPECT_EQ(p.Errori(),
                         "terne-cerca: M (9) e' maggiore di N (5)\nUso: terne-cerca [-C "
                         "CARTELLA] [-o FILE] [-q] [-t] [--] M N\nProvare 'terne-cerca --help'.\n");
               EXPECT_FALSE(c.Esiste("triadiRettangole9-5.txt"));
             },
             nullptr, {"9", "5"}),
      Guasto("terne-cerca -o - nel file stesso dello standard error: soltanto le terne", nullptr,
             "", {.errori = ".uscita"}, 0,
             [](const Processo& p, const CartellaProva&) {
               EXPECT_EQ(p.Uscita(), "6,8,10\n8,15,17\n");
             },
             nullptr, {"-o", "-", "6", "8"}),
      Guasto("terne-cerca -o - 2>&1 in una pipe: soltanto le terne", nullptr, "",
             {.tubo = true, .errori = "&1"}, 0,
             [](const Processo& p, const CartellaProva&) {
               std::string letto;
               char pezzo[4096];
               for (ssize_t n; (n = read(p.Tubo(), pezzo, sizeof pezzo)) > 0;)
                 letto.append(pezzo, n);
               EXPECT_EQ(letto, "6,8,10\n8,15,17\n");
             },
             nullptr, {"-o", "-", "6", "8"}),
      Guasto("terne-cerca -o r.txt 2>r.txt, il disco pieno: nel file soltanto righe di terne",
             nullptr, "", {.limiteScrittura = 100000, .prefisso = "r.txt", .errori = "r.txt"}, 1,
             [](const Processo&, const CartellaProva& c) {
               const std::string r = c.Leggi("r.txt");
               const std::regex terna("[0-9]+,[0-9]+,[0-9]+");
               std::istringstream righe(r);
               for (std::string riga; std::getline(righe, riga);) {
                 EXPECT_TRUE(std::regex_match(riga, terna)) << riga;
               }
               EXPECT_EQ(r.back(), '\n');
             },
             nullptr, {"-o", "r.txt", "1", "3000"}),
      Guasto("terne-cerca con > triadiRettangole6-8.txt: il file e' il suo", nullptr, "",
             {.uscita = "triadiRettangole6-8.txt"}, 0,
             [](const Processo& p, const CartellaProva& c) {
               EXPECT_EQ(c.Leggi("triadiRettangole6-8.txt"), "6,8,10\n8,15,17\n");
               EXPECT_EQ(p.Errori(), "");
             },
             nullptr, {"-q", "6", "8"}),
      Guasto(
          "terne-cerca < triadiRettangole6-8.txt vuoto: il file e' il suo",
          [](const CartellaProva& c) { c.Scrivi("triadiRettangole6-8.txt", ""); }, "",
          {.ingresso = "triadiRettangole6-8.txt"}, 0,
          [](const Processo&, const CartellaProva& c) {
            EXPECT_EQ(c.Leggi("triadiRettangole6-8.txt"), "6,8,10\n8,15,17\n");
          },
          nullptr, {"-q", "6", "8"}),
      Guasto(
          "terne-cerca -o sul file dell'ingresso standard (0<>): conservato come copia",
          [](const CartellaProva& c) { c.Scrivi("nota.txt", "nota\n"); }, "",
          {.ingresso = "nota.txt"}, 0,
          [](const Processo&, const CartellaProva& c) {
            EXPECT_EQ(c.Leggi("nota.txt.~1~"), "nota\n");
            EXPECT_EQ(c.Leggi("nota.txt"), "6,8,10\n8,15,17\n");
          },
          nullptr, {"-q", "-o", "nota.txt", "6", "8"}),
      Guasto("terne-cerca: il disco pieno, e togliere la riga a meta' non riesce", nullptr, "",
             {.limiteScrittura = 16384, .taglioGuasto = true}, 1,
             [](const Processo& p, const CartellaProva& c) {
               const int k = CatetoNominato(p.Errori());
               const std::string attesa = RicercaAttesa(1, k);
               const std::string file = c.Leggi("triadiRettangole1-3000.txt");
               EXPECT_EQ(p.Errori(),
                         "terne-cerca: scrittura non riuscita (spazio esaurito sul disco): il file "
                         "triadiRettangole1-3000.txt contiene tutte le terne trovate fino al "
                         "cateto " +
                             std::to_string(k) +
                             ".\nterne-cerca: dopo di esse seguono "
                             "terne dei cateti successivi, l'ultima forse su una riga incompleta "
                             "(toglierle non e' riuscito: errore di lettura o scrittura sul "
                             "dispositivo).\n");
               EXPECT_EQ(file.size(), 16384u);
               EXPECT_EQ(PerCateto(file.substr(0, attesa.size()), 1, k), attesa);
             },
             nullptr, {"1", "3000"}),
      Guasto("terne-cerca -o - | head: 141 in silenzio", nullptr, "", {.chiudiUscitaDopo = 10}, 141,
             [](const Processo& p, const CartellaProva&) { EXPECT_EQ(p.Errori(), ""); }, nullptr,
             {"-o", "-", "1", "3000"}),
      Guasto("terne-cerca -o - >> un file con righe, poi il disco pieno: righe intere", nullptr, "",
             {.limiteScrittura = 16384, .prefisso = "uscita", .giaNellUscita = "prima\n"}, 1,
             [](const Processo& p, const CartellaProva&) {
               const int k = CatetoNominato(p.Errori());
               EXPECT_EQ(p.Uscita().substr(0, 6), "prima\n");
               EXPECT_EQ(PerCateto(p.Uscita().substr(6), 1, k), RicercaAttesa(1, k));
             },
             nullptr, {"-o", "-", "1", "3000"}),
  };
  for (const auto& c : casi) ControllaGuasto(c);
}

// Options and operands: each wrong one told as what it is, with code 2; -q keeps quiet.
TEST(Cerca, CommandLine) {
  CartellaProva cartella("riga_di_comando");
  const std::string intero = "terne-cerca: M non e' un numero intero: ";
  const std::string fuori = "e' fuori dall'intervallo da 1 a 65.535: ";
  const std::string no = "terne-cerca: impossibile scrivere ";
  const std::string ingresso = ": e' un file che il programma legge\n";
  const std::string primi = cartella.Leggi("numeriPrimi.txt");
  ControllaRigheDiComando(
      CERCA_BIN, cartella,
      {
          {{"-h"}, 0, "Uso: terne-cerca [-C CARTELLA] [-o FILE] [-q] [-t] [--] M N\n", ""},
          {{"--version"}, 0, Versione("terne-cerca"), ""},
          {{"-q", "1", "20"}, 0, "", ""},
          {{"-C", "/manca", "1", "20"},
           1,
           "",
           "terne-cerca: impossibile lavorare nella cartella /manca: file o cartella "
           "inesistente\n"},
          {{"1", "20", "-o"}, 2, "", "terne-cerca: l'opzione -o vuole un argomento\n"},
          {{"-o", "", "1", "20"}, 2, "", "terne-cerca: -o vuole un nome di file"},
          {{"-x", "1", "20"}, 2, "", "terne-cerca: opzione sconosciuta: -x\n"},
          {{"-q=3", "1", "20"}, 2, "", "terne-cerca: opzione sconosciuta: -=\n"},
          {{"--silenzioso=3", "1", "20"},
           2,
           "",
           "terne-cerca: l'opzione --silenzioso non vuole argomenti: '--silenzioso=3'\nUso: "
           "terne-cerca [-C CARTELLA] [-o FILE] [-q] [-t] [--] M N\nProvare 'terne-cerca "
           "--help'.\n"},
          {{"+31", "40"}, 2, "", intero + "'+31'\n"},
          {{" 4", "40"}, 2, "", intero + "' 4'\n"},
          {{"31x", "40"}, 2, "", intero + "'31x'\n"},
          {{"0", "40"}, 2, "", "terne-cerca: M " + fuori + "'0'\n"},
          {{"1", "65536"}, 2, "", "terne-cerca: N " + fuori + "'65536'\n"},
          {{"1", "99999999999999999999"}, 2, "", "terne-cerca: N " + fuori + "'9999"},
          {{"1"}, 2, "", "terne-cerca: manca N\n"},
          {{"1", "20", "30"}, 2, "", "terne-cerca: argomento in piu': '30'\n"},
          {{"-1", "5"}, 2, "", "terne-cerca: M " + fuori + "'-1'\n"},
          {{"5", "-10"}, 2, "", "terne-cerca: N " + fuori + "'-10'\n"},
          {{"1", "\x1b[2J"}, 2, "", "terne-cerca: N non e' un numero intero: '\\x1b[2J'\n"},
          {{"-t", "0", "5"},
           2,
           "",
           "terne-cerca: M e' fuori dall'intervallo da 1 a 4.294.967.295: '0'\n"},
          {{"1", "4294967296", "--tutte"},
           2,
           "",
           "terne-cerca: N e' fuori dall'intervallo da 1 a 4.294.967.295: '4294967296'\n"},
          {{"-C", "", "1", "5"}, 2, "", "terne-cerca: -C vuole il nome di una cartella, non"},
          {{"-q", "-o", "/dev/null", "6", "8"}, 0, "", "", {.uscita = "&-"}},
          // A file that standard output reads (1<r.txt) is the file it is: kept, then written.
          {{"-q", "-o", "r.txt", "6", "8"},
           0,
           "",
           "",
           {.uscita = "<r.txt"},
           [](const CartellaProva& c) { c.Scrivi("r.txt", "x\n"); }},
          // A table that the generator would not write, the last byte changed, is damaged; one
          // with CRLF line ends, read element by element after the comparison failed, is not.
          {{"1", "20"},
           1,
           "",
           "terne-cerca: Combinations05.txt manca o e' danneggiato. Prepararlo di nuovo con: "
           "terne-prepara\n",
           {},
           [](const CartellaProva& c) {
             std::string tabella = c.Leggi("Combinations05.txt");
             tabella.back() = '7';
             c.Scrivi("Combinations05.txt", tabella);
           }},
          {{"-q", "1", "20"},
           0,
           "",
           "",
           {},
           [](const CartellaProva& c) {
             std::string crlf;
             for (char carattere : c.Leggi("Combinations05.txt")) {
               crlf += carattere == '\n' ? std::string("\r\n") : std::string(1, carattere);
             }
             c.Scrivi("Combinations05.txt", crlf);
           }},
          {{"--version"},
           1,
           "",
           "terne-cerca: impossibile scrivere sull'uscita standard\n",
           {.uscita = "/dev/full"}},
          // Where the records never go: nowhere (a closed standard output), into an input file (by
          // name, through a link to the shared tables, through >> on standard output), into the
          // file of standard error. A kept copy goes only once the new file is safely closed.
          {{"-o", "-", "6", "8"},
           1,
           "",
           no + "(uscita standard): descrittore non aperto\n",
           {.uscita = "&-"}},
          {{"-o", "-", "6", "8"},
           1,
           "",
           no + "(uscita standard): descrittore aperto in sola lettura\n",
           {.uscita = "<numeriPrimi.txt"}},
          {{"-o", "numeriPrimi.txt", "6", "8"}, 1, "", no + "numeriPrimi.txt" + ingresso},
          {{"-o", "Combinations07.txt", "6", "8"}, 1, "", no + "Combinations07.txt" + ingresso},
          {{"-o", "Combinations19.txt", "6", "8"}, 1, "", no + "Combinations19.txt" + ingresso},
          {{"-o", "-", "6", "8"},
           1,
           "",
           no + "(uscita standard)" + ingresso,
           {.uscita = "numeriPrimi.txt"},
           [&](const CartellaProva& c) {
             c.Scrivi("numeriPrimi.txt", primi);  // its own copy, appended to if all goes wrong
           }},
          {{"6", "8"}, 1, "", "", {.errori = "triadiRettangole6-8.txt"}},
          {{"-q", "1", "20"},
           0,
           "",
           "",
           {},  // a copy kept in silence
           [](const CartellaProva& c) { c.Scrivi("triadiRettangole1-20.txt", "vecchio\n"); }},
          {{"1", "20"},
           1,
           "",
           "terne-cerca: Combinations07.txt non si puo' leggere (errore di lettura o scrittura sul "
           "dispositivo)",
           {},
           [](const CartellaProva& c) {
             c.Rimuovi("Combinations07.txt");  // a file that fails when it is read
             std::filesystem::create_symlink("/proc/self/mem", c / "Combinations07.txt");
           }},
          {{"1", "20"},
           1,
           "",
           "terne-cerca: il file triadiRettangole1-20.txt c'era gia': conservato come "
           "triadiRettangole1-20.txt.~1~\nterne-cerca: scrittura non riuscita (errore di lettura",
           {.chiamata = 3, .azione = "EIO"},  // the close of the new file
           [](const CartellaProva& c) { c.Scrivi("triadiRettangole1-20.txt", "3,4,5\n"); }},
#ifndef TERNE_SANITIZZATO
          // Fields that read as 0 cost no memory; entries that do are blamed for what they cost.
          {{"1", "20"},
           1,
           "",
           "terne-cerca: numeriPrimi.txt non ha abbastanza numeri primi per 20. Prepararlo di "
           "nuovo con: terne-prepara\n",
           {.memoria = 40000 * 1024},
           [](const CartellaProva& c) {
             c.Scrivi("numeriPrimi.txt", "2" + std::string(20 << 20, '\t'));
           }},
          {{"1", "20"},
           1,
           "",
           "terne-cerca: memoria insufficiente per leggere numeriPrimi.txt\n",
           {.memoria = 40000 * 1024},
           [](const CartellaProva& c) {
             std::string due;
             for (int i = 0; i < 10 << 20; ++i) due += "2\t";
             c.Scrivi("numeriPrimi.txt", due);
           }},
#endif
      });
  EXPECT_FALSE(cartella.Esiste("triadiRettangole31-40.txt"));
  EXPECT_EQ(cartella.Leggi("numeriPrimi.txt"), primi);
}

// A hint's command is one line, whatever its length, and runs as pasted: the folder quoted, and
// terne-prepara by its path where PATH does not find it, as after ./avvia.
TEST(Cerca, AHintPastedAsShownRuns) {
  CartellaProva cartella("suggerimento", false);
  const std::string nome = "Le mie terne, in una cartella dal nome abbastanza lungo";
  std::filesystem::create_directory(cartella / nome);
  Processo p(CERCA_BIN, cartella.percorso, {"-C", nome, "1", "20"}, {.preparaFuoriDalPath = true});
  EXPECT_EQ(p.Attendi(), 1 << 8);
  const std::string errori = cartella.Leggi(".errori");
  const std::string comando = errori.substr(errori.rfind("\n  ", errori.size() - 2) + 3);
  EXPECT_EQ(comando, std::string(PREPARA_BIN) + " '" + nome + "'\n") << errori;
  EXPECT_EQ(Esegui(cartella, comando.substr(0, comando.size() - 1) + " >/dev/null"), 0);
  EXPECT_EQ(Processo(CERCA_BIN, cartella.percorso, {"-q", "-C", nome, "1", "20"}).Attendi(), 0);
}

// A descriptor of the standard three that is closed at start takes no file's place: what the
// program would say there never lands in the results file.
TEST(Cerca, AClosedStandardErrorTakesNoFilesPlace) {
  CartellaProva cartella("descrittori");
  cartella.Scrivi("triadiRettangole1-20.txt", "vecchio\n");
  Processo p(CERCA_BIN, cartella.percorso, {"1", "20"}, {.errori = "&-"});
  EXPECT_EQ(p.Attendi(), 0);
  EXPECT_EQ(PerCateto(cartella.Leggi("triadiRettangole1-20.txt"), 1, 20), RicercaAttesa(1, 20));
  EXPECT_EQ(cartella.Leggi("triadiRettangole1-20.txt.~1~"), "vecchio\n");
}

// terne-cerca writes the file that terne writes, over a range that crosses the repeat window,
// wherever a user sends it: in its folder (where a rerun's copy of the same file goes away),
// elsewhere with -C, on standard output, and on the devices, FIFOs and links the shell takes.
TEST(Cerca, WritesTheFileOfTerneWhereverItIsSent) {
  CartellaProva cartella("cerca");
  Processo terne(TERNE_BIN, cartella.percorso, {}, {.senzaPausa = true});
  terne.Scrivi("1\n330\nx\n");
  terne.ChiudiIngresso();
  ASSERT_EQ(terne.Attendi(), 0);
  const std::string nome = "triadiRettangole1-330.txt";
  const std::string atteso = cartella.Leggi(nome);
  ASSERT_GT(atteso.size(), 1000u);
  CartellaProva altrove("cerca_altrove", false);
  std::unique_ptr<LettoreFifo> fifo;
  struct Caso {
    const char* nome;
    std::vector<std::string> argomenti;
    std::function<std::string(const Processo&)> scritto;  // what reached the destination
    std::string errori;                                   // the start of standard error
    std::function<void()> prepara = nullptr;
    Opzioni opzioni = {};
    const CartellaProva* dove = nullptr;  // where it starts, when not in the folder of the data
  };
  const Caso casi[] = {
      Caso(
          "di nuovo nella stessa cartella: la copia uguale al nuovo file va via", {"1", "330"},
          [&](const Processo&) {
            EXPECT_FALSE(cartella.Esiste(nome + ".~1~"));
            return cartella.Leggi(nome);
          },
          "terne-cerca: il file " + nome + " c'era gia': conservato come " + nome +
              ".~1~\nterne-cerca: " + nome +
              ".~1~ non aveva nulla in piu' del nuovo file: rimosso\n"),
      Caso(
          "-C, --output= e --, da un'altra cartella",
          {"-q", "-C", cartella.percorso.string(), "--output=r.txt", "--", "1", "330"},
          [&](const Processo&) { return cartella.Leggi("r.txt"); }, "", nullptr, {}, &altrove),
      Caso("standard output", {"-q", "-o", "-", "1", "330"}, &Processo::Uscita, ""),
      Caso(
          "/dev/null", {"-q", "-o", "/dev/null", "1", "330"},
          [&](const Processo&) {
            EXPECT_FALSE(cartella.Esiste("null"));
            return atteso;
          },
          ""),
      Caso(
          "un collegamento allo standard output, aperto in aggiunta come da >>",
          {"-q", "-o", "mio", "1", "330"},
          [&](const Processo& p) {
            EXPECT_TRUE(std::filesystem::is_symlink(cartella / "mio"));
            return p.Uscita().substr(std::strlen("riga di prima\n"));
          },
          "", [&] { std::filesystem::create_symlink("/proc/self/fd/1", cartella / "mio"); },
          {.giaNellUscita = "riga di prima\n"}),
      Caso(
          "d/1, con d un collegamento a /dev/fd: lo stesso file, comunque si scriva il nome",
          {"-q", "-o", "d/1", "1", "330"},
          [&](const Processo& p) { return p.Uscita().substr(std::strlen("riga di prima\n")); }, "",
          [&] { std::filesystem::create_symlink("/dev/fd", cartella / "d"); },
          {.giaNellUscita = "riga di prima\n"}),
      Caso(
          "una FIFO con il suo lettore", {"-q", "-o", "fifo", "1", "330"},
          [&](const Processo&) {
            EXPECT_TRUE(std::filesystem::is_fifo(cartella / "fifo"));
            return fifo->Letto();
          },
          "", [&] { fifo = std::make_unique<LettoreFifo>(cartella / "fifo"); }),
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    if (c.prepara) c.prepara();
    Processo cerca(CERCA_BIN, (c.dove != nullptr ? *c.dove : cartella).percorso, c.argomenti,
                   c.opzioni);
    EXPECT_EQ(cerca.Attendi(), 0);
    EXPECT_EQ(cerca.Errori().substr(0, c.errori.size()), c.errori);
    EXPECT_EQ(cerca.Errori().empty(), c.errori.empty());
    EXPECT_EQ(c.scritto(cerca), atteso);
    if (c.opzioni.giaNellUscita != nullptr) {
      EXPECT_EQ(cerca.Uscita().rfind(c.opzioni.giaNellUscita, 0), 0u);
    }
  }
  EXPECT_EQ(cartella.Leggi(nome), atteso);
}

// No earlier results are lost: each rerun keeps the file it finds under a new number, and a run
// that writes every triple removes only its own copy, and only when that copy holds nothing the
// new file lacks.
TEST(Cerca, EarlierResultsAreNeverLost) {
  CartellaProva cartella("copie");
  const std::string nome = "triadiRettangole1-1000.txt";
  const auto esegui = [&](bool fermata) {
    Processo p(CERCA_BIN, cartella.percorso, {"-q", "1", "1000"},
               {.fermaDopo = fermata ? 4096 : -1});
    if (fermata) {
      EXPECT_TRUE(p.AttendiFermo());
      p.Segnala(SIGINT);
      p.Segnala(SIGCONT);
    }
    EXPECT_EQ(p.Attendi(), fermata ? (128 + SIGINT) << 8 : 0);
    return cartella.Leggi(nome);
  };
  const std::string completo = esegui(false);
  const std::string parziale = esegui(true);
  ASSERT_LT(parziale.size(), completo.size());
  esegui(true);
  EXPECT_EQ(cartella.Leggi(nome + ".~1~"), completo);
  EXPECT_EQ(cartella.Leggi(nome + ".~2~"), parziale);
  EXPECT_EQ(esegui(false), completo);  // its copy, a part of the new file, goes
  EXPECT_EQ(esegui(false), completo);  // so does an equal one
  std::set<std::string> file;
  for (const auto& voce : std::filesystem::directory_iterator(cartella.percorso)) {
    if (voce.path().filename().string().rfind("triadi", 0) == 0) {
      file.insert(voce.path().filename().string());
    }
  }
  EXPECT_EQ(file, (std::set<std::string>{nome, nome + ".~1~", nome + ".~2~"}));
}

// A stop signal frees a run blocked on a pipe that nobody reads: it ends at once and says up to
// which leg the pipe holds whole records; what came through is exactly that.
TEST(Cerca, AStopEndsAWriteBlockedOnAFullPipe) {
  CartellaProva cartella("tubo");
  Processo p(CERCA_BIN, cartella.percorso, {"-o", "-", "1", "65535"}, {.tubo = true});
  ASSERT_TRUE(p.AttendiStato("syscall", "1 0x1 "));
  p.Segnala(SIGTERM);
  ASSERT_EQ(p.Attendi(30s), (128 + SIGTERM) << 8);
  std::string letto;
  char pezzo[4096];
  for (ssize_t n; (n = read(p.Tubo(), pezzo, sizeof pezzo)) > 0;) letto.append(pezzo, n);
  const int k = CatetoNominato(p.Errori());
  ASSERT_GT(k, 100) << p.Errori();
  const std::string intero = FileDiUnaRicerca(1, k);
  EXPECT_EQ(letto.substr(0, intero.size()), intero);
  const bool incompleta = p.Errori().find("riga incompleta") != std::string::npos;
  EXPECT_EQ(letto.size() > intero.size(), incompleta) << p.Errori();
}

// The progress line is drawn on a terminal only (a pseudo-terminal through script), shorter
// than the terminal is wide, and not when the records go to that same terminal; the summary
// line comes on a terminal and on a file alike.
TEST(Cerca, AProgressLineOnATerminalOnlyAndASummaryAlways) {
  CartellaProva cartella("avanzamento");
  const std::regex riepilogo(
      "terne-cerca: (triadiRettangole1-3000.txt|\\(uscita standard\\)): "
      "[0-9]{1,3}\\.[0-9]{3} terne in [0-9]+,[0-9] s\r?\n");
  Processo file(CERCA_BIN, cartella.percorso, {"1", "3000"});
  ASSERT_EQ(file.Attendi(), 0);
  EXPECT_TRUE(std::regex_match(file.Errori(), riepilogo)) << file.Errori();
  // A reader that starts late holds the run past a second, so that an estimate can be made; on
  // 75 columns the line with an estimate fits without the word "cateti".
  Processo terminale(
      "/usr/bin/script", cartella.percorso,
      {"-qec",
       "stty cols 75; " + std::string(CERCA_BIN) + " -o - 1 3000 | (sleep 1.5; cat >/dev/null)",
       "/dev/null"});
  ASSERT_EQ(terminale.Attendi(), 0);
  const std::string schermo = terminale.Uscita();
  const auto riga = [&schermo](size_t da) {
    return da == std::string::npos ? "" : schermo.substr(da, schermo.find('\r', da + 1) - da);
  };
  // An estimate of the time left only while there is a guess to make and legs are left; the line
  // is cleared for the summary.
  const std::string prima = riga(schermo.find("\rcateti 1/3.000 (0,0 %), 0 terne, 0:00 trascorsi"));
  ASSERT_NE(prima, "");
  EXPECT_EQ(prima.find("circa"), std::string::npos);
  EXPECT_NE(schermo.find(" alla fine"), std::string::npos) << schermo;
  const std::string fine = riga(schermo.find("\rcateti 3.000/3.000 (100,0 %), "));
  ASSERT_NE(fine, "");
  EXPECT_EQ(fine.find("circa"), std::string::npos) << fine;
  const size_t ultima = schermo.rfind("terne-cerca: ");
  ASSERT_NE(ultima, std::string::npos);
  EXPECT_NE(schermo.find(" \rterne-cerca: "), std::string::npos);
  EXPECT_TRUE(std::regex_match(schermo.substr(ultima), riepilogo)) << schermo.substr(ultima);

  Processo stretto("/usr/bin/script", cartella.percorso,
                   {"-qec", "stty cols 48; " + std::string(CERCA_BIN) + " 1 3000", "/dev/null"});
  ASSERT_EQ(stretto.Attendi(), 0);
  const std::string righe = stretto.Uscita().substr(0, stretto.Uscita().find("\rterne-cerca: "));
  EXPECT_NE(righe.find("\r3.000/3.000 (100,0 %) "), std::string::npos) << righe;
  EXPECT_NE(righe.find("\rcateti 1/3.000 (0,0 %), 0 terne, 0:00 trascorsi\r"), std::string::npos);
  for (size_t inizio = righe.find('\r'); inizio != std::string::npos;) {
    const size_t fine = righe.find_first_of("\r\n", inizio + 1);
    EXPECT_LT((fine == std::string::npos ? righe.size() : fine) - inizio - 1, 48u);
    inizio = righe.find('\r', inizio + 1);
  }

  // On a long run a narrow terminal keeps the estimate before the time gone by.
  Processo lungo("/usr/bin/script", cartella.percorso,
                 {"-qec",
                  "stty cols 64; " + std::string(CERCA_BIN) +
                      " -t -o - 4000000000 4000100000 | (sleep 1.5; cat >/dev/null)",
                  "/dev/null"});
  ASSERT_EQ(lungo.Attendi(), 0);
  EXPECT_TRUE(std::regex_search(lungo.Uscita(),
                                std::regex("\r[0-9.]+/100\\.001 \\([0-9]+,[0-9] %\\)(, [0-9.]+ "
                                           "terne)?, circa [0-9:]+ alla fine *\r")))
      << lungo.Uscita();

  Processo insieme("/usr/bin/script", cartella.percorso,
                   {"-qec", std::string(CERCA_BIN) + " -o - 1 3000", "/dev/null"});
  ASSERT_EQ(insieme.Attendi(), 0);
  EXPECT_EQ(insieme.Uscita().find("\rcateti"), std::string::npos);
  EXPECT_EQ(insieme.Uscita().rfind("3,4,5\r\n", 0), 0u);
}

// Every triple with a leg in m … n, as --tutte writes them, computed apart from the program: for
// each leg a, each d < a that divides a² with a² / d of its parity, from the largest d down (the
// other leg b increasing), unless m <= b < a, which that earlier leg wrote.
std::string TutteAttese(long long m, long long n) {
  std::string file;
  for (long long a = m; a <= n; ++a) {
    for (long long d = a - 1; d >= 1; --d) {
      const long long e = a * a / d;
      const long long b = (e - d) / 2;
      if (a * a % d != 0 || (e - d) % 2 != 0 || (b >= m && b < a)) continue;
      file += std::to_string(std::min(a, b)) + "," + std::to_string(std::max(a, b)) + "," +
              std::to_string((e + d) / 2) + "\n";
    }
  }
  return file;
}

// The number of divisors of n², n factored by trial division.
long long DivisoriDelQuadrato(unsigned long long n) {
  long long conto = 1;
  for (unsigned long long p = 2; p * p <= n; ++p) {
    int e = 0;
    for (; n % p == 0; n /= p) ++e;
    conto *= 2 * e + 1;
  }
  return n > 1 ? conto * 3 : conto;
}

// Legs too large for the brute force: every line an exact triple, smallest first, written once,
// with a leg in m … n; each leg in as many lines as its square has splits into two factors of one
// parity ((τ(a²) - 1) / 2 for odd a, (τ((a / 2)²) - 1) / 2 for even a).
void ControllaTutte(const std::string& file, unsigned long long m, unsigned long long n) {
  __extension__ typedef unsigned __int128 u128;
  std::map<unsigned long long, long long> perCateto;
  std::set<std::string> viste;
  std::istringstream righe(file);
  for (std::string riga; std::getline(righe, riga);) {
    unsigned long long x = 0, y = 0, z = 0;
    ASSERT_EQ(std::sscanf(riga.c_str(), "%llu,%llu,%llu", &x, &y, &z), 3) << riga;
    ASSERT_TRUE(x < y && u128{x} * x + u128{y} * y == u128{z} * z) << riga;
    ASSERT_TRUE(viste.insert(riga).second) << riga;
    for (const unsigned long long cateto : {x, y}) {
      if (cateto >= m && cateto <= n) ++perCateto[cateto];
    }
  }
  for (unsigned long long a = m; a <= n; ++a) {
    EXPECT_EQ(perCateto[a], (DivisoriDelQuadrato(a % 2 == 0 ? a / 2 : a) - 1) / 2) << a;
  }
}

// --tutte: every triple with a leg in the range, once each, in its order, from the prime table
// alone; a range whose two ends are the legs of one triple (20, 99, 101) writes it once; legs
// near 2^32 and one whose square has 76,545 divisors; a stop keeps whole legs.
TEST(Cerca, EveryTripleOnRequest) {
  CartellaProva cartella("tutte");
  for (int n = 4; n <= 19; ++n)
    cartella.Rimuovi("Combinations" + std::to_string(n / 10) + std::to_string(n % 10) + ".txt");
  const auto esegui = [&](long long m, long long n) {
    Processo p(CERCA_BIN, cartella.percorso, {"-q", "-t", std::to_string(m), std::to_string(n)});
    EXPECT_EQ(p.Attendi(60s), 0) << p.Errori();
    EXPECT_EQ(p.Errori(), "");
    return cartella.Leggi("tutteLeTerne" + std::to_string(m) + "-" + std::to_string(n) + ".txt");
  };
  const std::string trenta = esegui(1, 30);
  EXPECT_EQ(std::count(trenta.begin(), trenta.end(), '\n'), 47);
  EXPECT_EQ(trenta, TutteAttese(1, 30));
  EXPECT_EQ(esegui(20, 99), TutteAttese(20, 99));
  EXPECT_EQ(esegui(2500, 3000), TutteAttese(2500, 3000));
  ControllaTutte(esegui(4294967195, 4294967295), 4294967195, 4294967295);
  ControllaTutte(esegui(3491888400, 3491888400), 3491888400, 3491888400);

  Processo fermato(CERCA_BIN, cartella.percorso, {"-t", "1", "5000"},
                   {.fermaDopo = 4096, .prefisso = "tutteLeTerne"});
  ASSERT_TRUE(fermato.AttendiFermo());
  fermato.Segnala(SIGINT);
  fermato.Segnala(SIGCONT);
  EXPECT_EQ(fermato.Attendi(60s), (128 + SIGINT) << 8);
  const int k = CatetoNominato(fermato.Errori());
  ASSERT_GT(k, 0) << fermato.Errori();
  EXPECT_EQ(cartella.Leggi("tutteLeTerne1-5000.txt"), TutteAttese(1, k));
  Processo pieno(CERCA_BIN, cartella.percorso, {"-t", "1", "3000"},
                 {.limiteScrittura = 100000, .prefisso = "tutteLeTerne"});
  EXPECT_EQ(pieno.Attendi(60s), 1 << 8);
  const int j = CatetoNominato(pieno.Errori());
  ASSERT_GT(j, 0) << pieno.Errori();
  EXPECT_EQ(cartella.Leggi("tutteLeTerne1-3000.txt"), TutteAttese(1, j));

  // A prime table that stops below the root of N is told before anything is written, with the
  // command that writes one long enough.
  cartella.Scrivi("numeriPrimi.txt", "2\t3\t5\t7\t11\n");
  Processo corta(CERCA_BIN, cartella.percorso, {"-t", "1", "200"});
  EXPECT_EQ(corta.Attendi(), 1 << 8);
  EXPECT_EQ(corta.Errori(),
            "terne-cerca: numeriPrimi.txt non ha abbastanza numeri primi per 200. Prepararlo di "
            "nuovo con: terne-prepara\n");
  EXPECT_FALSE(cartella.Esiste("tutteLeTerne1-200.txt"));
  EXPECT_EQ(Processo(PREPARA_BIN, cartella.percorso).Attendi(), 0);
  EXPECT_EQ(esegui(1, 200), TutteAttese(1, 200));
}

}  // namespace
