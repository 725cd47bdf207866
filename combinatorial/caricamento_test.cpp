#include "combinatorial/caricamento.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

void Leggi(Combinatorial& t, const std::string& testo) {
  std::istringstream is(testo);
  is >> t;
}

std::string Scritta(int n) {
  Combinatorial t{numero(n)};
  t.generate();
  std::ostringstream os;
  os << t;
  return os.str();
}

// The text with the first occurrence of `vecchio` changed to `nuovo`.
std::string Cambia(const std::string& testo, const std::string& vecchio, const std::string& nuovo) {
  const size_t dove = testo.find(vecchio);
  return testo.substr(0, dove) + nuovo + testo.substr(dove + vecchio.size());
}

TEST(Caricamento, TableNamesHaveTwoDigits) {
  EXPECT_STREQ(nomeTabella(4).str, "Combinations04.txt");
  EXPECT_STREQ(nomeTabella(19).str, "Combinations19.txt");
}

TEST(Caricamento, OnlyACompleteLexicographicTablePassesTheCheck) {
  const std::string buona = Scritta(6);
  std::string crlf;
  for (const char c : buona) crlf += c == '\n' ? "\r\n" : std::string(1, c);
  const struct {
    const char* nome;
    std::string testo;
    bool completa;
    bool coda = false;  // junk after the last block, which the reader does not read
  } casi[] = {
      {"scritta dal generatore", buona, true},
      {"a capo CRLF", crlf, true},
      {"righe vuote in fondo", buona + "\n \r\n\n", true},
      {"una x dopo l'ultima riga", buona + "x", false, true},
      {"un 9 dopo l'ultima riga", buona + "9\n", false, true},
      {"un blocco in piu' dopo l'ultimo", buona + "\n( 6 )\n( 4 )\n0.1.2.3\n", false, true},
      {"conteggio diverso", Scritta(7), false},
      {"file vuoto", "", false},
      {"troncata", buona.substr(0, buona.size() - 9), false},
      {"ultimo blocco mancante", buona.substr(0, buona.rfind("\n\n") + 1), false},
      {"ordine scambiato", Cambia(buona, "0.1 , 0.2", "0.2 , 0.1"), false},
      {"combinazione doppia", Cambia(buona, "0.1 , 0.2", "0.1 , 0.1"), false},
      {"elemento in piu", Cambia(buona, "0.1 , 0.2", "0.1 , 0.2.5"), false},
      {"combinazione in piu dopo l'ultima di 1", Cambia(buona, "4 , 5\n", "4 , 5 , 0.1\n"), false},
      {"combinazione in piu dopo l'ultima di 3", buona.substr(0, buona.size() - 1) + " , 0.1.2\n",
       false},
      {"un byte cambiato", Cambia(buona, "1.2.4", "7.2.4"), false},
  };
  for (const auto& c : casi) {
    Combinatorial t;
    Leggi(t, c.testo);
    EXPECT_EQ(tabellaCompleta(t, 6), c.completa || c.coda) << c.nome;
    std::istringstream is(c.testo);  // the check made while reading, with no node
    EXPECT_EQ(tabellaCompletaDaLeggere(is, 6), c.completa) << c.nome;
    std::istringstream generato(c.testo);  // the generated text, recognised without reading it
    EXPECT_EQ(ugualeAlGenerato(generato, 6), c.testo == buona) << c.nome;
    std::istringstream intatta(c.testo);  // either way, as the loader checks
    EXPECT_EQ(tabellaIntatta(intatta, 6), c.completa) << c.nome;
  }
  for (int n = 1; n <= 19; ++n) {
    std::istringstream is(Scritta(n));
    EXPECT_TRUE(ugualeAlGenerato(is, n)) << n;
  }
}

TEST(Caricamento, LoadsEveryTableOrStopsAtTheFirstBadOne) {
  const auto cartella =
      std::filesystem::temp_directory_path() / ("caricamento_" + std::to_string(getpid()));
  std::filesystem::create_directories(cartella);
  const auto prima = std::filesystem::current_path();
  std::filesystem::current_path(cartella);
  for (int n = kPrimaTabella; n <= kUltimaTabella; ++n)
    std::ofstream(nomeTabella(n).str) << Scritta(n);
  {
    Combinatorial tabelle[kTabelle];
    std::ostringstream out;
    EXPECT_EQ(caricaTabelle(tabelle, out), 0);
    // The tables are built when asked for, and then equal the tables built at once.
    EXPECT_EQ(tabelle[18].lists, nullptr);
    EXPECT_NE(tabelle[19].combinations(numero(10)), nullptr);
    for (int n = kPrimaTabella; n <= kUltimaTabella; ++n) {
      std::ostringstream scritta;
      scritta << tabelle[n];
      EXPECT_EQ(scritta.str(), Scritta(n)) << n;
    }
    std::string attese;
    for (int n = 4; n <= 19; ++n)
      attese += "Combinator " + std::to_string(n) + " elements read from file\n";
    EXPECT_EQ(out.str(), attese);
  }
  std::filesystem::remove(nomeTabella(9).str);
  {
    Combinatorial tabelle[kTabelle];
    std::ostringstream out;
    EXPECT_EQ(caricaTabelle(tabelle, out), 9);
    EXPECT_EQ(out.str().find("Combinator 9 "), std::string::npos);
    EXPECT_NE(out.str().find("Combinator 8 "), std::string::npos);
  }
  std::filesystem::current_path(prima);
  std::filesystem::remove_all(cartella);
}

}  // namespace
