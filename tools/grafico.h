// The picture of a results file: every triple a, b, c drawn as the points (a, b) and (b, a) of
// its legs, in a square window 0 … lato on both axes, on a grid of pixel × pixel cells.
//
// A value v falls in cell v * pixel / (lato + 1) of its axis, so the window's values spread
// evenly over the cells. Points sharing a cell are drawn once; the inked cells of each row are
// written as runs of one SVG <path>, so the picture stays small however many triples there are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace grafico {

struct Cateti {
  std::uint64_t minore;
  std::uint64_t maggiore;
};

// The longest line a results file can hold: three numbers of at most 19 digits, two commas, a
// carriage return. A longer line is malformed, and the rest of it is not read.
constexpr std::size_t kRigaMassima = 100;

// Reads a results file: one line per triple, three positive integers separated by commas (a
// carriage return before the line end is dropped). The two smaller numbers are the legs. False
// at the first line of another form, with `errore` naming it and quoting a short excerpt in
// which every byte that is not printable ASCII is written as \xNN.
bool leggiTerne(std::istream& in, std::vector<Cateti>& terne, std::string& errore);

// N of a name "triadiRettangoleM-N.txt" (folders before it are ignored); 0 for any other name.
std::uint64_t latoDalNome(const std::string& percorso);

struct Griglia {
  std::uint64_t lato = 0;
  int pixel = 0;
  std::vector<bool> accese;  // row by row from the bottom, pixel × pixel cells
  std::uint64_t punti = 0;   // points inside the window, a point for every occurrence
  std::uint64_t celle = 0;   // the cells they ink

  // The cell of value v on either axis. REQUIRES: v <= lato.
  int cella(std::uint64_t v) const { return static_cast<int>(v * pixel / (lato + 1)); }
};

// The limits that keep every cell computation within 64 bits.
constexpr std::uint64_t kLatoMassimo = 1000000000000;
constexpr int kPixelMassimo = 10000;

// Inks the cells of the points (a, b) and (b, a) of every triple that lie in the window.
// REQUIRES: 1 <= lato <= kLatoMassimo, 1 <= pixel <= kPixelMassimo.
Griglia disegna(const std::vector<Cateti>& terne, std::uint64_t lato, int pixel);

// Where the window's cells lie in the picture: its lower left cell is at x = kMargineSinistro,
// y = kMargineAlto + pixel - 1, one SVG unit per cell.
constexpr int kMargineSinistro = 80;
constexpr int kMargineAlto = 50;
// The title starts this far from the left edge and keeps as far from the right one; a
// character of it is taken as this wide at its font size 16, a digit's width in common fonts
// with some room to spare.
constexpr int kMargineTitolo = 10;
constexpr double kLarghezzaCarattere = 10.5;

// Writes the picture: the title (the file's name, how many triples it holds, how many points
// the picture shows), sized to fit the picture's width, the window with its axes,
// round-numbered ticks and labels, the points. The file's name is written as valid XML whatever
// its bytes: those that are not UTF-8, and control characters, become U+FFFD.
void scriviSvg(std::ostream& os, const Griglia& g, const std::string& nomeFile, std::size_t terne);

}  // namespace grafico
