#include "results/terne.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Pendenti {
  _pTerne* head = nullptr;
  _pTerne* tail = nullptr;
  ~Pendenti() { rilasciaTerne(head); }
  bool Registra(int b, int c, int a) {
    return registraTerna(numero(b), numero(c), numero(a), &head, &tail);
  }
  std::string Scrivi(int cateto) {
    std::ostringstream file;
    scriviTerne(&tail, numero(cateto), file);
    if (tail == nullptr) head = nullptr;
    return file.str();
  }
};

TEST(Terne, RecordsAreSortedTextsAndRepeatsAreTurnedAway) {
  Pendenti p;
  EXPECT_TRUE(p.Registra(8, 10, 6));
  EXPECT_FALSE(p.Registra(8, 10, 6));
  EXPECT_TRUE(p.Registra(15, 17, 8));
  EXPECT_FALSE(p.Registra(6, 10, 8));  // same triple found at another leg
  EXPECT_TRUE(p.Registra(404, 505, 303));
  EXPECT_STREQ(p.head->terna.str, "303,404,505");
  EXPECT_TRUE(p.head->cateto == numero(303));
  EXPECT_STREQ(p.tail->terna.str, "6,8,10");
  EXPECT_TRUE(ternaPresente(stringa("8,15,17"), p.head));
  EXPECT_FALSE(ternaPresente(stringa("8,15,1"), p.head));
  EXPECT_FALSE(ternaPresente(stringa("6,8,10"), nullptr));
  Pendenti altra;  // each list turns away its own repeats only
  EXPECT_TRUE(altra.Registra(8, 10, 6));
  EXPECT_FALSE(altra.Registra(6, 10, 8));
}

TEST(Terne, RecordsAreWrittenOldestFirstOnceTheyAre100LegsOld) {
  Pendenti p;
  p.Registra(8, 10, 6);
  p.Registra(15, 17, 8);
  p.Registra(35, 37, 12);
  EXPECT_EQ(p.Scrivi(105), "");
  EXPECT_EQ(p.Scrivi(106), "6,8,10\n");
  EXPECT_EQ(p.Scrivi(108), "8,15,17\n");
  EXPECT_EQ(p.tail, p.head);
  EXPECT_EQ(p.Scrivi(200), "12,35,37\n");
  EXPECT_EQ(p.tail, nullptr);
  EXPECT_EQ(p.head, nullptr);
  EXPECT_TRUE(p.Registra(8, 10, 6));  // written out: found again, recorded again
}

TEST(Terne, ResultsFileIsNamedAfterTheRangeAndOpenedEmpty) {
  const auto prima = std::filesystem::current_path();
  const auto cartella =
      std::filesystem::temp_directory_path() / ("risultati_" + std::to_string(getpid()));
  std::filesystem::create_directories(cartella);
  std::filesystem::current_path(cartella);
  std::ofstream("triadiRettangole6-8.txt") << "vecchio\n";
  {
    stringa nome;
    std::ofstream file;
    std::ostringstream out;
    EXPECT_TRUE(apriFileRisultati(numero(6), numero(8), nome, file, out));
    EXPECT_STREQ(nome.str, "triadiRettangole6-8.txt");
    EXPECT_EQ(out.str(), "");
  }
  EXPECT_EQ(std::filesystem::file_size("triadiRettangole6-8.txt"), 0u);
  std::filesystem::create_directory("triadiRettangole100000000-1.txt");
  {
    stringa nome;
    std::ofstream file;
    std::ostringstream out;
    EXPECT_FALSE(apriFileRisultati(numero(100000000), numero(1), nome, file, out));
    EXPECT_EQ(out.str(),
              "\n Il file triadiRettangole100000000-1.txt non puo' essere creato. Controllare la "
              "cartella di lavoro e ripetere l'operazione. Inserire un carattere e premere invio "
              "per terminare... ");
  }
  std::filesystem::current_path(prima);
  std::filesystem::remove_all(cartella);
}

}  // namespace
