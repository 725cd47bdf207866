#include "results/terne.h"

#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

// A results file in memory: what the records' batches wrote, read back.
struct FileInMemoria {
  int fd = memfd_create("risultati", MFD_CLOEXEC);
  FileRisultati file;
  FileInMemoria() { file.usa(fd); }
  ~FileInMemoria() { close(fd); }
  std::string Testo() const {
    std::string testo(static_cast<size_t>(lseek(fd, 0, SEEK_END)), '\0');
    EXPECT_EQ(pread(fd, testo.data(), testo.size(), 0), static_cast<ssize_t>(testo.size()));
    return testo;
  }
};

struct Pendenti {
  TernePendenti lista;
  FileInMemoria file;
  bool Registra(int b, int c, int a) {
    return registraTerna(numero(b), numero(c), numero(a), lista);
  }
  std::string Scrivi(int cateto) {
    const size_t prima = file.Testo().size();
    EXPECT_TRUE(scriviTerne(lista, numero(cateto), file.file));
    return file.Testo().substr(prima);
  }
};

TEST(Terne, RecordsAreSortedTextsAndRepeatsAreTurnedAway) {
  Pendenti p;
  EXPECT_TRUE(p.Registra(8, 10, 6));
  EXPECT_FALSE(p.Registra(8, 10, 6));
  EXPECT_TRUE(p.Registra(15, 17, 8));
  EXPECT_FALSE(p.Registra(6, 10, 8));  // same triple found at another leg
  EXPECT_TRUE(p.Registra(404, 505, 303));
  EXPECT_STREQ(p.lista.head()->terna.str, "303,404,505");
  EXPECT_TRUE(p.lista.head()->cateto == numero(303));
  EXPECT_STREQ(p.lista.tail()->terna.str, "6,8,10");
  EXPECT_EQ(p.lista.registrate(), 3);
  EXPECT_TRUE(ternaPresente(stringa("8,15,17"), p.lista.head()));
  EXPECT_FALSE(ternaPresente(stringa("8,15,1"), p.lista.head()));
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
  EXPECT_EQ(p.lista.tail(), p.lista.head());
  EXPECT_EQ(p.Scrivi(200), "12,35,37\n");
  EXPECT_EQ(p.lista.tail(), nullptr);
  EXPECT_EQ(p.lista.head(), nullptr);
  EXPECT_TRUE(p.Registra(8, 10, 6));  // written out: found again, recorded again
}

// A long run of records against a model of the window: at leg a the triples {a, a ± d}
// (third member 10^6 + the product of the legs) are found, so each comes back at its other leg
// d legs later, and is recorded again unless its record was made within the last 100 legs. The
// file gets the records in the order they were made, and the two ends of the list agree.
TEST(Terne, ThePendingListFollowsTheRepeatWindow) {
  Pendenti p;
  std::map<std::pair<int, int>, int> ultimoRecord;  // legs of a triple → leg of its last record
  std::string atteso;
  for (int a = 1; a <= 400; ++a) {
    for (const int altro : {a + 1, a - 1, a + 100, a - 100, a + 101, a - 101}) {
      if (altro < 1) continue;
      const std::pair<int, int> cateti = {std::min(a, altro), std::max(a, altro)};
      const int ipotenusa = 1000000 + a * altro;
      const auto r = ultimoRecord.find(cateti);
      const bool nuova = r == ultimoRecord.end() || r->second < a - kFinestra;
      ASSERT_EQ(p.Registra(altro, ipotenusa, a), nuova) << a << " " << altro;
      if (!nuova) continue;
      ultimoRecord[cateti] = a;
      atteso += std::to_string(cateti.first) + "," + std::to_string(cateti.second) + "," +
                std::to_string(ipotenusa) + "\n";
    }
    p.Scrivi(a);
    ASSERT_EQ(p.lista.head() == nullptr, p.lista.tail() == nullptr) << a;
    for (_pTerne* r = p.lista.head(); r != nullptr; r = r->next) {
      ASSERT_EQ(r->next == nullptr, r == p.lista.tail());
      if (r->next != nullptr) {
        ASSERT_EQ(r->next->prev, r);
      }
    }
  }
  p.Scrivi(400 + kFinestra);
  EXPECT_EQ(p.lista.head(), nullptr);
  EXPECT_EQ(p.file.Testo(), atteso);
}

// A record leaves the memory when it is written: a long run keeps only its window.
TEST(Terne, WrittenRecordsAreReleased) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's allocator keeps its own books, and reports leaks itself";
#endif
  Pendenti p;
  for (int a = 1; a <= 200; ++a) {  // the window filled once, the buffers grown
    p.Registra(a + 1, 1000000 + a, a);
    p.Scrivi(a);
  }
  const std::size_t prima = mallinfo2().uordblks;
  for (int a = 201; a <= 3000; ++a) {
    p.Registra(a + 1, 1000000 + a, a);
    p.Scrivi(a);
  }
  EXPECT_LT(mallinfo2().uordblks, prima + 32 * 1024);
}

TEST(Terne, ResultsFileIsNamedAfterTheRangeAndAnEarlierOneIsKept) {
  const auto prima = std::filesystem::current_path();
  const auto cartella =
      std::filesystem::temp_directory_path() / ("risultati_" + std::to_string(getpid()));
  std::filesystem::create_directories(cartella);
  std::filesystem::current_path(cartella);
  std::ofstream("triadiRettangole6-8.txt") << "vecchio\n";
  const stringa nome = nomeFileRisultati(numero(6), numero(8));
  EXPECT_STREQ(nome.str, "triadiRettangole6-8.txt");
  {
    FileRisultati file;
    std::ostringstream out;
    EXPECT_TRUE(apriFileRisultati(nome, file, out));
    EXPECT_EQ(out.str(),
              "Il file triadiRettangole6-8.txt c'era gia': e' stato conservato come\n"
              "  triadiRettangole6-8.txt.~1~.\n");
  }
  EXPECT_EQ(std::filesystem::file_size("triadiRettangole6-8.txt"), 0u);
  EXPECT_EQ(std::filesystem::file_size("triadiRettangole6-8.txt.~1~"), 8u);
  std::filesystem::create_directory("triadiRettangole100000000-1.txt");
  {
    FileRisultati file;
    std::ostringstream out;
    EXPECT_FALSE(apriFileRisultati(nomeFileRisultati(numero(100000000), numero(1)), file, out));
    EXPECT_EQ(out.str(),
              "\n Il file triadiRettangole100000000-1.txt non puo' essere creato (e' una "
              "cartella). Controllare la cartella di lavoro e ripetere l'operazione. Inserire un "
              "carattere e premere invio per terminare... ");
  }
  std::filesystem::current_path(prima);
  std::filesystem::remove_all(cartella);
}

}  // namespace
