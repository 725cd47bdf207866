#include "combinatorial/combinatorial.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

using Lista = std::vector<std::vector<int>>;

std::vector<int> Posizioni(_myElement* c) {
  std::vector<int> v;
  for (; c != nullptr; c = c->nextElement) v.push_back(c->value.intero());
  return v;
}

Lista Combinazioni(_myElement* lista) {
  Lista l;
  for (; lista != nullptr; lista = lista->next) l.push_back(Posizioni(lista));
  return l;
}

Lista Elenco(const Combinatorial& t, int k) {
  return Combinazioni(t.combinations(numero(k)));
}

// Every k-subset of 0 … n-1 in lexicographic order, computed independently.
Lista Lessicografico(int n, int k) {
  Lista l;
  for (unsigned m = 0; m < (1u << n); ++m) {
    std::vector<int> c;
    for (int i = 0; i < n; ++i) {
      if (m & (1u << i)) c.push_back(i);
    }
    if (static_cast<int>(c.size()) == k) l.push_back(c);
  }
  std::sort(l.begin(), l.end());
  return l;
}

// A value read into a node, as intero() gives it: modulo 2^32.
int Intero(std::int64_t v) {
  return static_cast<int>(static_cast<std::uint32_t>(v));
}

std::string Scritta(Combinatorial& t) {
  std::ostringstream os;
  os << t;
  return os.str();
}

void Leggi(Combinatorial& t, const std::string& testo) {
  std::istringstream is(testo);
  is >> t;
}

const char kFile4[] =
    "\n( 4 )\n( 1 )\n0 , 1 , 2 , 3\n\n( 4 )\n( 2 )\n0.1 , 0.2 , 0.3 , 1.2 , 1.3 , 2.3\n";

TEST(Combinatorial, GeneratedListsAreEverySubsetInLexicographicOrder) {
  for (int n = 1; n <= 14; ++n) {
    Combinatorial t{numero(n)};
    t.generate();
    ASSERT_EQ(t.meta(), (n + 1) / 2);
    for (int k = 1; k <= t.meta(); ++k)
      EXPECT_EQ(Elenco(t, k), Lessicografico(n, k)) << n << " " << k;
  }
}

TEST(Combinatorial, WriteThenReadGivesTheSameTableForEveryCount) {
  for (int n = 1; n <= 19; ++n) {
    Combinatorial generata{numero(n)};
    generata.generate();
    Combinatorial letta;
    Leggi(letta, Scritta(generata));
    ASSERT_TRUE(letta.n == numero(n)) << n;
    for (int k = 0; k <= generata.meta() + 1; ++k) {
      EXPECT_EQ(Elenco(letta, k), Elenco(generata, k)) << n << " " << k;
    }
  }
}

// A source that hands out one character per call and keeps no buffer, as a console may.
class SenzaBuffer : public std::streambuf {
 public:
  explicit SenzaBuffer(std::string testo) : testo_(std::move(testo)) {}

 protected:
  int_type underflow() override {
    return i_ < testo_.size() ? traits_type::to_int_type(testo_[i_]) : traits_type::eof();
  }
  int_type uflow() override {
    return i_ < testo_.size() ? traits_type::to_int_type(testo_[i_++]) : traits_type::eof();
  }

 private:
  std::string testo_;
  size_t i_ = 0;
};

TEST(Combinatorial, AnUnbufferedSourceReadsAlike) {
  for (int n = 1; n <= 9; ++n) {
    Combinatorial generata{numero(n)};
    generata.generate();
    SenzaBuffer sorgente(Scritta(generata));
    std::istream is(&sorgente);
    Combinatorial letta;
    is >> letta;
    for (int k = 1; k <= generata.meta(); ++k) {
      EXPECT_EQ(Elenco(letta, k), Elenco(generata, k)) << n << " " << k;
    }
  }
}

TEST(Combinatorial, WriterFollowsTheFileFormat) {
  Combinatorial quattro{numero(4)};
  quattro.generate();
  EXPECT_EQ(Scritta(quattro), kFile4);
  Combinatorial uno{numero(1)};
  uno.generate();
  EXPECT_EQ(Scritta(uno), "\n( 1 )\n( 1 )\n0\n");
  Combinatorial dieci{numero(10)};
  dieci.generate();
  const std::string testo = Scritta(dieci);
  EXPECT_NE(testo.find("\n( 10 )\n(  1 )\n0 , 1 ,"), std::string::npos);
  EXPECT_NE(testo.find("\n( 10 )\n(  5 )\n0.1.2.3.4 ,"), std::string::npos);
  for (int n : {0, -3}) {
    Combinatorial vuota{numero(n)};
    vuota.generate();
    EXPECT_EQ(vuota.lists, nullptr);
    EXPECT_EQ(Scritta(vuota), "");
  }
}

TEST(Combinatorial, TheNineteenTableHasTheDocumentedSize) {
  Combinatorial t{numero(19)};
  t.generate();
  const std::string testo = Scritta(t);
  EXPECT_EQ(testo.size(), 8012126u);
  const std::string inizio = "( 19 )\n( 10 )\n";
  const size_t corpo = testo.find(inizio) + inizio.size();
  const std::string riga = testo.substr(corpo);
  EXPECT_EQ(riga.size(), 2469893u + 1);  // and its newline
  EXPECT_EQ(std::count(riga.begin(), riga.end(), ',') + 1, 92378);
}

TEST(Combinatorial, ReaderTolerances) {
  const struct {
    const char* nome;
    std::string testo;
    Lista atteso1, atteso2;
  } casi[] = {
      {"esempio", kFile4, {{0}, {1}, {2}, {3}}, {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}}},
      {"blanchi ovunque",
       "x\n( 4 )\n( 1 )\n 0 ,1\n\n\n\n 0 . 1 , 0 . 2 ",
       {{0}, {1}},
       {{0, 1}, {0, 2}}},
      {"CRLF",
       "\r\n( 4 )\r\n( 1 )\r\n0 , 1\r\n\r\n( 4 )\r\n( 2 )\r\n0.1 , 2.3\r\n",
       {{0}, {1}},
       {{0, 1}, {2, 3}}},
      {"corpo vuoto e punti doppi", "\n( 4 )\n( 1 )\n\n\n\n\n0..1\n", {{0}}, {{0, 0, 1}}},
      {"virgola iniziale", "\n( 4 )\n( 1 )\n,1\n", {{0}, {1}}, {}},
      {"cifre e lettere", "\n( 4 )\n( 1 )\n1a , 007\n", {{10}, {7}}, {}},
      {"fine senza a capo", "\n( 4 )\n( 1 )\n0\n\n( 4 )\n( 2 )\n2.3", {{0}}, {{2, 3}}},
      {"file corto", "\n( 4 )\n( 1 )\n0 , 1 , 2 , 3\n", {{0}, {1}, {2}, {3}}, {}},
      {"elemento di 30 caratteri",
       "\n( 4 )\n( 1 )\n" + std::string(29, '0') + "7 , 1\n",
       {{7}, {1}},
       {}},
      {"oltre 30 caratteri", "\n( 4 )\n( 1 )\n" + std::string(30, '0') + "7 , 1\n", {{0}, {1}}, {}},
      {"saturazione",
       "\n( 4 )\n( 1 )\n214748364799999998 , 214748364800000000\n",
       {{Intero(214748364799999998)}, {Intero(214748364799999999)}},
       {}},
      {"riga scartata di 199 caratteri", std::string(199, 'x') + "\n( 4 )\n( 1 )\n0\n", {{0}}, {}},
      {"byte NUL negli elementi", "\n( 4 )\n( 1 )\n1\0002 , \0003\n"s, {{12}, {3}}, {}},
  };
  for (const auto& c : casi) {
    Combinatorial t;
    Leggi(t, c.testo);
    EXPECT_TRUE(t.n == numero(4)) << c.nome;
    EXPECT_EQ(Elenco(t, 1), c.atteso1) << c.nome;
    EXPECT_EQ(Elenco(t, 2), c.atteso2) << c.nome;
  }
}

TEST(Combinatorial, UnreadableOrImplausibleCountsStoreNothing) {
  const struct {
    std::string testo;
    bool letta;
  } casi[] = {{"", false},
              {"\n(4)\n( 1 )\n0 , 1\n", false},
              {"\n( 99999999999 )\n( 1 )\n0\n", false},
              {"\n( 10001 )\n( 1 )\n0\n", false},
              {"\n( 10000 )\n( 1 )\n0\n", true},
              {std::string(200, 'x') + "\n( 4 )\n( 1 )\n0\n", false}};  // the 200th is a line
  for (const auto& c : casi) {
    Combinatorial t;
    Leggi(t, c.testo);
    EXPECT_EQ(Elenco(t, 1), c.letta ? Lista{{0}} : Lista{}) << c.testo.substr(0, 20);
    if (c.letta) continue;
    EXPECT_EQ(t.lists, nullptr) << c.testo;
    for (int k = -1; k <= 3; ++k) EXPECT_EQ(t.combinations(numero(k)), nullptr);
  }
}

TEST(Combinatorial, ReadingAgainReplacesTheContent) {
  Combinatorial t;
  Leggi(t, kFile4);
  Leggi(t, "\n( 5 )\n( 1 )\n4\n");
  EXPECT_TRUE(t.n == numero(5));
  EXPECT_EQ(Elenco(t, 1), (Lista{{4}}));
  EXPECT_EQ(Elenco(t, 2), Lista{});
  t.reset(numero(6));
  EXPECT_EQ(t.lists, nullptr);
  EXPECT_TRUE(t.n == numero(6));
}

TEST(Combinatorial, QueriesAndComplements) {
  Combinatorial cinque{numero(5)};
  cinque.generate();
  EXPECT_EQ(Elenco(cinque, 3).size(), 10u);
  EXPECT_EQ(cinque.combinations(numero(4)), nullptr);
  EXPECT_EQ(cinque.combinations(numero(0)), nullptr);

  _myElement* c13 = new _myElement{numero(1), nullptr, new _myElement{numero(3)}};
  _myElement* complemento = cinque.complement(c13);
  EXPECT_EQ(Posizioni(complemento), (std::vector<int>{0, 2, 4}));
  rilasciaCombinazione(complemento);
  _myElement* fuori = new _myElement{numero(7), nullptr, new _myElement{numero(-2)}};
  complemento = cinque.complement(fuori);
  EXPECT_EQ(Posizioni(complemento), (std::vector<int>{0, 1, 2, 3, 4}));
  rilasciaCombinazione(complemento);
  rilasciaCombinazione(fuori);
  rilasciaCombinazione(c13);
  _myElement* nulla = nullptr;
  EXPECT_EQ(cinque.complement(nulla), nullptr);

  _myElement* lista = cinque.complements(2);
  Lista attesa;
  for (const auto& c : Lessicografico(5, 3)) attesa.insert(attesa.begin(), c);
  EXPECT_EQ(Combinazioni(lista), attesa);  // decreasing lexicographic order
  while (lista != nullptr) {
    _myElement* seguente = lista->next;
    rilasciaCombinazione(lista);
    lista = seguente;
  }
  EXPECT_EQ(cinque.complements(4), nullptr);
  EXPECT_EQ(cinque.complements(0), nullptr);
}

TEST(Combinatorial, ChainHelpers) {
  EXPECT_TRUE(Combinatorial::lastElement(nullptr) == numero(-1));
  numero uno(1);
  EXPECT_FALSE(Combinatorial::contains(nullptr, &uno));
  _myElement* catena = nullptr;
  Combinatorial::appendElement(&catena, numero(1));
  Combinatorial::appendElement(&catena, numero(3));
  EXPECT_EQ(Posizioni(catena), (std::vector<int>{1, 3}));
  EXPECT_TRUE(Combinatorial::contains(catena, &uno));
  EXPECT_TRUE(Combinatorial::lastElement(catena) == numero(3));
  _myElement* copia = new _myElement{numero(9)};
  _myElement* vuota = nullptr;
  Combinatorial::copyCombination(&vuota, &copia);
  EXPECT_EQ(Posizioni(copia), (std::vector<int>{9}));
  Combinatorial::copyCombination(&catena, &copia);
  EXPECT_EQ(Posizioni(copia), (std::vector<int>{1, 3}));
  EXPECT_NE(copia, catena);
  rilasciaCombinazione(copia);
  rilasciaCombinazione(catena);
  EXPECT_STREQ(Combinatorial::alignment(1, 19).str, " ");
  EXPECT_STREQ(Combinatorial::alignment(10, 19).str, "");
  EXPECT_STREQ(Combinatorial::alignment(3, 9).str, "");
  EXPECT_STREQ(Combinatorial::alignment(0, 100).str, "   ");
}

TEST(Combinatorial, GenerateSizeOutOfRangeWritesNothing) {
  Combinatorial t{numero(6)};
  t.generate();
  t.generateSize(numero(4));
  t.generateSize(numero(0));
  EXPECT_EQ(Elenco(t, 3), Lessicografico(6, 3));
  Combinatorial senza{numero(6)};
  senza.generateSize(numero(1));
  EXPECT_EQ(senza.lists, nullptr);
}

}  // namespace
