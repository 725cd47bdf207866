#include "tools/grafico.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string_view>

#include "sistema/nomi.h"

namespace grafico {

namespace {

// A positive integer written with digits only.
bool intero(std::string_view testo, std::uint64_t& valore) {
  if (testo.empty() || testo.size() > 19) return false;
  const auto [fine, errore] = std::from_chars(testo.data(), testo.data() + testo.size(), valore);
  return errore == std::errc() && fine == testo.data() + testo.size() && valore > 0;
}

bool leggiRiga(std::string_view riga, Cateti& cateti) {
  std::uint64_t n[3];
  for (int i = 0; i < 3; ++i) {
    const size_t virgola = (i < 2) ? riga.find(',') : riga.size();
    if (virgola == std::string_view::npos || !intero(riga.substr(0, virgola), n[i])) return false;
    riga.remove_prefix(std::min(riga.size(), virgola + 1));
  }
  std::sort(n, n + 3);
  cateti = {n[0], n[1]};
  return true;
}

// Multiples of 1, 2 or 5 times a power of ten: the smallest step that gives at most 8 ticks.
std::uint64_t passoTacche(std::uint64_t lato) {
  for (std::uint64_t potenza = 1;; potenza *= 10) {
    for (std::uint64_t m : {1, 2, 5}) {
      if (lato / (m * potenza) <= 8) return m * potenza;
    }
  }
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
    const std::string mostrato = c >= 0x20 && c < 0x7f && c != '\\' ? std::string(1, riga[i]) : codice;
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

void scriviAssi(std::ostream& os, const Griglia& g) {
  const int x0 = kMargineSinistro;
  const int y1 = kMargineAlto + g.pixel;
  os << "<rect id=\"finestra\" x=\"" << x0 << "\" y=\"" << kMargineAlto << "\" width=\"" << g.pixel
     << "\" height=\"" << g.pixel << "\" fill=\"white\" stroke=\"#888\"/>\n"
     << "<g font-family=\"sans-serif\" font-size=\"12\" fill=\"#333\" stroke=\"#888\">\n";
  const std::uint64_t passo = passoTacche(g.lato);
  for (std::uint64_t v = 0; v <= g.lato; v += passo) {
    const int c = g.cella(v);
    os << "<line x1=\"" << x0 + c << "\" y1=\"" << y1 << "\" x2=\"" << x0 + c << "\" y2=\""
       << y1 + 6 << "\"/><text x=\"" << x0 + c << "\" y=\"" << y1 + 20
       << "\" stroke=\"none\" text-anchor=\"middle\">" << conMigliaia(static_cast<long long>(v))
       << "</text>\n"
       << "<line x1=\"" << x0 - 6 << "\" y1=\"" << y1 - c << "\" x2=\"" << x0 << "\" y2=\""
       << y1 - c << "\"/><text x=\"" << x0 - 9 << "\" y=\"" << y1 - c + 4
       << "\" stroke=\"none\" text-anchor=\"end\">" << conMigliaia(static_cast<long long>(v))
       << "</text>\n";
    if (g.lato - v < passo) break;
  }
  os << "</g>\n<g font-family=\"sans-serif\" font-size=\"14\" fill=\"#333\" "
        "text-anchor=\"middle\">\n"
     << "<text x=\"" << x0 + g.pixel / 2 << "\" y=\"" << y1 + 45 << "\">primo cateto</text>\n"
     << "<text transform=\"translate(20," << kMargineAlto + g.pixel / 2
     << ") rotate(-90)\">secondo cateto</text>\n</g>\n";
}

// Each row's runs of inked cells, top row first, as one path of unit-high rectangles.
void scriviPunti(std::ostream& os, const Griglia& g) {
  os << "<path id=\"punti\" fill=\"black\" shape-rendering=\"crispEdges\" d=\"";
  for (int riga = g.pixel - 1; riga >= 0; --riga) {
    const int y = kMargineAlto + g.pixel - 1 - riga;
    for (int colonna = 0; colonna < g.pixel;) {
      if (!g.accese[static_cast<size_t>(riga) * g.pixel + colonna]) {
        ++colonna;
        continue;
      }
      int fine = colonna;
      while (fine < g.pixel && g.accese[static_cast<size_t>(riga) * g.pixel + fine]) ++fine;
      os << 'M' << kMargineSinistro + colonna << ' ' << y << 'h' << fine - colonna << "v1h-"
         << fine - colonna << 'z';
      colonna = fine;
    }
  }
  os << "\"/>\n";
}

}  // namespace

bool leggiTerne(std::istream& in, std::vector<Cateti>& terne, std::string& errore) {
  std::string riga;
  bool lunga = false;
  for (long numero = 1; leggiRigaLimitata(in, riga, kRigaMassima, lunga); ++numero) {
    if (!riga.empty() && riga.back() == '\r') riga.pop_back();
    Cateti cateti;
    if (lunga || !leggiRiga(riga, cateti)) {
      errore = "riga " + std::to_string(numero) +
               ": attesi tre interi positivi separati da virgole, trovato \"" + estratto(riga) +
               (lunga ? "\" (riga troppo lunga)" : "\"");
      return false;
    }
    terne.push_back(cateti);
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

Griglia disegna(const std::vector<Cateti>& terne, std::uint64_t lato, int pixel) {
  Griglia g;
  g.lato = lato;
  g.pixel = pixel;
  g.accese.assign(static_cast<size_t>(pixel) * pixel, false);
  auto accendi = [&g](std::uint64_t x, std::uint64_t y) {
    if (x > g.lato || y > g.lato) return;
    ++g.punti;
    const size_t i = static_cast<size_t>(g.cella(y)) * g.pixel + g.cella(x);
    if (!g.accese[i]) ++g.celle;
    g.accese[i] = true;
  };
  for (const Cateti& t : terne) {
    accendi(t.minore, t.maggiore);
    accendi(t.maggiore, t.minore);
  }
  return g;
}

void scriviSvg(std::ostream& os, const Griglia& g, const std::string& nomeFile, std::size_t terne) {
  const int larghezza = kMargineSinistro + g.pixel + 30;
  const int altezza = kMargineAlto + g.pixel + 60;
  std::ostringstream titolo;
  titolo << nomeFile << ": " << conMigliaia(static_cast<long long>(terne))
         << (terne == 1 ? " terna, " : " terne, ") << conMigliaia(static_cast<long long>(g.punti))
         << (g.punti == 1 ? " punto" : " punti") << " da 0 a "
         << conMigliaia(static_cast<long long>(g.lato));
  // At most 16 units high, smaller where the picture is too narrow for it; a renderer that
  // knows textLength also draws it to the very length that fits.
  const int spazio = larghezza - 2 * kMargineTitolo;
  const double lungo = kLarghezzaCarattere * static_cast<double>(titolo.str().size());
  const double corpo = std::min(16.0, std::floor(160.0 * spazio / lungo) / 10);
  os << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
     << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << larghezza << "\" height=\""
     << altezza << "\" viewBox=\"0 0 " << larghezza << ' ' << altezza << "\">\n"
     << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
     << "<text id=\"titolo\" x=\"" << kMargineTitolo << "\" y=\"30\" font-family=\"sans-serif\" "
     << "font-size=\"" << corpo << "\" fill=\"#111\"";
  if (corpo < 16) os << " textLength=\"" << spazio << "\" lengthAdjust=\"spacingAndGlyphs\"";
  os << '>' << testoXml(titolo.str()) << "</text>\n";
  scriviAssi(os, g);
  scriviPunti(os, g);
  os << "</svg>\n";
}

}  // namespace grafico
