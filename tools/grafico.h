// The picture of a results file: every triple a, b, c drawn as the points (a, b) and (b, a) of
// its legs, in a square window 0 … lato on both axes, on a grid of pixel × pixel cells; the
// primitive triples (legs without a common factor) in one colour, their multiples in another.
//
// A value v falls in cell v * pixel / lato of its axis (the last cell for v = lato), so the
// window's frame ends at lato. Each point inks its cell with a square mark, a few cells across
// when the window holds few points, one cell when it holds many. Points sharing a cell are drawn
// once, a primitive over a multiple; the inked cells of each row are written as runs of one
// SVG <path> per colour, so the picture stays small however many triples there are. When the
// points are few, each is a mark of its own that carries its triple as a <title>, which a
// browser shows under the pointer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace grafico {

struct Terna {
  std::uint64_t minore;
  std::uint64_t maggiore;
  std::uint64_t ipotenusa;
  // True when the legs have no common factor: not the multiple of a smaller triple.
  bool primitiva() const;
};

// The longest line a results file can hold: three numbers of at most 19 digits, two commas, a
// carriage return. A longer line is malformed, and the rest of it is not read.
constexpr std::size_t kRigaMassima = 100;

// Reads a results file: one line per triple, three positive integers separated by commas (a
// carriage return before the line end is dropped), in any order. False at the first line of
// another form, with `errore` naming it and quoting a short excerpt in which every byte that is
// not printable ASCII is written as \xNN.
bool leggiTerne(std::istream& in, std::vector<Terna>& terne, std::string& errore);
// The same, each triple handed to `prendi` as it is read, none kept.
bool leggiTerne(std::istream& in, const std::function<void(const Terna&)>& prendi,
                std::string& errore);

// N of a name "triadiRettangoleM-N.txt" (folders before it are ignored); 0 for any other name.
std::uint64_t latoDalNome(const std::string& percorso);

// The window that triples give when no name tells it: their largest shorter leg, which is N for
// the file of a search of M … N whenever leg N is the shorter leg of one of its triples, raised
// to their smallest longer leg where that is more, so that the window always holds a point of
// the file; 0 for none. Taken one triple at a time.
class LatoDalleTerne {
 public:
  void aggiungi(const Terna& t);
  std::uint64_t lato() const { return std::max(minoreMassimo_, maggioreMinimo_); }

 private:
  std::uint64_t minoreMassimo_ = 0;
  std::uint64_t maggioreMinimo_ = 0;  // 0 while no triple came
};
std::uint64_t latoDalleTerne(const std::vector<Terna>& terne);

// The limits that keep every cell computation within 64 bits.
constexpr std::uint64_t kLatoMassimo = 1000000000000;
constexpr int kPixelMassimo = 10000;
// Up to this many points in the window, each is drawn with its triple as its title.
constexpr std::uint64_t kPuntiConTitolo = 3000;

enum Colore : std::uint8_t { kVuota = 0, kMultipla = 1, kPrimitiva = 2 };

// A point drawn on its own, with its triple.
struct Segno {
  int colonna;
  int riga;  // from the bottom
  Colore colore;
  std::string terna;  // "6, 8, 10"
};

// The cells of the window, inked one triple at a time: two bits a cell, so that 10000 × 10000
// cells take 25 MB.
class Griglia {
 public:
  // Every cell empty. REQUIRES: 1 <= lato <= kLatoMassimo, 1 <= pixel <= kPixelMassimo.
  Griglia(std::uint64_t lato, int pixel);
  // Inks the cells of the points (a, b) and (b, a) of the triple that lie in the window.
  void aggiungi(const Terna& t);
  // After the last triple: the size of the marks, and the titles kept only for few points.
  void concludi();

  // The colour of a cell, rows from the bottom.
  Colore colore(int riga, int colonna) const {
    const std::size_t i = static_cast<std::size_t>(riga) * static_cast<std::size_t>(pixel) +
                          static_cast<std::size_t>(colonna);
    return static_cast<Colore>((celle_[i / 4] >> (2 * (i % 4))) & 3);
  }
  // The cell of value v on either axis. REQUIRES: v <= lato.
  int cella(std::uint64_t v) const;

  std::uint64_t lato = 0;
  int pixel = 0;
  std::uint64_t punti = 0;   // points inside the window, a point for every occurrence
  std::uint64_t accese = 0;  // the cells they ink
  int latoSegno = 1;         // of the square mark of a point, in cells
  std::vector<Segno> segni;  // every point, when there are at most kPuntiConTitolo

 private:
  std::vector<std::uint8_t> celle_;  // four cells a byte, row by row from the bottom
};

// A Griglia with every triple added, concluded.
Griglia disegna(const std::vector<Terna>& terne, std::uint64_t lato, int pixel);

// Where the parts of the picture lie, in SVG units (one per cell): margins wide enough for the
// labels of the ticks, which lie a step apart that keeps them from running into each other.
struct Impaginazione {
  int sinistra;  // x of the window's left edge
  int alto;      // y of its top edge
  int larghezza;
  int altezza;
  std::uint64_t passo;       // between two ticks, from 0 up to lato at most
  std::pair<int, int> assi;  // the middle of the x axis' title, and of the y axis' title
};
Impaginazione impagina(std::uint64_t lato, int pixel);

// How wide a text of this many characters is drawn at this font size, taken generously: an
// estimate of common sans-serif fonts, for laying out the picture before it is drawn.
double larghezzaTesto(const std::string& testo, double corpo);

// Writes the picture: the title (the file's name, how many triples it holds, how many points
// the picture shows), the legend of the two colours, each sized to fit the picture's width, the
// window with its axes, round-numbered ticks and labels, the points. The file's name is written
// as valid XML whatever its bytes: those that are not UTF-8, and control characters, become
// U+FFFD.
void scriviSvg(std::ostream& os, const Griglia& g, const std::string& nomeFile, std::size_t terne);

}  // namespace grafico
