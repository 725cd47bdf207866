#include "sistema/uscita.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "sistema/motivi.h"
#include "sistema/nomi.h"

namespace {

namespace fs = std::filesystem;

class Uscite : public testing::Test {
 protected:
  void SetUp() override {
    cartella_ = fs::temp_directory_path() / ("uscite_" + std::to_string(getpid()));
    fs::remove_all(cartella_);
    fs::create_directories(cartella_ / "cartella");
    std::ofstream(cartella_ / "file.txt") << "dati\n";
    prima_ = fs::current_path();
    fs::current_path(cartella_);
  }
  void TearDown() override {
    fs::current_path(prima_);
    fs::remove_all(cartella_);
  }
  fs::path cartella_;
  fs::path prima_;
};

// Every kind of name a user may give, and where it leads: followed like the shell and cp do.
TEST_F(Uscite, ANameLeadsWhereTheShellWouldWrite) {
  using Tipo = Uscita::Tipo;
  const struct {
    const char* nome;
    std::function<void()> prepara;
    int errore;
    Tipo tipo;
    const char* percorso;  // for a file; null otherwise
    int fd;
  } casi[] = {
      {"-", nullptr, 0, Tipo::kDescrittore, nullptr, 1},
      {"/dev/stdout", nullptr, 0, Tipo::kDescrittore, nullptr, 1},
      {"/dev/stderr", nullptr, 0, Tipo::kDescrittore, nullptr, 2},
      {"/dev/fd/2", nullptr, 0, Tipo::kDescrittore, nullptr, 2},
      {"/proc/self/fd/1", nullptr, 0, Tipo::kDescrittore, nullptr, 1},
      {"/dev/fd/99", nullptr, EBADF, Tipo::kDescrittore, nullptr, 99},
      {"mio", [] { fs::create_symlink("/proc/self/fd/1", "mio"); }, 0, Tipo::kDescrittore, nullptr,
       1},
      {"/proc/thread-self/fd/1", nullptr, 0, Tipo::kDescrittore, nullptr, 1},
      {"d/1", [] { fs::create_symlink("/dev/fd", "d"); }, 0, Tipo::kDescrittore, nullptr, 1},
      {"/dev/null", nullptr, 0, Tipo::kSpeciale, nullptr, -1},
      {"presa",
       [] {
         const sockaddr_un indirizzo{AF_UNIX, "presa"};
         bind(socket(AF_UNIX, SOCK_STREAM, 0), reinterpret_cast<const sockaddr*>(&indirizzo),
              sizeof indirizzo);
       },
       kSocket, Tipo::kFile, nullptr, -1},
      {"fifo", [] { mkfifo("fifo", 0600); }, 0, Tipo::kSpeciale, nullptr, -1},
      {"file.txt", nullptr, 0, Tipo::kFile, "file.txt", -1},
      {"nuovo.txt", nullptr, 0, Tipo::kFile, "nuovo.txt", -1},
      {"cartella/nuovo.txt", nullptr, 0, Tipo::kFile, "cartella/nuovo.txt", -1},
      {"a", [] { fs::create_symlink("cartella/b", "a"); }, 0, Tipo::kFile, "./cartella/b", -1},
      {"c", [] { fs::create_symlink("manca/c", "c"); }, ENOENT, Tipo::kFile, nullptr, -1},
      {"cartella/d", [] { fs::create_symlink("../file.txt", "cartella/d"); }, 0, Tipo::kFile,
       "cartella/../file.txt", -1},
      {"cartella", nullptr, EISDIR, Tipo::kFile, nullptr, -1},
      {"manca/nuovo.txt", nullptr, ENOENT, Tipo::kFile, nullptr, -1},
      {"file.txt/nuovo.txt", nullptr, ENOTDIR, Tipo::kFile, nullptr, -1},
      {"anello", [] { fs::create_symlink("anello", "anello"); }, ELOOP, Tipo::kFile, nullptr, -1},
      {"/dev/stdin", nullptr, flussoStandard(0), Tipo::kDescrittore, nullptr, 0},
      {"/dev/fd/0", nullptr, flussoStandard(0), Tipo::kDescrittore, nullptr, 0},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    if (c.prepara) c.prepara();
    Uscita u;
    ASSERT_EQ(trovaUscita(c.nome, u), c.errore);
    if (c.errore != 0) continue;
    EXPECT_EQ(u.tipo, c.tipo);
    EXPECT_EQ(u.fd, c.fd);
    EXPECT_EQ(u.percorso, c.percorso != nullptr ? c.percorso : u.percorso);
  }
}

std::string Leggi(const fs::path& p) {
  std::ifstream f(p);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// An earlier file is kept under the first number above those in use, and nothing is replaced;
// a name at the system's limit still gets its copy.
TEST_F(Uscite, AnEarlierFileIsKeptUnderAFreeNumber) {
  std::string copia;
  ASSERT_EQ(conservaConNumero("file.txt", copia), 0);
  EXPECT_EQ(copia, "file.txt.~1~");
  EXPECT_EQ(Leggi("file.txt.~1~"), "dati\n");
  fs::create_directory("file.txt.~7~");
  std::ofstream("file.txt") << "secondo\n";
  ASSERT_EQ(conservaConNumero("file.txt", copia), 0);
  EXPECT_EQ(copia, "file.txt.~8~");
  EXPECT_EQ(Leggi("file.txt.~1~"), "dati\n");
  EXPECT_EQ(conservaConNumero("manca.txt", copia), ENOENT);
  const std::string lungo = "cartella/" + std::string(255, 'x');
  std::ofstream(lungo) << "lungo\n";
  ASSERT_EQ(conservaConNumero(lungo, copia), 0);
  EXPECT_EQ(copia, "cartella/" + std::string(255 - 4, 'x') + ".~1~");
  EXPECT_EQ(Leggi(copia), "lungo\n");
}

// The tools' safe writing: a name at the system's limit still gets its temporary file, the
// tool's own input and anything but a regular file where one is wanted are refused untouched.
TEST_F(Uscite, ASafeWriteReplacesOnlyWhatItMay) {
  const auto scrivi = [](std::ostream& os) { os << "nuovo\n"; };
  const std::string lungo = std::string(255, 'y');
  EXPECT_EQ(scriviFile(lungo, scrivi), 0);
  EXPECT_EQ(Leggi(lungo), "nuovo\n");
  struct stat ingresso;
  ASSERT_EQ(stat("file.txt", &ingresso), 0);
  fs::create_symlink("file.txt", "collegamento");
  EXPECT_EQ(scriviFile("collegamento", scrivi, {.daLeggere = &ingresso}), kStessoFile);
  EXPECT_EQ(scriviFile("/dev/null", scrivi, {.soloFileRegolari = true}), kNonUnFile);
  EXPECT_EQ(scriviFile("cartella", scrivi), EISDIR);
  EXPECT_EQ(Leggi("file.txt"), "dati\n");
  // The temporary file lies beside the target, so the rename never crosses file systems.
  EXPECT_EQ(scriviFile("cartella/nuovo.txt",
                       [](std::ostream& os) {
                         for (const auto& voce : fs::directory_iterator("cartella")) {
                           EXPECT_EQ(voce.path().filename().string().rfind(".nuovo.txt.", 0), 0u);
                         }
                         os << "nuovo\n";
                       }),
            0);
  EXPECT_EQ(Leggi("cartella/nuovo.txt"), "nuovo\n");
  EXPECT_EQ(scriviFile("collegamento", scrivi), 0);
  EXPECT_TRUE(fs::is_symlink("collegamento"));
  EXPECT_EQ(Leggi("file.txt"), "nuovo\n");
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 4);
  // Where no file can be made beside the target, that is the reason.
  const int inProc = scriviFile("/proc/version", scrivi);
  EXPECT_EQ(inProc, kCreandoNellaCartella + ENOENT);
  EXPECT_EQ(scritturaNonRiuscita("/proc/version", inProc),
            "impossibile scrivere /proc/version: nella sua cartella non si puo' creare un file "
            "(file o cartella inesistente)");
}

// Numbers the Italian way, rounded; messages broken at the last blank that keeps a line within
// 79 characters, a long word kept whole, the rest indented.
TEST(Nomi, NumbersAndMessagesAsAnItalianTerminalShowsThem) {
  EXPECT_EQ(conMigliaia(801350), "801.350");
  EXPECT_EQ(conMigliaia(-1234567), "-1.234.567");
  EXPECT_EQ(conMigliaia(999), "999");
  EXPECT_EQ(conUnDecimale(16.66), "16,7");
  EXPECT_EQ(conUnDecimale(1234.549), "1.234,5");
  EXPECT_EQ(conUnDecimale(0.04), "0,0");
  const std::string dieci = "abcdefghi ";  // ten characters
  std::string lunga;
  for (int i = 0; i < 8; ++i) lunga += dieci;
  const struct {
    std::string testo, righe;
  } casi[] = {
      {"breve\n", "breve\n"},
      {lunga.substr(0, 79) + "\n", lunga.substr(0, 79) + "\n"},
      {lunga + "x\n", lunga.substr(0, 79) + "\n  x\n"},
      {"\n" + lunga + lunga,
       "\n" + lunga.substr(0, 79) + "\n  " + lunga.substr(0, 69) + "\n  " + dieci},
      {"è" + lunga.substr(1, 78), "è" + lunga.substr(1, 78)},  // 79 characters, 80 bytes
      {"a " + std::string(90, 'x') + " b", "a\n  " + std::string(90, 'x') + "\n  b"},
  };
  for (const auto& c : casi) EXPECT_EQ(aCapo(c.testo), c.righe) << c.testo;
}

TEST(Nomi, NamesAreShownSafelyAndQuotedForTheShell) {
  const struct {
    std::string nome, leggibile, perShell;
  } casi[] = {
      {"lavoro", "lavoro", "lavoro"},
      {"città/dati.txt", "città/dati.txt", "città/dati.txt"},
      {"due parole", "due parole", "'due parole'"},
      {"l'altro", "l'altro", "'l'\\''altro'"},
      {"a\x1b[2Jb", "a\\x1b[2Jb", "$'a\\x1b[2Jb'"},
      {"a\\b\tc", "a\\x5cb\\x09c", "$'a\\\\b\\x09c'"},
      {"\xff", "\\xff", "$'\\xff'"},
      {"a\xe0\x80\xaf"
       "b",
       "a\\xe0\\x80\\xafb", "$'a\\xe0\\x80\\xafb'"},  // an overlong /
      {"a\xc2\x85"
       "b",
       "a\\xc2\\x85b", "$'a\\xc2\\x85b'"},                        // a C1 control character
      {"\xe0\x83\xa9", "\\xe0\\x83\\xa9", "$'\\xe0\\x83\\xa9'"},  // an overlong e acute
      {"", "", "''"},
  };
  for (const auto& c : casi) {
    EXPECT_EQ(leggibile(c.nome), c.leggibile) << c.nome;
    EXPECT_EQ(perShell(c.nome), c.perShell) << c.nome;
    // A quoted word across the 80th column is never broken, in a message or in its command.
    const std::string parola = perShell(c.nome + " con altre parole dentro");
    const std::string testo = "l'inizio: e' " + std::string(60, 'x') + " " + parola + " fine";
    EXPECT_NE(aCapo(testo).find(parola), std::string::npos) << aCapo(testo);
    const std::string comando = "terne-prepara " + parola;
    const std::string righe = aCapoConComando(testo, comando);
    const std::string ultima = righe.substr(righe.rfind('\n', righe.size() - 2) + 1);
    EXPECT_TRUE(ultima == "  " + comando + "\n" ||
                (ultima.ends_with(" " + comando + "\n") && ultima.size() <= 80))
        << righe;
  }
  EXPECT_EQ(aCapoConComando("a: prepararlo con:", "terne-prepara"),
            "a: prepararlo con: terne-prepara\n");
}

}  // namespace
