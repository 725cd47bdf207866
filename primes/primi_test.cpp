#include "primes/primi.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sistema/interruzione.h"
#include "sistema/motivi.h"
#include "sistema/opzioni.h"

namespace {

std::vector<std::int64_t> Valori(_myElement* primo) {
  std::vector<std::int64_t> v;
  for (; primo != nullptr; primo = primo->next)
    v.push_back(std::int64_t{primo->value.alta} * 100000000 + primo->value.bassa);
  return v;
}

_myElement* Lista(const std::vector<int>& valori) {
  _myElement* primo = nullptr;
  for (auto i = valori.rbegin(); i != valori.rend(); ++i)
    primo = new _myElement{numero(*i), primo, nullptr};
  return primo;
}

class FilePrimi : public testing::Test {
 protected:
  std::string Scrivi(const std::string& contenuto) {
    const auto nome =
        std::filesystem::temp_directory_path() / ("primi_" + std::to_string(getpid()) + ".txt");
    std::ofstream(nome, std::ios::binary) << contenuto;
    nomi_.push_back(nome.string());
    return nome.string();
  }
  ~FilePrimi() override {
    for (const auto& n : nomi_) std::filesystem::remove(n);
  }
  std::vector<std::string> nomi_;
};

// What the loader reads, and whether it is the primes from 2 on (blanks and letters read as 0
// and are passed over; a table may end early; nothing may be missing, changed or added).
TEST_F(FilePrimi, LoaderCases) {
  const struct {
    const char* nome;
    std::string contenuto;
    int limite;
    int esito;
    std::vector<std::int64_t> catena;
    bool primi;
  } casi[] = {
      {"uno per riga", "2\n3\n5\n7\n11\n", 6, 1, {2, 3, 5, 7}, true},
      {"tab", "2\t3\t5\t7\n11\t13\n", 11, 1, {2, 3, 5, 7, 11}, true},
      {"tab troppo corto", "2\t3\t5\t7\n11\t13\n", 14, 0, {2, 3, 5, 7, 11, 13, 0}, true},
      {"blanchi non separano", "2 3 5\n", 2, 1, {20305}, false},
      {"lettere come zero", "1x3\n", 100, 1, {103}, false},
      {"tab iniziale e finale", "\t5\t\n7\n", 6, 1, {5, 7}, false},
      {"campi vuoti, passati oltre", "2\t\t0\t3\n", 3, 1, {2, 3}, true},
      {"CRLF", "2\r\n3\r\n5\r\n", 4, 1, {2, 3, 5}, true},
      {"ultima riga senza a capo", "2\n3", 3, 1, {2, 3}, true},
      {"primo gia al limite", "7\t9\n", 5, 1, {7}, false},
      {"finisce proprio al limite", "2\t3\t5\n", 5, 1, {2, 3, 5}, true},
      {"finisce un numero prima del limite", "2\t3\t5\n", 6, 0, {2, 3, 5, 0}, true},
      {"vuoto", "", 5, 0, {0}, true},
      {"campo enorme satura",
       "123456789012345678901234567890123\n",
       5,
       1,
       {214748364799999999},
       false},
      {"riga di 1999 caratteri", std::string(1997, '0') + "12\n", 2, 1, {12}, false},
      {"riga lunga spezzata", std::string(1998, '0') + "12\n", 2, 1, {1, 2}, false},
      {"una cifra cambiata", "2\t9\t5\t7\n", 6, 1, {2, 9}, false},
      {"un primo mancante", "2\t3\t7\t11\n", 8, 1, {2, 3, 7, 11}, false},
      {"un numero in piu'", "2\t3\t4\t5\t7\n", 6, 1, {2, 3, 4, 5, 7}, false},
      {"un primo ripetuto", "2\t3\t3\t5\n", 4, 1, {2, 3, 3, 5}, false},
      {"l'uno", "1\t2\t3\n", 3, 1, {1, 2, 3}, false},
      {"un composto dopo l'ultimo primo", "2\t3\t5\t7\t9\n", 8, 1, {2, 3, 5, 7, 9}, false},
  };
  for (const auto& c : casi) {
    _myElement* primo = new _myElement;
    EXPECT_EQ(caricaPrimi(Scrivi(c.contenuto).c_str(), numero(c.limite), primo), c.esito) << c.nome;
    EXPECT_EQ(Valori(primo), c.catena) << c.nome;
    EXPECT_EQ(soloPrimi(primo), c.primi) << c.nome;
    rilasciaLista(primo);
  }
  _myElement* primo = new _myElement;
  int motivo = 0;
  EXPECT_EQ(caricaPrimi("/non/esiste/numeriPrimi.txt", numero(5), primo, &motivo), -1);
  EXPECT_EQ(Valori(primo), std::vector<std::int64_t>{0});
  EXPECT_EQ(caricaPrimi("/dev/null", numero(5), primo, &motivo), -2);
  EXPECT_EQ(motivo, kNonUnFile);
  rilasciaLista(primo);
}

TEST(LeggiCampo, FieldsAreTabSeparated) {
  const struct {
    const char* riga;
    int k;
    std::int64_t atteso;
  } casi[] = {{"2\t3\t5", 0, 2},
              {"2\t3\t5", 2, 5},
              {"2\t3\t5", 3, -1},
              {"", 0, -1},
              {"\t4", 0, 0},
              {"4\t", 1, -1},
              {"4\t\t6", 1, 0},
              {"a-9", 0, 9},
              {"214748364799999998", 0, 214748364799999998},
              {"214748364800000000", 0, 214748364799999999}};
  for (const auto& c : casi) {
    numero d(77);
    leggiCampo(c.riga, &d, c.k);
    EXPECT_EQ(std::int64_t{d.alta} * 100000000 + d.bassa, c.atteso) << c.riga << " " << c.k;
  }
}

// Trial division with native integers, in order and with multiplicity.
std::vector<std::int64_t> Fattori(std::int64_t x) {
  std::vector<std::int64_t> f;
  for (std::int64_t p = 2; p * p <= x; ++p) {
    for (; x % p == 0; x /= p) f.push_back(p);
  }
  if (x > 1) f.push_back(x);
  return f;
}

TEST(Fattorizza, SquaresOfEveryLegUpTo10000MatchPlainTrialDivision) {
  std::vector<int> primi;
  for (int i = 2; primi.empty() || primi.back() <= 10000; ++i) {
    if (Fattori(i).size() == 1) primi.push_back(i);
  }
  _myElement* tabella = Lista(primi);
  for (int a = 1; a <= 10000; ++a) {
    _myElement* fattori = nullptr;
    EXPECT_EQ(fattorizza(numero(a) * numero(a), tabella, &fattori), 0);
    EXPECT_EQ(Valori(fattori), Fattori(std::int64_t{a} * a)) << a;
    EXPECT_EQ(contaElementi(fattori), static_cast<int>(Fattori(std::int64_t{a} * a).size()));
    rilasciaLista(fattori);
  }
  rilasciaLista(tabella);
}

TEST(Fattorizza, IncompleteOrDamagedTables) {
  const struct {
    const char* nome;
    std::vector<int> tabella;
    std::int64_t x;
    std::vector<std::int64_t> atteso;
  } casi[] = {{"tabella incompleta", {2, 3, 5}, 98, {2, 49}},
              {"oltre 2^32",
               {2, 3, 5, 7, 11, 13, 17, 19, 23, 29},
               6469693230,
               {2, 3, 5, 7, 11, 13, 17, 19, 23, 29}},
              {"zero e uno saltati", {0, 1, 2, 0, 3}, 144, {2, 2, 2, 2, 3, 3}},
              {"negativi saltati", {-2, 7}, 49, {7, 7}},
              {"uno", {2, 3}, 1, {}},
              {"zero", {2, 3}, 0, {}},
              {"tabella vuota", {}, 35, {35}}};
  for (const auto& c : casi) {
    _myElement* tabella = Lista(c.tabella);
    _myElement* fattori = nullptr;
    fattorizza(numero::da64(static_cast<std::uint64_t>(c.x)), tabella, &fattori);
    EXPECT_EQ(Valori(fattori), c.atteso) << c.nome;
    rilasciaLista(fattori);
    rilasciaLista(tabella);
  }
  _myElement* tabella = Lista({2, 3, 5, 7});
  _myElement* fattori = Lista({11});
  fattorizza(numero(12), tabella, &fattori);
  EXPECT_EQ(Valori(fattori), (std::vector<std::int64_t>{11, 2, 2, 3}));
  rilasciaLista(fattori);
  rilasciaLista(tabella);
  EXPECT_EQ(contaElementi(nullptr), 0);
}

// Over the list and, for distinct positions, over its view alike; the view also gives the
// product of the positions the combination lacks.
TEST(Prodotto, MultipliesTheChosenPositionsInAnyOrder) {
  _myElement* fattori = Lista({2, 3, 5, 7});
  const VistaFattori vista(fattori);
  const struct {
    std::vector<int> posizioni;
    int atteso, complemento;
  } casi[] = {{{}, 1, 210},     {{0, 3}, 14, 15},      {{1, 2}, 15, 14}, {{0, 1, 2, 3}, 210, 1},
              {{3, 0}, 14, 15}, {{3, 0, 3}, 98, 15},   {{1, 1}, 9, 70},  {{2, 1, 0}, 30, 7},
              {{3}, 7, 30},     {{0, 2, 1, 3}, 210, 1}};
  for (const auto& c : casi) {
    _myElement* combinazione = nullptr;
    for (auto i = c.posizioni.rbegin(); i != c.posizioni.rend(); ++i)
      combinazione = new _myElement{numero(*i), nullptr, combinazione};
    numero d(-1);
    EXPECT_EQ(prodotto(&d, combinazione, fattori).intero(), c.atteso) << c.posizioni.size();
    EXPECT_EQ(d.intero(), c.atteso);
    std::uint32_t posizioni = 0;
    for (int p : c.posizioni) posizioni |= 1u << p;
    numero v(-1), complemento(-1);
    if (std::set<int>(c.posizioni.begin(), c.posizioni.end()).size() == c.posizioni.size()) {
      EXPECT_EQ(prodottoScelti(&v, posizioni, vista).intero(), c.atteso);
      EXPECT_EQ(v.intero(), c.atteso);
    }
    EXPECT_EQ(prodottoComplemento(&complemento, posizioni, vista).intero(), c.complemento);
    while (combinazione != nullptr) {
      _myElement* seguente = combinazione->nextElement;
      delete combinazione;
      combinazione = seguente;
    }
  }
  rilasciaLista(fattori);
}

TEST_F(FilePrimi, PhaseMessagesNameTheTopOfTheRange) {
  const auto prima = std::filesystem::current_path();
  const auto cartella =
      std::filesystem::temp_directory_path() / ("fase_" + std::to_string(getpid()));
  std::filesystem::create_directories(cartella);
  std::filesystem::current_path(cartella);
  std::ostringstream out;
  std::ostringstream err;
  _myElement* primi = nullptr;
  EXPECT_FALSE(caricaFasePrimi(numero(10), primi, out, err));
  EXPECT_EQ(out.str(),
            "\n Il file numeriPrimi.txt non e'  stato trovato. Creare prima il file "
            "numeriPrimi.txt. Inserire un carattere e premere invio per terminare... ");
  EXPECT_EQ(err.str(), "terne: per creare numeriPrimi.txt, nella cartella di lavoro:\n  " +
                           comandoPrepara() + "\n");
  rilasciaLista(primi);
  std::ofstream("numeriPrimi.txt") << "2\t3\t5\t7\t11\n";
  out.str("");
  EXPECT_FALSE(caricaFasePrimi(numero(11), primi, out, err));
  EXPECT_EQ(out.str(),
            "Nel file numeriPrimi.txt non ci sono abbastanza numeri primi per calcolare i fattori "
            "di 11. \n Calcolare piu' numeri primi e poi ripetere l'operazione. \n Inserire un "
            "carattere e premere invio per terminare... ");
  rilasciaLista(primi);
  out.str("");
  EXPECT_TRUE(caricaFasePrimi(numero(10), primi, out, err));
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(Valori(primi), (std::vector<std::int64_t>{2, 3, 5, 7, 11}));
  rilasciaLista(primi);
  std::filesystem::current_path(prima);
  std::filesystem::remove_all(cartella);
}

}  // namespace

namespace {

// A stop cuts a long check short, in the walk of the chain and in the sieve: a table that passes
// no longer does once a stop has come.
TEST(SoloPrimi, AStopCutsTheCheckShort) {
  _myElement* zeri = new _myElement;  // fields that read as 0, past the walk's first question
  for (int i = 0; i < 70000; ++i) {
    _myElement* prima = new _myElement;
    prima->next = zeri;
    zeri = prima;
  }
  _myElement* due = new _myElement;
  due->value = numero(2);
  EXPECT_TRUE(soloPrimi(zeri) && soloPrimi(due));
  {
    GestoriInterruzione gestori;
    raise(SIGTERM);
    EXPECT_FALSE(soloPrimi(zeri));
    EXPECT_FALSE(soloPrimi(due));
  }
  rilasciaLista(zeri);
  rilasciaLista(due);
}

TEST(FilePreparato, TheToolsPrimeTableReachesJustPastTheLargestLeg) {
  const std::string nome = std::string(TERNE_DATI) + "/numeriPrimi.txt";
  _myElement* primo = new _myElement;
  EXPECT_EQ(caricaPrimi(nome.c_str(), numero(65536), primo), 1);
  const std::vector<std::int64_t> valori = Valori(primo);
  EXPECT_EQ(valori.size(), 6543u);
  EXPECT_EQ(valori.back(), 65537);
  EXPECT_EQ(valori.front(), 2);
  EXPECT_TRUE(std::is_sorted(valori.begin(), valori.end()));
  rilasciaLista(primo);
}

}  // namespace
