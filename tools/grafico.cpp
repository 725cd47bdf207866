#include "tools/grafico.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <sstream>
#include <string_view>

#include "sistema/nomi.h"

namespace grafico {

namespace {

constexpr char kBlu[] = "#0072B2";  // the primitive triples; with the orange of their multiples,
constexpr char kArancio[] = "#E69F00";  // told apart by colour-blind readers and in grey print
constexpr int kTitolo = 28;             // the title's baseline
constexpr int kLegenda = 38;            // the top of the legend
constexpr int kFinestra = 64;           // the window's top edge
constexpr int kMargine = 10;            // of the title and the legend from the picture's sides
constexpr double kCorpoTitolo = 16;
constexpr double kCorpoEtichetta = 12;  // of the ticks' labels and the legend
constexpr double kCorpoAssi = 14;       // of the axes' titles
constexpr char kAsseX[] = "primo cateto";
constexpr char kAsseY[] = "secondo cateto";

// A positive integer written with digits only.
bool intero(std::string_view testo, std::uint64_t& valore) {
  if (testo.empty() || testo.size() > 19) return false;
  const auto [fine, errore] = std::from_chars(testo.data(), testo.data() + testo.size(), valore);
  return errore == std::errc() && fine == testo.data() + testo.size() && valore > 0;
}

bool leggiRiga(std::string_view riga, Terna& terna) {
  std::uint64_t n[3];
  for (int i = 0; i < 3; ++i) {
    const size_t virgola = (i < 2) ? riga.find(',') : riga.size();
    if (virgola == std::string_view::npos || !intero(riga.substr(0, virgola), n[i])) return false;
    riga.remove_prefix(std::min(riga.size(), virgola + 1));
  }
  std::sort(n, n + 3);
  terna = {n[0], n[1], n[2]};
  return true;
}

// True when the labels of the ticks a step apart, each centred on its tick, keep 12 units from
// each other.
bool etichetteDistanti(std::uint64_t lato, int pixel, std::uint64_t passo) {
  double fine = -1e9;  // of the label before
  for (std::uint64_t v = 0; v <= lato; v += passo) {
    const double mezza = larghezzaTesto(conMigliaia(v), kCorpoEtichetta) / 2;
    const double x = static_cast<double>(v) * pixel / static_cast<double>(lato);
    if (x - mezza < fine + 12) return false;
    fine = x + mezza;
  }
  return true;
}

// Multiples of 1, 2 or 5 times a power of ten: the smallest step that gives at most 8 ticks
// whose labels keep apart; a step beyond lato when the window is too narrow for a second label.
std::uint64_t passoTacche(std::uint64_t lato, int pixel) {
  for (std::uint64_t potenza = 1;; potenza *= 10) {
    for (const std::uint64_t m : {1, 2, 5}) {
      const std::uint64_t passo = m * potenza;
      if (passo > lato || (lato / passo <= 8 && etichetteDistanti(lato, pixel, passo))) {
        return passo;
      }
    }
  }
}

// The side of a point's mark: a few cells when the window holds few points, one when many.
int latoDelSegno(std::uint64_t punti, int pixel) {
  const int massimo = std::max(1, pixel / 125);
  const double lato =
      0.3 * pixel / std::sqrt(static_cast<double>(std::max<std::uint64_t>(punti, 1)));
  return std::clamp(static_cast<int>(std::lround(lato)), 1, massimo);
}

// The text as XML character data whatever its bytes: markup escaped, every byte that is not
// part of an allowed UTF-8 character replaced by U+FFFD.
std::string testoXml(std::string_view testo) {
  std::string sicuro;
  while (!testo.empty()) {
    const std::size_t n = carattereStampabile(testo);
    if (n == 0) {
      sicuro += "\xef\xbf\xbd";
      testo.remove_prefix(1);
      continue;
    }
    switch (testo[0]) {
      case '&':
        sicuro += "&amp;";
        break;
      case '<':
        sicuro += "&lt;";
        break;
      case '>':
        sicuro += "&gt;";
        break;
      case '"':
        sicuro += "&quot;";
        break;
      default:
        sicuro.append(testo.substr(0, n));
    }
    testo.remove_prefix(n);
  }
  return sicuro;
}

// A short excerpt of a bad line that is safe on a terminal: printable ASCII as it is, any
// other byte as \xNN.
std::string estratto(std::string_view riga) {
  constexpr std::size_t kMassimo = 40;  // characters shown, so that the message fits a line
  std::string testo;
  std::size_t i = 0;
  for (; i < riga.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(riga[i]);
    char codice[5];
    std::snprintf(codice, sizeof codice, "\\x%02x", c);
    const std::string mostrato =
        c >= 0x20 && c < 0x7f && c != '\\' ? std::string(1, riga[i]) : codice;
    if (testo.size() + mostrato.size() > kMassimo) break;
    testo += mostrato;
  }
  return i < riga.size() ? testo + "..." : testo;
}

// Reads one line of at most `massimo` characters, without its line end. False at the end of
// the input; `lunga` tells a line that went on beyond that, left unread.
bool leggiRigaLimitata(std::istream& in, std::string& riga, std::size_t massimo, bool& lunga) {
  riga.clear();
  lunga = false;
  for (char c; in.get(c);) {
    if (c == '\n') return true;
    if (riga.size() == massimo) {
      lunga = true;
      return true;
    }
    riga += c;
  }
  return !riga.empty();
}

// A number of SVG units, to a tenth.
std::string unita(double x) {
  std::ostringstream os;
  os << std::round(x * 10) / 10;
  return os.str();
}

// The title, at most 16 units high, smaller where the picture is too narrow for it; a renderer
// that knows textLength also draws it to the very length that fits.
void scriviTitolo(std::ostream& os, const std::string& titolo, int larghezza) {
  const int spazio = larghezza - 2 * kMargine;
  const double lungo = larghezzaTesto(titolo, kCorpoTitolo);
  const double corpo = std::min(kCorpoTitolo, std::floor(10 * kCorpoTitolo * spazio / lungo) / 10);
  os << "<text id=\"titolo\" x=\"" << kMargine << "\" y=\"" << kTitolo
     << "\" font-family=\"sans-serif\" font-size=\"" << corpo << "\" fill=\"#111\"";
  if (corpo < kCorpoTitolo)
    os << " textLength=\"" << spazio << "\" lengthAdjust=\"spacingAndGlyphs\"";
  os << '>' << testoXml(titolo) << "</text>\n";
}

// The legend of the two colours in one row, scaled down where the picture is too narrow.
void scriviLegenda(std::ostream& os, int larghezza) {
  const std::string voci[] = {"terne primitive", "loro multipli"};
  const char* colori[] = {kBlu, kArancio};
  const double lungo = 2 * 14 + larghezzaTesto(voci[0], kCorpoEtichetta) + 20 +
                       larghezzaTesto(voci[1], kCorpoEtichetta);
  const double scala = std::min(1.0, (larghezza - 2 * kMargine) / lungo);
  os << "<g id=\"legenda\" transform=\"translate(" << kMargine << ',' << kLegenda << ") scale("
     << std::round(scala * 100) / 100 << ")\" font-family=\"sans-serif\" font-size=\""
     << kCorpoEtichetta << "\" fill=\"#333\">\n";
  double x = 0;
  for (int i = 0; i < 2; ++i) {
    os << "<rect x=\"" << unita(x) << "\" y=\"1\" width=\"10\" height=\"10\" fill=\"" << colori[i]
       << "\"/><text x=\"" << unita(x + 14) << "\" y=\"10\">" << voci[i] << "</text>\n";
    x += 14 + larghezzaTesto(voci[i], kCorpoEtichetta) + 20;
  }
  os << "</g>\n";
}

void scriviAssi(std::ostream& os, const Griglia& g, const Impaginazione& p) {
  const int x0 = p.sinistra;
  const int y1 = p.alto + g.pixel;
  os << "<rect id=\"finestra\" x=\"" << x0 << "\" y=\"" << p.alto << "\" width=\"" << g.pixel
     << "\" height=\"" << g.pixel << "\" fill=\"white\" stroke=\"#888\"/>\n"
     << "<g font-family=\"sans-serif\" font-size=\"" << kCorpoEtichetta
     << "\" fill=\"#333\" stroke=\"#888\">\n";
  for (std::uint64_t v = 0; v <= g.lato; v += p.passo) {
    const double c = static_cast<double>(v) * g.pixel / static_cast<double>(g.lato);
    const std::string x = unita(x0 + c);
    const std::string y = unita(y1 - c);
    os << "<line x1=\"" << x << "\" y1=\"" << y1 << "\" x2=\"" << x << "\" y2=\"" << y1 + 6
       << "\"/><text x=\"" << x << "\" y=\"" << y1 + 20
       << "\" stroke=\"none\" text-anchor=\"middle\">" << conMigliaia(v) << "</text>\n"
       << "<line x1=\"" << x0 - 6 << "\" y1=\"" << y << "\" x2=\"" << x0 << "\" y2=\"" << y
       << "\"/><text x=\"" << x0 - 9 << "\" y=\"" << unita(y1 - c + 4)
       << "\" stroke=\"none\" text-anchor=\"end\">" << conMigliaia(v) << "</text>\n";
    if (g.lato - v < p.passo) break;
  }
  os << "</g>\n<g font-family=\"sans-serif\" font-size=\"" << kCorpoAssi
     << "\" fill=\"#333\" text-anchor=\"middle\">\n"
     << "<text x=\"" << p.assi.first << "\" y=\"" << y1 + 45 << "\">" << kAsseX << "</text>\n"
     << "<text transform=\"translate(20," << p.assi.second << ") rotate(-90)\">" << kAsseY
     << "</text>\n</g>\n";
}

// The cells of one colour as one path: the mark of each inked cell, or, when marks are one cell
// wide, of each row's runs of inked cells. Each mark's subpath moves there from where the last
// one began, in relative units, which keeps the numbers short.
void scriviCelle(std::ostream& os, const Griglia& g, const Impaginazione& p, Colore colore) {
  os << "<path id=\"" << (colore == kPrimitiva ? "primitive" : "multipli") << "\" fill=\""
     << (colore == kPrimitiva ? kBlu : kArancio) << "\" shape-rendering=\"crispEdges\" d=\"";
  const auto accesa = [&](int riga, int colonna) { return g.colore(riga, colonna) == colore; };
  const int mezzo = (g.latoSegno - 1) / 2;
  int x = 0;
  int y = 0;
  for (int riga = g.pixel - 1; riga >= 0; --riga) {
    for (int colonna = 0; colonna < g.pixel; ++colonna) {
      if (!accesa(riga, colonna)) continue;
      int fine = colonna + 1;
      while (g.latoSegno == 1 && fine < g.pixel && accesa(riga, fine)) ++fine;
      const int larghezza = fine - colonna + g.latoSegno - 1;
      const int sinistra = p.sinistra + colonna - mezzo;
      const int alto = p.alto + g.pixel - 1 - riga - mezzo;
      os << 'm' << sinistra - x << ' ' << alto - y << 'h' << larghezza << 'v' << g.latoSegno << 'h'
         << -larghezza << 'z';
      x = sinistra;
      y = alto;
      colonna = fine - 1;
    }
  }
  os << "\"/>\n";
}

// Each point a mark of its own, carrying its triple as its title; multiples first, so that the
// primitives lie over them.
void scriviSegni(std::ostream& os, const Griglia& g, const Impaginazione& p) {
  const int mezzo = (g.latoSegno - 1) / 2;
  for (const Colore colore : {kMultipla, kPrimitiva}) {
    os << "<g id=\"" << (colore == kPrimitiva ? "primitive" : "multipli") << "\" fill=\""
       << (colore == kPrimitiva ? kBlu : kArancio) << "\" shape-rendering=\"crispEdges\">\n";
    for (const Segno& s : g.segni) {
      if (s.colore != colore) continue;
      os << "<rect x=\"" << p.sinistra + s.colonna - mezzo << "\" y=\""
         << p.alto + g.pixel - 1 - s.riga - mezzo << "\" width=\"" << g.latoSegno << "\" height=\""
         << g.latoSegno << "\"><title>" << s.terna << "</title></rect>\n";
    }
    os << "</g>\n";
  }
}

}  // namespace

bool Terna::primitiva() const {
  return std::gcd(minore, maggiore) == 1;
}

int Griglia::cella(std::uint64_t v) const {
  return static_cast<int>(std::min<std::uint64_t>(v * pixel / lato, pixel - 1));
}

bool leggiTerne(std::istream& in, std::vector<Terna>& terne, std::string& errore) {
  return leggiTerne(
      in, [&terne](const Terna& t) { terne.push_back(t); }, errore);
}

bool leggiTerne(std::istream& in, const std::function<void(const Terna&)>& prendi,
                std::string& errore) {
  std::string riga;
  bool lunga = false;
  for (long numero = 1; leggiRigaLimitata(in, riga, kRigaMassima, lunga); ++numero) {
    if (!riga.empty() && riga.back() == '\r') riga.pop_back();
    Terna terna;
    if (lunga || !leggiRiga(riga, terna)) {
      errore = "riga " + std::to_string(numero) +
               ": attesi tre interi positivi separati da virgole, trovato \"" + estratto(riga) +
               (lunga ? "\" (riga troppo lunga)" : "\"");
      return false;
    }
    prendi(terna);
  }
  if (in.bad()) errore = "lettura non riuscita";
  return !in.bad();
}

std::uint64_t latoDalNome(const std::string& percorso) {
  const std::string nome = percorso.substr(percorso.find_last_of('/') + 1);
  const std::string inizio = "triadiRettangole";
  const std::string fine = ".txt";
  if (nome.size() <= inizio.size() + fine.size() || nome.rfind(inizio, 0) != 0 ||
      nome.compare(nome.size() - fine.size(), fine.size(), fine) != 0) {
    return 0;
  }
  const std::string_view estremi(nome.data() + inizio.size(),
                                 nome.size() - inizio.size() - fine.size());
  const size_t trattino = estremi.find('-');
  std::uint64_t m = 0;
  std::uint64_t n = 0;
  if (trattino == std::string_view::npos || !intero(estremi.substr(0, trattino), m) ||
      !intero(estremi.substr(trattino + 1), n) || n > kLatoMassimo) {
    return 0;
  }
  return n;
}

void LatoDalleTerne::aggiungi(const Terna& t) {
  minoreMassimo_ = std::max(minoreMassimo_, t.minore);
  if (maggioreMinimo_ == 0 || t.maggiore < maggioreMinimo_) maggioreMinimo_ = t.maggiore;
}

std::uint64_t latoDalleTerne(const std::vector<Terna>& terne) {
  LatoDalleTerne lato;
  for (const Terna& t : terne) lato.aggiungi(t);
  return lato.lato();
}

Griglia::Griglia(std::uint64_t lato_, int pixel_)
    : lato(lato_),
      pixel(pixel_),
      celle_((static_cast<std::size_t>(pixel_) * static_cast<std::size_t>(pixel_) + 3) / 4, 0) {}

void Griglia::aggiungi(const Terna& t) {
  if (t.minore > lato || t.maggiore > lato) return;
  punti += 2;
  const Colore colore = t.primitiva() ? kPrimitiva : kMultipla;
  // The titles are kept while the points are few; past that, never again.
  const bool conTitolo = punti <= kPuntiConTitolo;
  if (!conTitolo) segni.clear();
  for (const auto& [x, y] : {std::pair{t.minore, t.maggiore}, {t.maggiore, t.minore}}) {
    const std::size_t i = static_cast<std::size_t>(cella(y)) * static_cast<std::size_t>(pixel) +
                          static_cast<std::size_t>(cella(x));
    const int spostamento = static_cast<int>(2 * (i % 4));
    const auto prima = static_cast<Colore>((celle_[i / 4] >> spostamento) & 3);
    accese += prima == kVuota;
    if (colore > prima) {  // a primitive over a multiple
      celle_[i / 4] = static_cast<std::uint8_t>((celle_[i / 4] & ~(3 << spostamento)) |
                                                (colore << spostamento));
    }
    if (conTitolo) {
      segni.push_back({cella(x), cella(y), colore,
                       conMigliaia(t.minore) + ", " + conMigliaia(t.maggiore) + ", " +
                           conMigliaia(t.ipotenusa)});
    }
  }
}

void Griglia::concludi() {
  latoSegno = latoDelSegno(punti, pixel);
}

Griglia disegna(const std::vector<Terna>& terne, std::uint64_t lato, int pixel) {
  Griglia g(lato, pixel);
  for (const Terna& t : terne) g.aggiungi(t);
  g.concludi();
  return g;
}

double larghezzaTesto(const std::string& testo, double corpo) {
  double em = 0;
  for (const char c : testo) {
    if ((static_cast<unsigned char>(c) & 0xc0) == 0x80) continue;  // inside a UTF-8 character
    if (c >= '0' && c <= '9') {
      em += 0.64;
    } else if (std::string_view(".,:;' il").find(c) != std::string_view::npos) {
      em += 0.34;
    } else {
      em += c >= 'A' && c <= 'Z' ? 0.74 : 0.62;
    }
  }
  return em * corpo;
}

Impaginazione impagina(std::uint64_t lato, int pixel) {
  Impaginazione p{};
  p.passo = passoTacche(lato, pixel);
  const std::uint64_t ultima = p.passo > lato ? 0 : lato / p.passo * p.passo;
  const double etichetta = larghezzaTesto(conMigliaia(ultima), kCorpoEtichetta);
  // The y labels end 9 units left of the window, and keep 6 from the rotated axis title, which
  // reaches x = 24; the last x label, centred on its tick, stays within the right margin.
  p.sinistra = std::max(60, static_cast<int>(std::ceil(24 + 6 + etichetta + 9)));
  p.alto = kFinestra;
  const double fuori = etichetta / 2 - static_cast<double>(lato - ultima) * pixel / lato;
  p.larghezza = p.sinistra + pixel + std::max(20, static_cast<int>(std::ceil(fuori)) + 6);
  p.altezza = p.alto + pixel + 60;
  // The axes' titles along the middle of the window, or of a space as long as they are, where
  // the window is shorter.
  const int asseX = static_cast<int>(std::ceil(larghezzaTesto(kAsseX, kCorpoAssi)));
  const int asseY = static_cast<int>(std::ceil(larghezzaTesto(kAsseY, kCorpoAssi)));
  p.assi = {p.sinistra + std::max(pixel, asseX) / 2, p.alto + std::max(pixel, asseY) / 2};
  p.larghezza = std::max(p.larghezza, p.sinistra + asseX + 6);
  p.altezza = std::max(p.altezza, p.alto + asseY + 6);
  return p;
}

void scriviSvg(std::ostream& os, const Griglia& g, const std::string& nomeFile, std::size_t terne) {
  const Impaginazione p = impagina(g.lato, g.pixel);
  std::ostringstream titolo;
  titolo << nomeFile << ": " << quanteTerne(static_cast<long long>(terne)) << ", "
         << conMigliaia(g.punti) << (g.punti == 1 ? " punto" : " punti") << " da 0 a "
         << conMigliaia(g.lato);
  os << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
     << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << p.larghezza << "\" height=\""
     << p.altezza << "\" viewBox=\"0 0 " << p.larghezza << ' ' << p.altezza << "\">\n"
     << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  scriviTitolo(os, titolo.str(), p.larghezza);
  scriviLegenda(os, p.larghezza);
  scriviAssi(os, g, p);
  if (!g.segni.empty()) {
    scriviSegni(os, g, p);
  } else {
    scriviCelle(os, g, p, kMultipla);
    scriviCelle(os, g, p, kPrimitiva);
  }
  os << "</svg>\n";
}

}  // namespace grafico
