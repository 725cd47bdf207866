#include "tools/grafico.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "sistema/nomi.h"

namespace {

TEST(Grafico, ResultsLinesAreThreePositiveIntegers) {
  const struct {
    std::string testo;
    bool buono;
    std::string errore;
  } casi[] = {
      {"3,4,5\n6,8,10\n", true, ""},
      {"5,4,3\r\n", true, ""},
      {"", true, ""},
      {"3,4,5\n3,4\n", false,
       "riga 2: attesi tre interi positivi separati da virgole, trovato \"3,4\""},
      {"3,4,5,6\n", false, "riga 1"},
      {"0,4,5\n", false, "riga 1"},
      {"3,-4,5\n", false, "riga 1"},
      {"3, 4,5\n", false, "riga 1"},
      {"3,4,5\n\n6,8,10\n", false, "riga 2"},
      {"tre,quattro,cinque\n", false, "riga 1"},
      {"3,4,99999999999999999999\n", false, "riga 1"},
      {"3,4\\5\n", false,
       "riga 1: attesi tre interi positivi separati da virgole, trovato \"3,4\\x5c5\""},
      {std::string(100, '1') + "\n", false,
       "riga 1: attesi tre interi positivi separati da virgole, trovato \"" + std::string(40, '1') +
           "...\"\n"},
      {std::string(101, '1') + "\n", false,
       "riga 1: attesi tre interi positivi separati da virgole, trovato \"" + std::string(40, '1') +
           "...\" (riga troppo lunga)"},
  };
  for (const auto& c : casi) {
    std::istringstream in(c.testo);
    std::vector<grafico::Terna> terne;
    std::string errore;
    EXPECT_EQ(grafico::leggiTerne(in, terne, errore), c.buono) << c.testo;
    EXPECT_EQ((errore + "\n").substr(0, c.errore.size()), c.errore) << c.testo;
  }
  std::istringstream in("5,4,3\n");
  std::vector<grafico::Terna> terne;
  std::string errore;
  ASSERT_TRUE(grafico::leggiTerne(in, terne, errore));
  EXPECT_EQ(terne[0].minore, 3u);
  EXPECT_EQ(terne[0].maggiore, 4u);
  EXPECT_EQ(terne[0].ipotenusa, 5u);
}

// From the name, or else from the triples: the largest shorter leg, so that a copy under
// another name draws the window of its original.
TEST(Grafico, TheWindowComesFromTheFileNameOrItsTriples) {
  EXPECT_EQ(grafico::latoDalNome("triadiRettangole1-30.txt"), 30u);
  EXPECT_EQ(grafico::latoDalNome("lavoro/triadiRettangole6-8.txt"), 8u);
  for (const char* altro : {"altro.txt", "triadiRettangole6-.txt", "triadiRettangole6-8.svg",
                            "triadiRettangole-8.txt", "triadiRettangole6-x.txt"}) {
    EXPECT_EQ(grafico::latoDalNome(altro), 0u) << altro;
  }
  EXPECT_EQ(grafico::latoDalleTerne({{6, 8, 10}, {8, 15, 17}, {5, 12, 13}}), 8u);
  // A file of one triple, or of legs 1 … 5, holds its point: never an empty frame.
  EXPECT_EQ(grafico::latoDalleTerne({{3, 4, 5}}), 4u);
  EXPECT_EQ(grafico::latoDalleTerne({}), 0u);
}

// A window 0 … 10 on 5 × 5 cells: value v falls in cell v * 5 / 10, the last for 10, so 0-1 → 0,
// 2-3 → 1, 4-5 → 2, 6-7 → 3, 8-10 → 4 (worked out by hand). A primitive inks its cell over a
// multiple; few points are each drawn with their triple.
TEST(Grafico, PointsInTheWindowInkTheirCellsInTheirColour) {
  using grafico::kMultipla;
  using grafico::kPrimitiva;
  const std::vector<grafico::Terna> terne = {
      {7, 8, 99},   // primitive legs: (7, 8) in cell (3, 4), (8, 7) in (4, 3) …
      {6, 8, 10},   // … where the multiple's (6, 8) and (8, 6) fall after them, below them
      {3, 4, 5},    // (3, 4) in (1, 2), (4, 3) in (2, 1)
      {5, 12, 13},  // outside the window
      {1, 9, 99}};  // not a triple, but primitive legs: (1, 9) in (0, 4), (9, 1) in (4, 0)
  const grafico::Griglia g = grafico::disegna(terne, 10, 5);
  EXPECT_EQ(g.punti, 8u);
  EXPECT_EQ(g.accese, 6u);
  const std::map<std::pair<int, int>, grafico::Colore> attese = {
      {{3, 4}, kPrimitiva}, {{4, 3}, kPrimitiva}, {{1, 2}, kPrimitiva},
      {{2, 1}, kPrimitiva}, {{0, 4}, kPrimitiva}, {{4, 0}, kPrimitiva}};
  for (int riga = 0; riga < 5; ++riga) {
    for (int colonna = 0; colonna < 5; ++colonna) {
      const auto c = attese.find({colonna, riga});
      EXPECT_EQ(g.colore(riga, colonna), c == attese.end() ? grafico::kVuota : c->second)
          << colonna << "," << riga;
    }
  }
  ASSERT_EQ(g.segni.size(), 8u);
  EXPECT_EQ(g.segni[2].terna, "6, 8, 10");
  EXPECT_EQ(g.segni[2].colore, kMultipla);
  std::ostringstream svg;
  grafico::scriviSvg(svg, g, "prova & <altro>.txt", terne.size());
  EXPECT_NE(svg.str().find("><title>3, 4, 5</title></rect>"), std::string::npos);
  EXPECT_NE(svg.str().find(">prova &amp; &lt;altro&gt;.txt: 5 terne, 8 punti da 0 a 10</text>"),
            std::string::npos);
}

// Exactly 8 steps of 10 fit 0 … 80: the finer step, not 20.
TEST(Grafico, EightStepsAreEnough) {
  EXPECT_EQ(grafico::impagina(80, 1000).passo, 10u);
}

// For every window, from 1 to the largest, and pictures from small to large: ticks on round
// numbers up to less than a step from the window's end, their labels apart from each other and
// from the axis' title, and inside the picture.
TEST(Grafico, TickLabelsFitAndNeverMeetForEveryWindow) {
  std::vector<std::uint64_t> lati = {grafico::kLatoMassimo, 65535};
  for (std::uint64_t l = 1; l < grafico::kLatoMassimo; l = l * 3 + l / 2 + 1) lati.push_back(l);
  for (std::uint64_t p = 10; p <= grafico::kLatoMassimo; p *= 10) lati.push_back(p - 1);
  for (const int pixel : {200, 400, 1000, 10000}) {
    for (const std::uint64_t lato : lati) {
      SCOPED_TRACE(std::to_string(lato) + " su " + std::to_string(pixel));
      const grafico::Impaginazione p = grafico::impagina(lato, pixel);
      std::uint64_t cifra = p.passo;
      while (cifra % 10 == 0) cifra /= 10;
      EXPECT_TRUE(cifra == 1 || cifra == 2 || cifra == 5) << p.passo;
      ASSERT_LE(p.passo, lato);
      EXPECT_LT(lato % p.passo, p.passo);
      double fine = -1e9;  // of the last label
      for (std::uint64_t v = 0; v <= lato; v += p.passo) {
        const std::string testo = conMigliaia(v);
        const double w = grafico::larghezzaTesto(testo, 12);
        const double x = p.sinistra + static_cast<double>(v) * pixel / static_cast<double>(lato);
        EXPECT_GT(x - w / 2, fine + 4) << testo;
        EXPECT_LE(x + w / 2, p.larghezza) << testo;
        EXPECT_GE(p.sinistra - 9 - w, 24 + 4) << testo;  // the y label, right of the axis' title
        fine = x + w / 2;
      }
    }
  }
}

}  // namespace
