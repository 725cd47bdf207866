#include "sistema/nomi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

std::string esadecimale(unsigned char c) {
  char codice[5];
  std::snprintf(codice, sizeof codice, "\\x%02x", c);
  return codice;
}

bool comune(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
}

}  // namespace

std::size_t carattereStampabile(std::string_view testo) {
  if (testo.empty()) return 0;
  const auto byte = [&testo](std::size_t i) { return static_cast<unsigned char>(testo[i]); };
  const unsigned char primo = byte(0);
  if (primo < 0x80) return (primo >= 0x20 && primo != 0x7f) || primo == '\t' ? 1 : 0;
  const std::size_t lunghezza = primo >= 0xf0 ? 4 : primo >= 0xe0 ? 3 : primo >= 0xc2 ? 2 : 0;
  if (lunghezza == 0 || primo > 0xf4 || testo.size() < lunghezza) return 0;
  std::uint32_t codice = primo & (0x7f >> lunghezza);
  for (std::size_t i = 1; i < lunghezza; ++i) {
    if ((byte(i) & 0xc0) != 0x80) return 0;
    codice = (codice << 6) | (byte(i) & 0x3f);
  }
  const std::uint32_t minimo[] = {0, 0, 0x80, 0x800, 0x10000};
  const bool ammesso = codice >= minimo[lunghezza] && codice <= 0x10ffff &&
                       (codice < 0xd800 || codice > 0xdfff) && codice != 0xfffe &&
                       codice != 0xffff && (codice < 0x80 || codice > 0x9f);
  return ammesso ? lunghezza : 0;
}

std::string leggibile(std::string_view nome) {
  std::string testo;
  while (!nome.empty()) {
    const std::size_t n = nome[0] == '\\' || nome[0] == '\t' ? 0 : carattereStampabile(nome);
    if (n == 0) {
      testo += esadecimale(static_cast<unsigned char>(nome[0]));
      nome.remove_prefix(1);
    } else {
      testo.append(nome.substr(0, n));
      nome.remove_prefix(n);
    }
  }
  return testo;
}

std::string perShell(std::string_view parola) {
  bool semplice = !parola.empty();
  bool stampabile = true;
  for (std::size_t i = 0; i < parola.size();) {
    const std::size_t n = parola[i] == '\t' ? 0 : carattereStampabile(parola.substr(i));
    stampabile = stampabile && n > 0;
    semplice = semplice && (n > 1 || (n == 1 && comune(parola[i])));
    i += n > 0 ? n : 1;
  }
  if (semplice) return std::string(parola);
  std::string testo;
  if (stampabile) {
    testo = "'";
    for (char c : parola) testo += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return testo + "'";
  }
  testo = "$'";
  for (char c : parola) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (c == '\'' || c == '\\') {
      testo += std::string("\\") + c;
    } else if (b < 0x20 || b >= 0x7f) {
      testo += esadecimale(b);
    } else {
      testo += c;
    }
  }
  return testo + "'";
}

std::string nomeMostrato(const std::string& nome, bool ingresso) {
  if (nome != "-") return leggibile(nome);
  return ingresso ? "(ingresso standard)" : "(uscita standard)";
}

namespace {

constexpr std::size_t kColonne = 79;

// The characters of UTF-8 text: its bytes but the continuation ones.
std::size_t larghezza(std::string_view testo) {
  std::size_t n = 0;
  for (char c : testo) n += (static_cast<unsigned char>(c) & 0xc0) != 0x80;
  return n;
}

// The blanks at which a line may be broken: not those inside a quoted word ('…' or $'…' after a
// blank, as perShell and the usage messages write it), which a break would change. An
// apostrophe inside an Italian word (e', c'era) opens nothing.
std::vector<bool> taglioPossibile(const std::string& riga) {
  std::vector<bool> possibile(riga.size(), false);
  enum { kFuori, kApici, kDollaro } stato = kFuori;
  for (std::size_t i = 0; i < riga.size(); ++i) {
    const char c = riga[i];
    const bool inizioParola =
        i == 0 || riga[i - 1] == ' ' || (i >= 2 && riga.compare(i - 2, 2, "\\'") == 0);
    if (stato == kFuori) {
      possibile[i] = c == ' ';
      if (c == '\'' && inizioParola) stato = kApici;
      if (c == '$' && inizioParola && i + 1 < riga.size() && riga[i + 1] == '\'') {
        stato = kDollaro;
        ++i;
      }
    } else if (stato == kDollaro && c == '\\') {
      ++i;  // an escaped character, a quote among them
    } else if (c == '\'') {
      stato = kFuori;
    }
  }
  return possibile;
}

}  // namespace

std::string aCapo(std::string_view testo) {
  std::string righe;
  while (!testo.empty()) {
    const std::size_t fine = std::min(testo.find('\n'), testo.size() - 1) + 1;  // past its end
    std::string riga(testo.substr(0, fine));
    testo.remove_prefix(fine);
    const bool finita = riga.back() == '\n';
    if (finita) riga.pop_back();
    // At its last blank within the width, or else at its first; never at a blank it starts with,
    // nor inside a quoted word.
    for (std::size_t inizio = 0; larghezza(riga) > kColonne; inizio = 2) {
      const std::vector<bool> possibile = taglioPossibile(riga);
      const auto dopo = [&](std::size_t da) {
        const auto b =
            std::find(possibile.begin() + static_cast<std::ptrdiff_t>(da), possibile.end(), true);
        return b == possibile.end() ? std::string::npos
                                    : static_cast<std::size_t>(b - possibile.begin());
      };
      std::size_t taglio = dopo(inizio + 1);
      for (std::size_t b = taglio;
           b != std::string::npos && larghezza(riga.substr(0, b)) <= kColonne; b = dopo(b + 1)) {
        taglio = b;
      }
      if (taglio == std::string::npos) break;
      righe += riga.substr(0, taglio) + "\n";
      riga = "  " + riga.substr(taglio + 1);
    }
    righe += riga;
    if (finita) righe += '\n';
  }
  return righe;
}

std::string aCapoConComando(std::string_view testo, std::string_view comando) {
  std::string righe = aCapo(testo);
  const std::size_t ultima = righe.rfind('\n') + 1;  // 0 when there is one line
  const bool sta = larghezza(righe.substr(ultima)) + 1 + larghezza(comando) <= kColonne;
  return righe + (sta ? " " : "\n  ") + std::string(comando) + "\n";
}

std::string raggruppaMigliaia(const std::string& cifre) {
  const std::size_t inizio = cifre[0] == '-' ? 1 : 0;
  std::string testo = cifre.substr(0, inizio);
  for (std::size_t i = inizio; i < cifre.size(); ++i) {
    if (i > inizio && (cifre.size() - i) % 3 == 0) testo += '.';
    testo += cifre[i];
  }
  return testo;
}

std::string quanteTerne(long long n) {
  return conMigliaia(n) + (n == 1 ? " terna" : " terne");
}

std::string conUnDecimale(double x) {
  const long long decimi = std::llround(x * 10);
  return conMigliaia(decimi / 10) + "," + std::to_string(decimi % 10);
}
