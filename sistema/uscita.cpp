#include "sistema/uscita.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <streambuf>

#include "sistema/interruzione.h"
#include "sistema/motivi.h"
#include "sistema/nomi.h"

namespace {

namespace fs = std::filesystem;

// An output stream buffer on a descriptor that keeps the errno of its first failed write; a
// stop signal ends the writing with EINTR.
class BufferSuDescrittore : public std::streambuf {
 public:
  explicit BufferSuDescrittore(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }
  int errore() const { return errore_; }

 protected:
  int_type overflow(int_type c) override {
    if (!svuota()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return svuota() ? 0 : -1; }

 private:
  bool svuota() {
    for (char* p = pbase(); errore_ == 0 && p < pptr();) {
      if (interruzioneRichiesta()) {
        errore_ = EINTR;
        break;
      }
      const ssize_t n = write(fd_, p, static_cast<size_t>(pptr() - p));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) errore_ = n < 0 ? errno : EIO;  // a write that takes nothing is a failure
      if (n > 0) p += n;
    }
    setp(buffer_, buffer_ + sizeof buffer_);
    return errore_ == 0;
  }

  int fd_;
  int errore_ = 0;
  char buffer_[1 << 16];
};

int scriviSu(int fd, const std::function<void(std::ostream&)>& scrivi) {
  BufferSuDescrittore buffer(fd);
  std::ostream os(&buffer);
  scrivi(os);
  os.flush();
  if (buffer.errore() != 0) return buffer.errore();
  return os ? 0 : EIO;
}

// The descriptor that a path names by its text (/dev/stdout, /dev/fd/N, /proc/self/fd/N …),
// -1 when it names none.
int descrittoreNominato(const std::string& percorso) {
  const std::string p = fs::path(percorso).lexically_normal().string();
  if (p == "/dev/stdin") return 0;
  if (p == "/dev/stdout") return 1;
  if (p == "/dev/stderr") return 2;
  for (const std::string& cartella : {std::string("/dev/fd/"), std::string("/proc/self/fd/"),
                                      "/proc/" + std::to_string(getpid()) + "/fd/"}) {
    if (p.rfind(cartella, 0) != 0) continue;
    const std::string numero = p.substr(cartella.size());
    if (numero.empty() || numero.size() > 9 ||
        numero.find_first_not_of("0123456789") != std::string::npos) {
      return -1;
    }
    return std::atoi(numero.c_str());
  }
  return -1;
}

std::string cartellaDi(const std::string& percorso) {
  const fs::path cartella = fs::path(percorso).parent_path();
  return cartella.empty() ? "." : cartella.string();
}

// The permissions a new file gets from the user's umask.
mode_t permessiNuovi() {
  const mode_t maschera = umask(0);
  umask(maschera);
  return 0666 & ~maschera;
}

// Puts the folder's entries on the disk: 0, or the errno of the failure. A file system that
// cannot sync a folder (EINVAL) keeps its entries without being asked.
int sincronizzaCartella(const std::string& cartella) {
  const int fd = open(cartella.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  int errore = fsync(fd) == 0 || errno == EINVAL || errno == EROFS ? 0 : errno;
  if (close(fd) != 0 && errore == 0) errore = errno;
  return errore;
}

// A regular file written under a temporary name beside it, then renamed over it.
int sostituisci(const Uscita& u, const std::function<void(std::ostream&)>& scrivi, bool nuovi) {
  const std::string cartella = cartellaDi(u.percorso);
  const std::string nome = fs::path(u.percorso).filename().string();
  std::string provvisorio =
      (fs::path(cartella) / nomeCheSta(cartella, "." + nome, ".XXXXXX")).string();
  provvisorio += ".XXXXXX";
  const int fd = mkostemp(provvisorio.data(), O_CLOEXEC);
  if (fd < 0) return kCreandoNellaCartella + errno;
  // As the file was, where the system lets us: root keeps its owner, anyone may keep its group
  // when they belong to it. The mode comes after, as a change of owner clears setuid bits.
  if (u.esiste && fchown(fd, u.stato.st_uid, u.stato.st_gid) != 0) {
    [[maybe_unused]] const int ignorato = fchown(fd, static_cast<uid_t>(-1), u.stato.st_gid);
  }
  const mode_t permessi = u.esiste && !nuovi ? u.stato.st_mode & 07777 : permessiNuovi();
  int errore = fchmod(fd, permessi) == 0 ? 0 : errno;
  if (errore == 0) errore = scriviSu(fd, scrivi);
  if (errore == 0 && fsync(fd) != 0) errore = errno;
  if (close(fd) != 0 && errore == 0) errore = errno;
  if (errore == 0 && interruzioneRichiesta()) errore = EINTR;
  if (errore == 0 && rename(provvisorio.c_str(), u.percorso.c_str()) != 0) errore = errno;
  if (errore != 0) {
    unlink(provvisorio.c_str());
    return errore;
  }
  const int cartellaNonSalvata = sincronizzaCartella(cartella);
  return cartellaNonSalvata == 0 ? 0 : kSincronizzandoCartella + cartellaNonSalvata;
}

// The highest N of the names `base`.~N~ in the folder, 0 when there is none.
long ultimoNumero(const std::string& cartella, const std::string& base) {
  long ultimo = 0;
  std::error_code errore;
  for (const auto& voce : fs::directory_iterator(cartella, errore)) {
    const std::string nome = voce.path().filename().string();
    const std::size_t inizio = base.size() + 2;
    if (nome.size() <= inizio + 1 || nome.compare(0, inizio, base + ".~") != 0 ||
        nome.back() != '~') {
      continue;
    }
    const std::string numero = nome.substr(inizio, nome.size() - inizio - 1);
    if (numero.size() < 10 && numero.find_first_not_of("0123456789") == std::string::npos) {
      ultimo = std::max(ultimo, std::atol(numero.c_str()));
    }
  }
  return ultimo;
}

// rename() that fails with EEXIST rather than replace `a`, also where the file system does not
// know RENAME_NOREPLACE: there a hard link takes the name, then the old name goes.
int rinominaSenzaSostituire(const std::string& da, const std::string& a) {
  if (renameat2(AT_FDCWD, da.c_str(), AT_FDCWD, a.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
  if (link(da.c_str(), a.c_str()) != 0) return errno;
  return unlink(da.c_str()) == 0 ? 0 : errno;
}

// An O_PATH descriptor of a file that nothing else holds or names: a pipe, both of whose ends
// are then closed. /dev/null where /proc cannot give it.
int fileProprio() {
  int tubo[2];
  if (pipe2(tubo, O_CLOEXEC) != 0) return open("/dev/null", O_PATH | O_CLOEXEC);
  const std::string nome = "/proc/self/fd/" + std::to_string(tubo[0]);
  int fd = open(nome.c_str(), O_PATH | O_CLOEXEC);
  if (fd < 0) fd = open("/dev/null", O_PATH | O_CLOEXEC);
  close(tubo[0]);
  close(tubo[1]);
  return fd;
}

// The descriptor `fd` as an output: 0, or EBADF when it is closed (or holds the place of a
// closed one), kSoloLettura when it is open for reading only. Standard input, the program's
// input, is never its output.
int descrittoreScrivibile(int fd, Uscita& uscita) {
  uscita.tipo = Uscita::Tipo::kDescrittore;
  uscita.fd = fd;
  if (fd == STDIN_FILENO) return flussoStandard(STDIN_FILENO);
  const int modo = fcntl(fd, F_GETFL);
  if (modo == -1 || (modo & O_PATH) != 0) return EBADF;
  if ((modo & O_ACCMODE) == O_RDONLY) return kSoloLettura;
  return fstat(fd, &uscita.stato) == 0 ? 0 : errno;
}

// The standard output or error that the file `nome` leads to, whatever the spelling
// (/proc/thread-self/fd/1, a link to /dev/fd, the name of the file that >> opened); -1 when
// none. One open for reading only is not an output, and is passed over.
int descrittoreDelFile(const std::string& nome) {
  struct stat stato;
  if (stat(nome.c_str(), &stato) != 0) return -1;
  const int fd = descrittoreStandard(stato, kUscitaEdErrori);
  if (fd < 0) return -1;
  const int modo = fcntl(fd, F_GETFL);
  return (modo & O_PATH) != 0 || (modo & O_ACCMODE) != O_RDONLY ? fd : -1;
}

}  // namespace

int conservaConNumero(const std::string& nome, std::string& copia) {
  const std::size_t barra = nome.rfind('/');
  const std::string prefisso = barra == std::string::npos ? "" : nome.substr(0, barra + 1);
  const std::string cartella = prefisso.empty() ? "." : prefisso;
  const std::string base = nome.substr(prefisso.size());
  long n = ultimoNumero(cartella, base) + 1;
  int errore = EEXIST;
  for (int tentativi = 0; tentativi < 1000 && errore == EEXIST; ++tentativi, ++n) {
    const std::string coda = ".~" + std::to_string(n) + "~";
    copia = prefisso + nomeCheSta(cartella, base, coda) + coda;
    errore = rinominaSenzaSostituire(nome, copia);
  }
  return errore;
}

void apriDescrittoriStandard() {
  bool chiuso[3];
  for (int fd = 0; fd <= 2; ++fd) {
    chiuso[fd] = fcntl(fd, F_GETFD) == -1 && errno == EBADF;
    // Taken at once, so that what opens next gets a number above 2.
    if (chiuso[fd] && open("/dev/null", O_PATH) != fd) return;
  }
  if (!chiuso[0] && !chiuso[1] && !chiuso[2]) return;
  const int segnaposto = fileProprio();
  for (int fd = 0; fd <= 2; ++fd) {
    if (chiuso[fd] && segnaposto >= 0) dup2(segnaposto, fd);
  }
  if (segnaposto >= 0) close(segnaposto);
}

int descrittoreStandard(const struct stat& stato, unsigned quali) {
  for (const int fd : {STDOUT_FILENO, STDERR_FILENO, STDIN_FILENO}) {
    struct stat aperto;
    if ((quali & (1u << fd)) != 0 && fstat(fd, &aperto) == 0 && stessoFile(aperto, stato)) {
      return fd;
    }
  }
  return -1;
}

int trovaUscita(const std::string& nome, Uscita& uscita) {
  uscita = Uscita{};
  int fd = nome == "-" ? STDOUT_FILENO : descrittoreNominato(nome);
  if (fd < 0) fd = descrittoreDelFile(nome);
  if (fd >= 0) return descrittoreScrivibile(fd, uscita);
  std::string percorso = nome;
  for (int salti = 0;; ++salti) {
    if (const int fd = descrittoreNominato(percorso); fd >= 0) {
      return descrittoreScrivibile(fd, uscita);
    }
    uscita.percorso = percorso;
    if (lstat(percorso.c_str(), &uscita.stato) != 0) {
      if (errno != ENOENT) return errno;
      struct stat cartella;
      if (stat(cartellaDi(percorso).c_str(), &cartella) != 0) return errno;
      return S_ISDIR(cartella.st_mode) ? 0 : ENOTDIR;
    }
    const mode_t tipo = uscita.stato.st_mode;
    if (S_ISDIR(tipo)) return EISDIR;
    if (S_ISSOCK(tipo)) return kSocket;
    if (!S_ISLNK(tipo)) {
      uscita.esiste = true;
      if (!S_ISREG(tipo)) uscita.tipo = Uscita::Tipo::kSpeciale;
      return 0;
    }
    if (salti == 40) return ELOOP;
    char bersaglio[PATH_MAX];
    const ssize_t n = readlink(percorso.c_str(), bersaglio, sizeof bersaglio - 1);
    if (n < 0) return errno;
    bersaglio[n] = '\0';
    percorso = (fs::path(cartellaDi(percorso)) / bersaglio).string();  // an absolute one replaces
  }
}

std::string nomeCheSta(const std::string& cartella, const std::string& nome,
                       const std::string& coda) {
  const long limite = pathconf(cartella.c_str(), _PC_NAME_MAX);
  const std::size_t massimo = limite > 0 ? static_cast<std::size_t>(limite) : NAME_MAX;
  if (nome.size() + coda.size() <= massimo || coda.size() >= massimo) return nome;
  std::size_t taglio = massimo - coda.size();
  // Not inside a UTF-8 character: its continuation bytes go with it.
  while (taglio > 0 && (static_cast<unsigned char>(nome[taglio]) & 0xc0) == 0x80) --taglio;
  return nome.substr(0, taglio);
}

int scriviFile(const std::string& nome, const std::function<void(std::ostream&)>& scrivi,
               const RegoleScrittura& regole) {
  Uscita u;
  if (const int errore = trovaUscita(nome, u); errore != 0) return errore;
  if (regole.soloFileRegolari && u.tipo == Uscita::Tipo::kDescrittore && u.fd <= 2) {
    return flussoStandard(u.fd);
  }
  if (regole.soloFileRegolari && u.tipo != Uscita::Tipo::kFile) return kNonUnFile;
  const bool esiste = u.tipo != Uscita::Tipo::kFile || u.esiste;
  if (regole.daLeggere != nullptr && esiste && stessoFile(u.stato, *regole.daLeggere)) {
    return kStessoFile;
  }
  if (interruzioneRichiesta()) return EINTR;
  if (u.tipo == Uscita::Tipo::kDescrittore) return scriviSu(u.fd, scrivi);
  if (u.tipo == Uscita::Tipo::kFile) return sostituisci(u, scrivi, regole.permessiNuovi);
  const int fd = open(u.percorso.c_str(), O_WRONLY | O_CLOEXEC);  // a FIFO waits for its reader
  if (fd < 0) return errno;
  int errore = scriviSu(fd, scrivi);
  if (close(fd) != 0 && errore == 0) errore = errno;
  return errore;
}

std::string scritturaNonRiuscita(const std::string& nome, int errore) {
  const std::string mostrato = nomeMostrato(nome, false);
  if (errore >= kSincronizzandoCartella)
    return mostrato + " e' scritto, ma " + motivoErrore(errore);
  std::string testo = "impossibile scrivere " + mostrato;
  // Where a link leads, when that is where the failure lies: not for a file refused as the
  // program's input or as one of its standard descriptors, which the reason names.
  const bool refuso =
      errore == kStessoFile || (errore <= flussoStandard(0) && errore >= flussoStandard(2));
  char bersaglio[PATH_MAX];
  const ssize_t n =
      nome == "-" || refuso ? -1 : readlink(nome.c_str(), bersaglio, sizeof bersaglio);
  if (n > 0) {
    testo += " (collegamento a " + leggibile(std::string_view(bersaglio, static_cast<size_t>(n)));
    testo += ")";
  }
  return testo + ": " + motivoErrore(errore);
}
