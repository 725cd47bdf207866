// End-to-end tests of the tools: terne-grafico draws results files, terne-prepara writes the
// input files; run in scratch folders, their outputs and messages are compared.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/processo.h"

namespace {

using namespace e2e;

// A picture rendered by rsvg-convert, its pixels read from a binary PPM image.
struct Immagine {
  int larghezza = 0, altezza = 0;
  std::string rgb;
  // The colour of pixel (x, y), as red, green and blue.
  std::array<int, 3> Colore(int x, int y) const {
    const size_t i = 3 * (static_cast<size_t>(y) * larghezza + x);
    return {static_cast<unsigned char>(rgb[i]), static_cast<unsigned char>(rgb[i + 1]),
            static_cast<unsigned char>(rgb[i + 2])};
  }
};

Immagine Disegnata(const CartellaProva& cartella, const std::string& svg) {
  EXPECT_EQ(Esegui(cartella, "rsvg-convert '" + svg + "' | pngtopnm > .ppm"), 0);
  std::istringstream is(cartella.Leggi(".ppm"));
  Immagine i;
  std::string formato;
  int massimo = 0;
  is >> formato >> i.larghezza >> i.altezza >> massimo;
  is.get();
  i.rgb.assign(std::istreambuf_iterator<char>(is), {});
  EXPECT_EQ(i.rgb.size(), 3u * i.larghezza * i.altezza);
  return i;
}

// A real run of 1 … 30 on the default 1000 pixels: every point of the file that lies in the
// window inks a mark of a few pixels where it belongs, primitives blue and multiples orange, up
// to the frame's right edge, which is 30; a copy under another name, and the file through a
// pipe, draw the same window; a line on standard error tells what was drawn.
TEST(Grafico, EveryPointOfARealRunIsDrawnWhereItBelongsInItsColour) {
  CartellaProva cartella("grafico");
  ASSERT_EQ(Processo(CERCA_BIN, cartella.percorso, {"-q", "1", "30"}).Attendi(), 0);
  Processo p(GRAFICO_BIN, cartella.percorso, {"triadiRettangole1-30.txt"});
  ASSERT_EQ(p.Attendi(), 0);
  EXPECT_EQ(p.Errori(), "terne-grafico: triadiRettangole1-30.svg: 33 terne, 22 punti\n");
  const Immagine disegno = Disegnata(cartella, "triadiRettangole1-30.svg");
  // The frame's sides: the first grey from the middle of the picture, inside the window.
  const auto lato = [&disegno](int dx, int dy) {
    int x = disegno.larghezza / 2, y = disegno.altezza / 2;
    for (auto c = disegno.Colore(x, y); c[0] == 255 || c[0] != c[1] || c[1] != c[2];) {
      if (x <= 0 || y <= 0 || x >= disegno.larghezza - 1 || y >= disegno.altezza - 1) break;
      c = disegno.Colore(x += dx, y += dy);
    }
    return dx != 0 ? x : y;
  };
  const int sinistra = lato(-1, 0), destra = lato(1, 0), basso = lato(0, 1);
  EXPECT_EQ(basso - lato(0, -1), destra - sinistra);
  std::istringstream terne(cartella.Leggi("triadiRettangole1-30.txt"));
  for (int a, b, c; terne >> a && terne.ignore() >> b && terne.ignore() >> c;) {
    if (b > 30) continue;
    const std::array<int, 3> colore =
        std::gcd(a, b) == 1 ? std::array{0, 114, 178} : std::array{230, 159, 0};
    for (const auto& [x, y] : {std::pair{a, b}, {b, a}}) {
      int pixel = 0;  // of the point's colour, around where it belongs
      for (int i = 0; i < 25; ++i) {
        pixel += disegno.Colore(sinistra + x * (destra - sinistra) / 30 - 2 + i % 5,
                                basso - y * (destra - sinistra) / 30 - 2 + i / 5) == colore;
      }
      EXPECT_GE(pixel, 9) << x << ", " << y;
    }
  }
  std::filesystem::copy(cartella / "triadiRettangole1-30.txt", cartella / "c.txt");
  ASSERT_EQ(Processo(GRAFICO_BIN, cartella.percorso, {"-q", "-o", "c.svg", "c.txt"}).Attendi(), 0);
  Processo tubo(GRAFICO_BIN, cartella.percorso, {"-q", "-o", "t.svg", "-"});
  tubo.Scrivi(cartella.Leggi("c.txt"));
  tubo.ChiudiIngresso();
  ASSERT_EQ(tubo.Attendi(), 0);
  EXPECT_EQ(tubo.Errori(), "");
  const size_t titolo = 3 * 40 * static_cast<size_t>(disegno.larghezza);  // its first 40 rows
  EXPECT_TRUE(Disegnata(cartella, "c.svg").rgb.substr(titolo) == disegno.rgb.substr(titolo));
  EXPECT_TRUE(Disegnata(cartella, "t.svg").rgb.substr(titolo) == disegno.rgb.substr(titolo));
}

// A dense picture, drawn as paths of cells: every pixel inside the frame compared with the marks
// that the test computes from the file by the rule the picture follows. A value v falls in cell
// v * P / L (the last for L), a point's mark is a square of round(0.3 P / sqrt(points)) cells,
// from 1 to P / 125, centred on its cell, and a primitive (blue) covers a multiple (orange).
// Legs 1 … 3000 give 10,154 points: marks of 3 pixels at 1000, runs of single cells at 200.
TEST(Grafico, ADensePictureInksExactlyTheCellsOfItsPoints) {
  CartellaProva cartella("grafico_denso");
  ASSERT_EQ(Processo(CERCA_BIN, cartella.percorso, {"-q", "1", "3000"}).Attendi(), 0);
  const std::string file = cartella.Leggi("triadiRettangole1-3000.txt");
  for (const int pixel : {1000, 200}) {
    SCOPED_TRACE(pixel);
    const std::string svg = "denso" + std::to_string(pixel) + ".svg";
    ASSERT_EQ(
        Processo(GRAFICO_BIN, cartella.percorso,
                 {"-q", "--pixel", std::to_string(pixel), "-o", svg, "triadiRettangole1-3000.txt"})
            .Attendi(),
        0);
    std::vector<int> celle(static_cast<size_t>(pixel) * pixel, 0);  // 0, 1 multiple, 2 primitive
    long long punti = 0;
    std::istringstream righe(file);
    for (long long a, b, c; righe >> a && righe.ignore() >> b && righe.ignore() >> c;) {
      if (b > 3000) continue;
      punti += 2;
      for (const auto& [x, y] : {std::pair{a, b}, {b, a}}) {
        int& cella = celle[std::min<long long>(y * pixel / 3000, pixel - 1) * pixel +
                           std::min<long long>(x * pixel / 3000, pixel - 1)];
        cella = std::max(cella, std::gcd(a, b) == 1 ? 2 : 1);
      }
    }
    ASSERT_GT(punti, 3000);
    const int segno =
        std::clamp<int>(std::lround(0.3 * pixel / std::sqrt(punti)), 1, std::max(1, pixel / 125));
    std::vector<int> attesi(celle.size(), 0);  // the colour of each pixel of the window
    for (int riga = 0; riga < pixel; ++riga) {
      for (int colonna = 0; colonna < pixel; ++colonna) {
        for (int i = 0; i < segno * segno; ++i) {
          const int x = colonna - (segno - 1) / 2 + i % segno;
          const int y = riga + (segno - 1) / 2 - i / segno;  // rows from the bottom
          if (x < 0 || y < 0 || x >= pixel || y >= pixel) continue;
          int& colore = attesi[static_cast<size_t>(y) * pixel + x];
          colore = std::max(colore, celle[static_cast<size_t>(riga) * pixel + colonna]);
        }
      }
    }
    const std::string testo = cartella.Leggi(svg);
    EXPECT_EQ(testo.find("<title>"), std::string::npos);
    std::smatch finestra;
    ASSERT_TRUE(std::regex_search(
        testo, finestra, std::regex("<rect id=\"finestra\" x=\"([0-9]+)\" y=\"([0-9]+)\"")));
    const int x0 = std::stoi(finestra[1]), y0 = std::stoi(finestra[2]);
    const Immagine disegno = Disegnata(cartella, svg);
    const std::array<int, 3> colori[] = {{255, 255, 255}, {230, 159, 0}, {0, 114, 178}};
    int diversi = 0;
    // The frame's grey edges lie on the first and last row and column: there a mark covers them,
    // and where none does they are neither of the two colours.
    for (int y = 0; y < pixel; ++y) {
      for (int x = 0; x < pixel; ++x) {
        const int atteso = attesi[static_cast<size_t>(y) * pixel + x];
        const std::array<int, 3> colore = disegno.Colore(x0 + x, y0 + pixel - 1 - y);
        const bool bordo = x == 0 || y == 0 || x == pixel - 1 || y == pixel - 1;
        const bool giusto = bordo && atteso == 0 ? colore != colori[1] && colore != colori[2]
                                                 : colore == colori[atteso];
        if (!giusto && ++diversi <= 5) {
          ADD_FAILURE() << "cella " << x << ", " << y << ": attesa " << atteso;
        }
      }
    }
    EXPECT_EQ(diversi, 0);
  }
}

// Bad input and output that cannot be written are told, and leave no picture and no temporary
// file behind; an existing file or folder of the output's name stays as it was. Odd but valid
// command lines draw their picture.
TEST(Grafico, EveryCommandLineIsToldOrDrawn) {
  using Cartella = const CartellaProva&;
  const std::string bytes = "t\xff\x01\x1b[31m.txt";  // not UTF-8, and control characters
  struct Caso {
    const char* nome;
    std::vector<std::string> argomenti;
    std::string contenuto;  // of triadiRettangole1-5.txt, "-" for none
    int codice;
    std::string errori;  // the start of standard error
    const char* svg;     // the picture expected, or null
    std::function<void(Cartella)> prepara = nullptr;
    std::function<void(Cartella)> controlla = nullptr;
    Opzioni opzioni = {};
    std::string ingresso = "";  // on standard input
  };
  const Caso casi[] = {
      Caso("file mancante", {"triadiRettangole1-5.txt"}, "-", 1,
           "terne-grafico: impossibile leggere triadiRettangole1-5.txt: ", nullptr),
      Caso("riga sbagliata", {"triadiRettangole1-5.txt"}, "3,4,5\n3,4\x1b[2J\n", 1,
           "terne-grafico: triadiRettangole1-5.txt, riga 2: attesi tre interi positivi separati da "
           "virgole, trovato \"3,4\\x1b[2J\"\n",
           nullptr),
      Caso("una riga senza fine: /dev/zero", {"/dev/zero"}, "-", 1,
           "terne-grafico: /dev/zero, riga 1: attesi tre interi positivi separati da virgole, "
           "trovato \"\\x00\\x00",
           nullptr),
      Caso("uscita in una cartella che manca", {"-o", "manca/g.svg", "triadiRettangole1-5.txt"},
           "3,4,5\n", 1, "terne-grafico: impossibile scrivere manca/g.svg: ", nullptr),
      Caso("uscita su una cartella", {"-o", "cartella", "triadiRettangole1-5.txt"}, "3,4,5\n", 1,
           "terne-grafico: impossibile scrivere cartella: ", nullptr, nullptr,
           [](Cartella c) { EXPECT_TRUE(std::filesystem::is_directory(c / "cartella")); }),
      Caso(
          "un grafico che non si puo' scrivere lascia com'era quello che c'era",
          {"triadiRettangole1-5.txt"}, "3,4,5\n", 1,
          "terne-grafico: impossibile scrivere triadiRettangole1-5.svg: file troppo grande\n",
          nullptr, [](Cartella c) { c.Scrivi("triadiRettangole1-5.svg", "vecchio\n"); },
          [](Cartella c) { EXPECT_EQ(c.Leggi("triadiRettangole1-5.svg"), "vecchio\n"); },
          {.limiteFile = 1000}),
      Caso(
          "il file nuovo va sul disco prima di prendere il nome: se non ci va, resta il vecchio",
          {"-o", "g.svg", "triadiRettangole1-5.txt"}, "3,4,5\n", 1,
          "terne-grafico: impossibile scrivere g.svg: errore di lettura o scrittura sul "
          "dispositivo\n",
          nullptr, [](Cartella c) { c.Scrivi("g.svg", "vecchio\n"); },
          [](Cartella c) { EXPECT_EQ(c.Leggi("g.svg"), "vecchio\n"); },
          {.fsyncGuasto = "1", .prefisso = "g.svg"}),
      Caso("dopo il nuovo nome anche la cartella va sul disco; se non ci va, lo si dice",
           {"-o", "g.svg", "triadiRettangole1-5.txt"}, "3,4,5\n", 1,
           "terne-grafico: g.svg e' scritto, ma la sua cartella non e' andata sul disco (errore "
           "di lettura o scrittura sul dispositivo)\n",
           "g.svg", nullptr, nullptr, {.fsyncGuasto = "1", .prefisso = "terne_grafico_guasti"}),
      Caso(
          "il file dell'ingresso standard (0<>) come uscita si sostituisce",
          {"-o", "g.svg", "t.txt"}, "-", 0, "", "g.svg",
          [](Cartella c) { c.Scrivi("t.txt", "3,4,5\n"); },
          [](Cartella c) { EXPECT_EQ(Esegui(c, "xmllint --noout g.svg"), 0); },
          {.ingresso = "g.svg"}),
      Caso(
          "un collegamento messo al posto del vecchio nome provvisorio",
          {"triadiRettangole1-5.txt"}, "3,4,5\n", 0, "", "triadiRettangole1-5.svg",
          [](Cartella c) {
            c.Scrivi("vittima.txt", "intatto\n");
            std::filesystem::create_symlink("vittima.txt", c / "triadiRettangole1-5.svg.parziale");
          },
          [](Cartella c) { EXPECT_EQ(c.Leggi("vittima.txt"), "intatto\n"); }),
      Caso(
          "un collegamento come uscita si segue", {"-o", "g.svg", "triadiRettangole1-5.txt"},
          "3,4,5\n", 0, "", nullptr,
          [](Cartella c) {
            c.Scrivi("vero.svg", "vecchio\n");
            std::filesystem::create_symlink("vero.svg", c / "g.svg");
          },
          [](Cartella c) {
            EXPECT_TRUE(std::filesystem::is_symlink(c / "g.svg"));
            EXPECT_EQ(c.Leggi("vero.svg").rfind("<?xml", 0), 0u);
          }),
      Caso("il proprio file di ingresso come uscita: rifiutato, e il file resta com'e'",
           {"-o", "./triadiRettangole1-5.txt", "triadiRettangole1-5.txt"}, "3,4,5\n", 1,
           "terne-grafico: impossibile scrivere ./triadiRettangole1-5.txt: e' un file che il "
           "programma legge\n",
           nullptr, nullptr,
           [](Cartella c) { EXPECT_EQ(c.Leggi("triadiRettangole1-5.txt"), "3,4,5\n"); }),
      Caso("- con l'uscita standard chiusa", {"-"}, "-", 1,
           "terne-grafico: impossibile scrivere (uscita standard): descrittore non aperto\n",
           nullptr, nullptr, nullptr, {.uscita = "&-"}, "3,4,5\n"),
      Caso("/proc/thread-self/fd/1 e' l'uscita standard, aperta con >>: vi si aggiunge",
           {"-o", "/proc/thread-self/fd/1", "triadiRettangole1-5.txt"}, "3,4,5\n", 0, "", nullptr,
           nullptr, [](Cartella c) { EXPECT_EQ(c.Leggi(".uscita").rfind("prima\n<?xml", 0), 0u); },
           {.giaNellUscita = "prima\n"}),
      Caso(
          "il grafico di un altro utente, riscritto da root, resta suo, con i suoi permessi",
          {"triadiRettangole1-5.txt"}, "3,4,5\n", 0, "", "triadiRettangole1-5.svg",
          [](Cartella c) {
            c.Scrivi("triadiRettangole1-5.svg", "vecchio\n");
            EXPECT_EQ(chown((c / "triadiRettangole1-5.svg").c_str(), 65534, 65534) == 0,
                      geteuid() == 0);
            chmod((c / "triadiRettangole1-5.svg").c_str(), 06755);
          },
          [](Cartella c) {
            struct stat s;
            EXPECT_EQ(stat((c / "triadiRettangole1-5.svg").c_str(), &s), 0);
            EXPECT_EQ(s.st_uid, geteuid() == 0 ? 65534u : geteuid());
            EXPECT_EQ(s.st_mode & 07777, 06755u);
          }),
      Caso(
          "il file provvisorio sta nella cartella dell'uscita, non in quella di lavoro",
          {"-o", "aperta/g.svg", "triadiRettangole1-5.txt"}, "3,4,5\n", 0, "", nullptr,
          [](Cartella c) {  // the working folder is not the user's, the output's is
            std::filesystem::create_directory(c / "aperta");
            std::filesystem::permissions(c / "aperta", std::filesystem::perms::all);
          },
          [](Cartella c) { EXPECT_TRUE(c.Esiste("aperta/g.svg")); }, {.senzaPrivilegi = true}),
      Caso(
          "- legge lo standard input e disegna sullo standard output", {"-"}, "-", 0, "", nullptr,
          nullptr,
          [](Cartella c) {
            EXPECT_NE(c.Leggi(".uscita").find(">(ingresso standard): 2 terne, 2 punti da 0 a 5<"),
                      std::string::npos);
          },
          {}, "3,4,5\n5,12,13\n"),
      Caso("-h", {"-h"}, "-", 0, "", nullptr, nullptr,
           [](Cartella c) { EXPECT_EQ(c.Leggi(".uscita").rfind("Uso: terne-grafico", 0), 0u); }),
      Caso("--version", {"--version"}, "-", 0, "", nullptr, nullptr,
           [](Cartella c) {
             EXPECT_EQ(c.Leggi(".uscita").rfind(Versione("terne-grafico"), 0), 0u);
           }),
      Caso("pixel zero", {"--pixel", "0", "triadiRettangole1-5.txt"}, "3,4,5\n", 2,
           "terne-grafico: --pixel e' fuori dall'intervallo da 1 a 10.000: '0'\nUso: ", nullptr),
      Caso("un lato negativo enorme",
           {"--lato", "-99999999999999999999", "triadiRettangole1-5.txt"}, "3,4,5\n", 2,
           "terne-grafico: --lato e' fuori dall'intervallo da 1 a 1.000.000.000.000: "
           "'-99999999999999999999'\n",
           nullptr),
      Caso("pixel e lato al massimo",
           {"--pixel=10000", "--lato", "1000000000000", "triadiRettangole1-5.txt"}, "3,4,5\n", 0,
           "", "triadiRettangole1-5.svg", nullptr,
           [](Cartella c) {
             EXPECT_NE(c.Leggi("triadiRettangole1-5.svg").find(" da 0 a 1.000.000.000.000<"),
                       std::string::npos);
           }),
      Caso("nessun file", {}, "-", 2, "terne-grafico: manca il file dei risultati\n", nullptr),
      Caso("-5 e' un'opzione, non un file", {"-5"}, "-", 2,
           "terne-grafico: opzione sconosciuta: -5\n", nullptr),
      Caso("una riga lunga citata per 40 caratteri, poi ...", {"triadiRettangole1-5.txt"},
           "3,4,5\n" + std::string(41, 'x') + "\n", 1,
           "terne-grafico: triadiRettangole1-5.txt, riga 2: attesi tre interi positivi separati da "
           "virgole, trovato \"" +
               std::string(40, 'x') + "...\"\n",
           nullptr),
      Caso("una cartella che non si sincronizza (EINVAL) non e' un guasto",
           {"-o", "g.svg", "triadiRettangole1-5.txt"}, "3,4,5\n", 0, "", "g.svg", nullptr, nullptr,
           {.fsyncGuasto = "EINVAL", .prefisso = "terne_grafico_guasti"}),
      Caso("file vuoto", {"triadiRettangole1-5.txt"}, "", 0, "", "triadiRettangole1-5.svg", nullptr,
           [](Cartella c) {
             EXPECT_NE(c.Leggi("triadiRettangole1-5.svg")
                           .find(">triadiRettangole1-5.txt: 0 terne, 0 punti da 0 a 5<"),
                       std::string::npos);
           }),
      Caso(
          "un altro nome: la finestra arriva al cateto minore piu' grande", {"altro.txt"}, "-", 0,
          "", "altro.svg", [](Cartella c) { c.Scrivi("altro.txt", "3,4,5\n5,12,13\n"); },
          [](Cartella c) {
            EXPECT_NE(c.Leggi("altro.svg").find(" 2 punti da 0 a 5<"), std::string::npos);
          }),
      Caso(
          "la copia di un file di una terna sola disegna il suo punto", {"copia.txt"}, "-", 0, "",
          "copia.svg", [](Cartella c) { c.Scrivi("copia.txt", "3,4,5\n"); },
          [](Cartella c) {
            EXPECT_NE(c.Leggi("copia.svg").find(": 1 terna, 2 punti da 0 a 4<"), std::string::npos);
          }),
      Caso(
          "una pipe vuota non da' un grafico, e quello che c'era resta", {"-o", "g.svg", "-"}, "-",
          1,
          "terne-grafico: da (ingresso standard) non e' arrivata nessuna terna: nessun grafico "
          "scritto\n",
          nullptr, [](Cartella c) { c.Scrivi("g.svg", "vecchio\n"); },
          [](Cartella c) { EXPECT_EQ(c.Leggi("g.svg"), "vecchio\n"); }),
      Caso(
          "- > g.svg 2>&1: nel grafico nessun messaggio", {"-"}, "-", 0, "", nullptr, nullptr,
          [](Cartella c) { EXPECT_EQ(Esegui(c, "xmllint --noout .uscita"), 0); }, {.errori = "&1"},
          "3,4,5\n"),
      Caso("-o /dev/stderr 2>g.svg: nel grafico nessun messaggio",
           {"-o", "/dev/stderr", "triadiRettangole1-5.txt"}, "3,4,5\n", 0, "", "g.svg", nullptr,
           [](Cartella c) { EXPECT_EQ(Esegui(c, "xmllint --noout g.svg"), 0); },
           {.errori = "g.svg"}),
#ifndef TERNE_SANITIZZATO
      Caso("--pixel=10000 in 60 MB", {"--pixel=10000", "triadiRettangole1-5.txt"}, "3,4,5\n", 0, "",
           "triadiRettangole1-5.svg", nullptr, nullptr, {.memoria = 60000 * 1024}),
      Caso(
          "--pixel=10000 in 20 MB: nessun grafico, e quello che c'era resta",
          {"--pixel=10000", "-o", "g.svg", "triadiRettangole1-5.txt"}, "3,4,5\n", 1,
          "terne-grafico: memoria insufficiente per il grafico: nessun grafico scritto\n", nullptr,
          [](Cartella c) { c.Scrivi("g.svg", "vecchio\n"); },
          [](Cartella c) { EXPECT_EQ(c.Leggi("g.svg"), "vecchio\n"); }, {.memoria = 20000 * 1024}),
#endif
      Caso("--opzione=valore e --", {"--pixel=31", "--", "-strano.txt"}, "-", 0, "", "-strano.svg",
           [](Cartella c) { c.Scrivi("-strano.txt", "3,4,5\n"); }),
      Caso(
          "un nome che non e' UTF-8, con caratteri di controllo", {"-o", "g.svg", bytes}, "-", 0,
          "", "g.svg", [&](Cartella c) { c.Scrivi(bytes, "3,4,5\n"); },
          [](Cartella c) { EXPECT_EQ(Esegui(c, "xmllint --noout g.svg"), 0); }),
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
    p.Scrivi(c.ingresso);
    p.ChiudiIngresso();
    EXPECT_EQ(p.Attendi(), c.codice << 8);
    EXPECT_EQ(p.Errori().substr(0, c.errori.size()), c.errori);
    // A picture written is told in one line: where it went, how many triples and points.
    const std::regex riepilogo("terne-grafico: .+: [0-9.]+ tern[ae], [0-9.]+ punt[io]\n");
    EXPECT_EQ(!p.Errori().empty(), !c.errori.empty() || std::regex_match(p.Errori(), riepilogo))
        << p.Errori();
    for (const auto& voce : std::filesystem::directory_iterator(cartella.percorso)) {
      const std::string nome = voce.path().filename().string();
      EXPECT_TRUE(prima.count(nome) == 1 || nome == ".uscita" || nome == ".errori" ||
                  nome == ".conteggio" || (c.svg != nullptr && nome == c.svg))
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
  CartellaProva cartella("grafico_fifo");
  cartella.Scrivi("triadiRettangole1-5.txt", "3,4,5\n");
  Processo uscita(GRAFICO_BIN, cartella.percorso, {"-o", "-", "triadiRettangole1-5.txt"});
  ASSERT_EQ(uscita.Attendi(), 0);
  const std::string svg = uscita.Uscita();  // before the next program takes the capture file
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  const std::filesystem::path fifo = cartella / "fifo.svg";
  LettoreFifo lettore(fifo);
  Processo grafico(GRAFICO_BIN, cartella.percorso, {"-o", "fifo.svg", "triadiRettangole1-5.txt"});
  EXPECT_EQ(grafico.Attendi(), 0);
  EXPECT_EQ(lettore.Letto(), svg);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  // A FIFO to draw: its open waits for a writer, as cat's does; a writer that brings nothing
  // leaves the picture drawn before as it was.
  mkfifo((cartella / "in.fifo").c_str(), 0600);
  for (const std::string dati : {"3,4,5\n", ""}) {
    Processo p(GRAFICO_BIN, cartella.percorso, {"-o", "g.svg", "in.fifo"});
    ASSERT_TRUE(p.AttendiStato("wchan", "wait_for_partner"));
    std::ofstream(cartella / "in.fifo") << dati;
    EXPECT_EQ(p.Attendi(), (dati.empty() ? 1 : 0) << 8);
  }
  EXPECT_NE(cartella.Leggi("g.svg").find(">in.fifo: 1 terna, 2 punti da 0 a 4<"),
            std::string::npos);
  // An output FIFO whose reader comes only later is waited for, as the shell's > waits.
  mkfifo((cartella / "tardi.fifo").c_str(), 0600);
  cartella.Scrivi("in.txt", "3,4,5\n");
  for (const auto& [programma, argomenti] :
       {std::pair{GRAFICO_BIN, std::vector<std::string>{"-o", "tardi.fifo", "in.txt"}},
        {CERCA_BIN, {"-q", "-o", "tardi.fifo", "1", "5"}}}) {
    Processo p(programma, cartella.percorso, argomenti);
    ASSERT_TRUE(p.AttendiStato("wchan", "wait_for_partner"));
    EXPECT_NE(cartella.Leggi("tardi.fifo"), "");
    EXPECT_EQ(p.Attendi(), 0);
  }
}

// Every program's help, its usage line included, fits a terminal of 80 columns.
TEST(Aiuto, EveryHelpFitsEightyColumns) {
  CartellaProva cartella("aiuto", false);
  for (const char* programma : {TERNE_BIN, CERCA_BIN, GRAFICO_BIN, PREPARA_BIN}) {
    Processo p(programma, cartella.percorso, {"--help"});
    EXPECT_EQ(p.Attendi(), 0);
    std::istringstream aiuto(p.UscitaGrezza());
    for (std::string riga; std::getline(aiuto, riga);) EXPECT_LT(riga.size(), 80u) << riga;
  }
}

TEST(Prepara, HelpVersionAndBadOptions) {
  CartellaProva cartella("prepara", false);
  const std::string fino = "terne-prepara: --fino-a ";
  ControllaRigheDiComando(
      PREPARA_BIN, cartella,
      {{{"--help"}, 0, "Uso: terne-prepara [--forza] [--fino-a=N] [--] [CARTELLA]\n", ""},
       {{"-h"}, 0, "Uso: terne-prepara", ""},
       {{"--version"}, 0, Versione("terne-prepara"), ""},
       {{"--boh"}, 2, "", "terne-prepara: opzione sconosciuta: --boh\n"},
       {{"-5"}, 2, "", "terne-prepara: opzione sconosciuta: -5\n"},
       {{"--boh=3"}, 2, "", "terne-prepara: opzione sconosciuta: --boh\n"},
       {{"--fino-a", "x"}, 2, "", fino + "non e' un numero intero: 'x'\n"},
       {{"--fino-a="}, 2, "", fino + "non e' un numero intero: ''\n"},
       {{"--fino-a=\x1b[2J"}, 2, "", fino + "non e' un numero intero: '\\x1b[2J'\n"},
       {{"--fino-a=-5"}, 2, "", fino + "e' fuori dall'intervallo da 2 a 100.000.000: '-5'\n"},
       {{"--fino-a"}, 2, "", "terne-prepara: l'opzione --fino-a vuole un argomento\n"},
       {{"--fino-a=1"}, 2, "", fino + "e' fuori dall'intervallo da 2 a 100.000.000: '1'\n"},
       {{"a", "b"}, 2, "", "terne-prepara: una sola cartella, per favore: anche 'b'\n"},
       {{"."},
        1,
        "",
        "terne-prepara: impossibile scrivere sull'uscita standard\n",
        {.uscita = "&-"},
        [](const CartellaProva&) {}},
       {{"."},
        1,
        "",
        "terne-prepara: impossibile scrivere ./numeriPrimi.txt: e' anche l'uscita standard del "
        "programma\n",
        {.uscita = "numeriPrimi.txt"},
        [](const CartellaProva& c) { c.Rimuovi("numeriPrimi.txt"); }}});
  // What terne could not read is refused, with or without --forza, and never waited on; every
  // other file is written all the same.
  mkfifo((cartella / "numeriPrimi.txt").c_str(), 0600);
  std::filesystem::create_directory(cartella / "Combinations06.txt");
  std::filesystem::create_symlink("/dev/null", cartella / "Combinations07.txt");
  std::filesystem::create_symlink("Combinations08.txt", cartella / "Combinations08.txt");
  std::filesystem::create_symlink("manca/C9.txt", cartella / "Combinations09.txt");
  const auto rifiuto = [](const std::string& nome, const std::string& perche) {
    return "terne-prepara: impossibile scrivere ./" + nome + perche +
           "\nterne-prepara: spostare o rimuovere ./" + nome + ", poi ripetere\n";
  };
  for (const char* forza : {"--forza", "--"}) {
    Processo p(PREPARA_BIN, cartella.percorso, {forza, "."});
    EXPECT_EQ(p.Attendi(30s), 1 << 8);
    EXPECT_EQ(
        p.Errori(),
        rifiuto("Combinations06.txt", ": e' una cartella") +
            rifiuto("Combinations07.txt", " (collegamento a /dev/null): non e' un file regolare") +
            rifiuto("Combinations08.txt",
                    " (collegamento a Combinations08.txt): troppi "
                    "collegamenti simbolici di seguito") +
            rifiuto("Combinations09.txt",
                    " (collegamento a manca/C9.txt): file o cartella inesistente") +
            rifiuto("numeriPrimi.txt", ": non e' un file regolare"));
  }
  EXPECT_TRUE(cartella.Esiste("Combinations19.txt"));
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
    EXPECT_EQ(p.Uscita().find("Riscritto"), std::string::npos);  // --forza writes, it mends nothing
    const std::string primi = cartella.Leggi("numeriPrimi.txt");
    EXPECT_EQ(primi.substr(primi.rfind('\n', primi.size() - 2) + 1), ultimaRiga) << limite;
  }
  // Without --forza a file that fails terne's check is written again, with its mode, an intact
  // one kept.
  std::string guasta = cartella.Leggi("Combinations07.txt");
  guasta[guasta.size() / 2] = guasta[guasta.size() / 2] == '1' ? '2' : '1';
  cartella.Scrivi("Combinations07.txt", guasta);
  chmod((cartella / "Combinations07.txt").c_str(), 0640);
  cartella.Scrivi("numeriPrimi.txt", "2\t3\n");
  {
    Processo p(PREPARA_BIN, cartella.percorso, {"--fino-a=20", "--", "."});
    EXPECT_EQ(p.Attendi(), 0);
    EXPECT_NE(
        p.Uscita().find("Riscritto ./Combinations07.txt: non superava il controllo di terne\n"),
        std::string::npos);
    EXPECT_NE(p.Uscita().find("./Combinations08.txt esiste gia'"), std::string::npos);
  }
  struct stat modo;
  EXPECT_EQ(stat((cartella / "Combinations07.txt").c_str(), &modo), 0);
  EXPECT_EQ(modo.st_mode & 07777, 0640u);
  EXPECT_EQ(cartella.Leggi("numeriPrimi.txt"), primiFinoA20);
  // A prime table is checked whole: a wrong value beyond the limit fails too.
  cartella.Scrivi("numeriPrimi.txt", "2\t3\t5\t7\t11\t13\t17\t19\t23\t27\n");
  {
    Processo p(PREPARA_BIN, cartella.percorso, {"--fino-a=20", "."});
    EXPECT_EQ(p.Attendi(), 0);
    EXPECT_NE(p.Uscita().find("Riscritto ./numeriPrimi.txt: non superava il controllo"),
              std::string::npos);
  }
  EXPECT_EQ(cartella.Leggi("numeriPrimi.txt"), primiFinoA20);
  for (int n = 4; n <= 19; ++n) {
    const std::string nome = testi::NomeTabella(n);
    const std::string prova(TERNE_DATI "/" + nome);
    std::ifstream f(prova, std::ios::binary);
    const std::string dati((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(cartella.Leggi(nome), dati) << nome;
  }
  // A prime table that ends at the limit itself lacks the prime above it: written again.
  Processo esatta(PREPARA_BIN, cartella.percorso, {"--fino-a=23"});
  EXPECT_EQ(esatta.Attendi(), 0);
  EXPECT_NE(esatta.Uscita().find("numeriPrimi.txt: non superava il controllo"), std::string::npos);
  // A file that its user could not read is written, with or without --forza, so that they can:
  // terne-cerca, run as that user, then reads it.
  std::filesystem::permissions(cartella.percorso, std::filesystem::perms::all);
  for (const char* forza : {"--", "--forza"}) {
    chmod((cartella / "Combinations05.txt").c_str(), 0);
    EXPECT_EQ(Processo(PREPARA_BIN, cartella.percorso, {forza}, {.senzaPrivilegi = true}).Attendi(),
              0);
    EXPECT_EQ(Processo(CERCA_BIN, cartella.percorso, {"-q", "1", "20"}, {.senzaPrivilegi = true})
                  .Attendi(),
              0)
        << forza;
  }
  // A folder that takes no new file is told once, not for each file.
  std::filesystem::permissions(cartella.percorso, std::filesystem::perms::owner_all |
                                                      std::filesystem::perms::group_read |
                                                      std::filesystem::perms::others_read |
                                                      std::filesystem::perms::others_exec);
  Processo solaLettura(PREPARA_BIN, cartella.percorso, {"--forza"}, {.senzaPrivilegi = true});
  EXPECT_EQ(solaLettura.Attendi(), (geteuid() == 0 ? 1 : 0) << 8);
  if (geteuid() == 0) {
    EXPECT_EQ(solaLettura.Errori(),
              "terne-prepara: nella cartella . non si puo' creare un file (permesso negato): "
              "nessuno dei 17 file e' scritto\n");
  }
  std::filesystem::permissions(cartella.percorso, std::filesystem::perms::all);
  // A reader that goes away (| head -1) stops no file: all are written, and the run says so.
  cartella.Rimuovi("Combinations05.txt");
  Processo testa(
      PREPARA_BIN, cartella.percorso, {"--forza"},
      {.chiamata = 1, .azione = "SIGSTOP", .prefisso = "Combinations05", .chiudiUscitaDopo = 1});
  ASSERT_TRUE(testa.AttendiFermo());  // its first line written, at the second file
  testa.ChiudiUscitaDopo(1);
  testa.Segnala(SIGCONT);
  EXPECT_EQ(testa.Attendi(), 1 << 8);
  EXPECT_EQ(testa.Errori(), "terne-prepara: impossibile scrivere sull'uscita standard\n");
  EXPECT_EQ(Processo(CERCA_BIN, cartella.percorso, {"-q", "1", "20"}).Attendi(), 0);
  // When the folder does not go on the disk after a rename, each file says so, and the code.
  Processo cartellaGuasta(PREPARA_BIN, cartella.percorso, {"--forza"},
                          {.fsyncGuasto = "1", .prefisso = "terne_prepara_file"});
  EXPECT_EQ(cartellaGuasta.Attendi(), 1 << 8);
  EXPECT_EQ(cartellaGuasta.Uscita(), "");
  std::string nonSalvati;
  for (int n = 4; n <= 20; ++n) {
    nonSalvati += "terne-prepara: ./" + (n < 20 ? testi::NomeTabella(n) : "numeriPrimi.txt") +
                  " e' scritto, ma la sua cartella non e' andata sul disco (errore di lettura o "
                  "scrittura sul dispositivo)\n";
  }
  EXPECT_EQ(cartellaGuasta.Errori(), nonSalvati);
  // A stop during a check ends the run at once, what is checked untouched.
  const std::string primiGuasti = "2\t3\t4\n" + std::string(300000, '\t');
  cartella.Scrivi("numeriPrimi.txt", primiGuasti);
  Processo controllo(
      PREPARA_BIN, cartella.percorso, {},
      {.lettura = 2, .azione = "SIGTERM", .conteggio = ".conteggio", .prefisso = "numeriPrimi"});
  EXPECT_EQ(controllo.Attendi(), (128 + SIGTERM) << 8);
  EXPECT_EQ(cartella.Leggi(".conteggio"), "1 2\n");  // its close, and no read after the stop
  EXPECT_EQ(cartella.Leggi("numeriPrimi.txt"), primiGuasti);
  EXPECT_EQ(controllo.Uscita().find("numeriPrimi"), std::string::npos);
  // A stop that comes between two files ends the run there, before the next check.
  cartella.Rimuovi("Combinations04.txt");
  Processo fermato(PREPARA_BIN, cartella.percorso, {},
                   {.chiamata = 4, .azione = "SIGSTOP", .prefisso = "Combinations04"});
  ASSERT_TRUE(fermato.AttendiFermo());  // at the rename, its last call
  fermato.Segnala(SIGTERM);
  fermato.Segnala(SIGCONT);
  EXPECT_EQ(fermato.Attendi(), (128 + SIGTERM) << 8);
  EXPECT_EQ(fermato.Uscita(), "Scritto ./Combinations04.txt\n");
}

}  // namespace
