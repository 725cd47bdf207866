#include "tools/grafico.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Celle = std::set<std::pair<int, int>>;  // (column, row from the bottom)

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
    std::vector<grafico::Cateti> terne;
    std::string errore;
    EXPECT_EQ(grafico::leggiTerne(in, terne, errore), c.buono) << c.testo;
    EXPECT_EQ((errore + "\n").substr(0, c.errore.size()), c.errore) << c.testo;
  }
  std::istringstream in("5,4,3\n");
  std::vector<grafico::Cateti> terne;
  std::string errore;
  ASSERT_TRUE(grafico::leggiTerne(in, terne, errore));
  EXPECT_EQ(terne[0].minore, 3u);
  EXPECT_EQ(terne[0].maggiore, 4u);
}

TEST(Grafico, TheWindowComesFromTheFileName) {
  EXPECT_EQ(grafico::latoDalNome("triadiRettangole1-30.txt"), 30u);
  EXPECT_EQ(grafico::latoDalNome("lavoro/triadiRettangole6-8.txt"), 8u);
  for (const char* altro : {"altro.txt", "triadiRettangole6-.txt", "triadiRettangole6-8.svg",
                            "triadiRettangole-8.txt", "triadiRettangole6-x.txt"}) {
    EXPECT_EQ(grafico::latoDalNome(altro), 0u) << altro;
  }
}

// The inked cells read back from the picture's path.
Celle CelleDisegnate(const std::string& svg, int pixel) {
  Celle celle;
  const std::regex corsa("M(\\d+) (\\d+)h(\\d+)v1h-(\\d+)z");
  const size_t inizio = svg.find("id=\"punti\"");
  const std::string percorso = svg.substr(inizio, svg.find("/>", inizio) - inizio);
  for (std::sregex_iterator m(percorso.begin(), percorso.end(), corsa), fine; m != fine; ++m) {
    const int x = std::stoi((*m)[1]) - grafico::kMargineSinistro;
    const int riga = grafico::kMargineAlto + pixel - 1 - std::stoi((*m)[2]);
    for (int i = 0; i < std::stoi((*m)[3]); ++i) celle.insert({x + i, riga});
  }
  return celle;
}

// A window 0 … 10 on 5 × 5 cells: value v falls in cell v * 5 / 11, so 0-2 → 0, 3-4 → 1,
// 5-6 → 2, 7-8 → 3, 9-10 → 4 (worked out by hand).
TEST(Grafico, PointsInTheWindowInkTheirCellsOnce) {
  const std::vector<grafico::Cateti> terne = {
      {3, 4},    // (3, 4) and (4, 3): both in cell (1, 1)
      {6, 8},    // (6, 8) in (2, 3), (8, 6) in (3, 2)
      {5, 12},   // outside the window
      {3, 4},    // the same points again
      {10, 24},  // outside: 24 > 10
      {1, 10}};  // not a triple, but two points: (1, 10) in (0, 4), (10, 1) in (4, 0)
  const grafico::Griglia g = grafico::disegna(terne, 10, 5);
  EXPECT_EQ(g.punti, 8u);
  EXPECT_EQ(g.celle, 5u);
  std::ostringstream svg;
  grafico::scriviSvg(svg, g, "prova & <altro>.txt", terne.size());
  EXPECT_EQ(CelleDisegnate(svg.str(), 5), (Celle{{1, 1}, {2, 3}, {3, 2}, {0, 4}, {4, 0}}));
  EXPECT_NE(svg.str().find(">prova &amp; &lt;altro&gt;.txt: 6 terne, 8 punti da 0 a 10</text>"),
            std::string::npos);
  // Too long for a picture 80 + 5 + 30 wide: drawn to that width less both margins of 10.
  EXPECT_NE(svg.str().find(" textLength=\"95\" "), std::string::npos);
}

TEST(Grafico, TicksAreRoundNumbersAcrossTheWindow) {
  const struct {
    std::uint64_t lato;
    std::vector<std::string> tacche;
  } casi[] = {{30, {"0", "5", "10", "15", "20", "25", "30"}},
              {8, {"0", "1", "8"}},
              {65535, {"0", "10.000", "60.000"}}};
  // A tick's label is the text of one <text> element.
  auto etichetta = [](std::string testo) { return testo.insert(0, 1, '>').append("</text>"); };
  for (const auto& c : casi) {
    std::ostringstream svg;
    grafico::scriviSvg(svg, grafico::disegna({}, c.lato, 100), "f.txt", 0);
    for (const auto& t : c.tacche) {
      EXPECT_NE(svg.str().find(etichetta(t)), std::string::npos) << c.lato << " " << t;
    }
    EXPECT_EQ(svg.str().find(etichetta(std::to_string(c.lato + 1))), std::string::npos);
  }
}

}  // namespace
