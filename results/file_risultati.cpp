#include "results/file_risultati.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "sistema/interruzione.h"
#include "sistema/motivi.h"
#include "sistema/uscita.h"

namespace {

// True when the descriptor still is the file that `nome` names: another run may have renamed
// it between our open and our lock.
bool nominaAncora(int fd, const char* nome) {
  struct stat aperto;
  struct stat nominato;
  return fstat(fd, &aperto) == 0 && lstat(nome, &nominato) == 0 && stessoFile(aperto, nominato);
}

// True when a write to the descriptor can go on within a second.
bool prontoEntroUnSecondo(int fd) {
  pollfd attesa = {fd, POLLOUT, 0};
  return poll(&attesa, 1, 1000) > 0;
}

}  // namespace

FileRisultati::~FileRisultati() {
  if (proprio_ && fd_ >= 0) close(fd_);
  if (copiaFd_ >= 0) close(copiaFd_);
}

FileRisultati::Apertura FileRisultati::apri(const char* nome, unsigned vietati) {
  nome_ = nome;
  // Each pass either opens the file or renames what stood in its way; a few are enough even
  // when another run does the same at the same moment.
  for (int passo = 0; passo < 8; ++passo) {
    const int fd = open(nome, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0 && errno == ELOOP) {  // a symbolic link: kept, never followed
      if (const int errore = conservaConNumero(nome_, copia_); errore != 0) {
        errno = errore;
        return Apertura::kNonConservato;
      }
      continue;
    }
    if (fd < 0) return Apertura::kImpossibile;
    struct stat stato;
    if (fstat(fd, &stato) != 0 || !S_ISREG(stato.st_mode)) {
      close(fd);
      errno = kNonUnFile;
      return Apertura::kImpossibile;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int errore = errno;
      close(fd);
      errno = errore;
      return errore == EWOULDBLOCK ? Apertura::kOccupato : Apertura::kImpossibile;
    }
    if (!nominaAncora(fd, nome)) {
      close(fd);
      continue;
    }
    if (fstat(fd, &stato) == 0 && stato.st_size == 0) {
      // Opened by the shell for this program's console or messages (2>NAME): the records and
      // those would write over each other.
      if (const int standard = descrittoreStandard(stato, vietati); standard >= 0) {
        close(fd);
        errno = flussoStandard(standard);
        return Apertura::kImpossibile;
      }
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      fd_ = fd;
      proprio_ = perNome_ = regolare_ = true;
      return Apertura::kAperto;
    }
    // Renamed while locked, so no other run takes it for a fresh file in the meantime; it
    // stays open, and locked, until the run knows whether it holds anything the new one lacks.
    if (const int errore = conservaConNumero(nome_, copia_); errore != 0) {
      close(fd);
      errno = errore;
      return Apertura::kNonConservato;
    }
    if (copiaFd_ >= 0) close(copiaFd_);
    copiaFd_ = fd;
  }
  errno = EAGAIN;
  return Apertura::kImpossibile;
}

void FileRisultati::usa(int fd) {
  fd_ = fd;
  proprio_ = false;
  misura();
}

void FileRisultati::usaProprio(int fd) {
  fd_ = fd;
  proprio_ = true;
  misura();
}

// Whether the output is a regular file, and where in it the run begins (its end, for a file
// that appends), so that a failed write can take back the run's own bytes only.
void FileRisultati::misura() {
  struct stat stato;
  regolare_ = fstat(fd_, &stato) == 0 && S_ISREG(stato.st_mode);
  if (!regolare_) return;
  inizio_ = (fcntl(fd_, F_GETFL) & O_APPEND) != 0 ? stato.st_size : lseek(fd_, 0, SEEK_CUR);
}

void FileRisultati::accoda(const char* testo, int lunghezza) {
  while (lunghezza > 0) {
    if (usati_ == kBuffer && !svuotaBuffer()) return;
    const int pezzo = lunghezza < kBuffer - usati_ ? lunghezza : kBuffer - usati_;
    std::memcpy(buffer_ + usati_, testo, static_cast<size_t>(pezzo));
    usati_ += pezzo;
    testo += pezzo;
    lunghezza -= pezzo;
  }
}

bool FileRisultati::svuotaBuffer() {
  if (errore_ != 0) return false;
  int fatti = 0;
  while (fatti < usati_) {
    // After a stop, a pipe or a device that does not take the records is not waited for.
    if (!regolare_ && interruzioneRichiesta() && !prontoEntroUnSecondo(fd_)) {
      rifiuta(EINTR);
      return false;
    }
    const ssize_t n = write(fd_, buffer_ + fatti, static_cast<size_t>(usati_ - fatti));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // a write that takes nothing and says nothing would be retried for ever
      rifiuta(n < 0 && errno != 0 ? errno : EIO);
      return false;
    }
    fatti += static_cast<int>(n);
    scritti_ += n;
  }
  usati_ = 0;
  return true;
}

bool FileRisultati::scriviLotto(long long etichetta) {
  if (errore_ != 0) return false;
  if (!raccolti_) primoRaccolto_ = etichetta;
  raccolti_ = true;
  return (raccogli_ && usati_ < kPieno) || scriviRaccolti();
}

bool FileRisultati::scriviRaccolti() {
  if (!raccolti_) return errore_ == 0;
  if (!svuotaBuffer()) return false;
  lunghezza_ = scritti_;
  raccolti_ = false;
  return true;
}

void FileRisultati::rifiuta(int errore) {
  errore_ = errore;
  usati_ = 0;
  if (scritti_ == lunghezza_) return;  // no partial batch was written
  if (perNome_) {
    if (ftruncate(fd_, lunghezza_) != 0) erroreTaglio_ = errno;
    return;
  }
  // Someone else's regular file is cut back only where its end is the run's own last byte.
  struct stat stato;
  if (regolare_ && inizio_ >= 0 && fstat(fd_, &stato) == 0 && stato.st_size == inizio_ + scritti_) {
    if (ftruncate(fd_, inizio_ + lunghezza_) != 0) erroreTaglio_ = errno;
    return;
  }
  erroreTaglio_ = -1;
}

int FileRisultati::sincronizza() {
  if (!scriviRaccolti()) return errore_;
  if (fd_ < 0 || fsync(fd_) == 0 || errno == EINVAL || errno == EROFS) return 0;
  const int errore = errno;
  rifiuta(errore);
  return errore;
}

FileRisultati::Posto FileRisultati::posto(std::string& dove) const {
  dove.clear();
  struct stat aperto;
  if (!perNome_ || fd_ < 0 || fstat(fd_, &aperto) != 0) return Posto::kAlSuoPosto;
  if (aperto.st_nlink == 0) return Posto::kCancellato;
  struct stat nominato;
  if (lstat(nome_.c_str(), &nominato) == 0 && stessoFile(aperto, nominato)) {
    return Posto::kAlSuoPosto;
  }
  char collegamento[64];
  std::snprintf(collegamento, sizeof collegamento, "/proc/self/fd/%d", fd_);
  char percorso[PATH_MAX];
  const ssize_t n = readlink(collegamento, percorso, sizeof percorso - 1);
  if (n > 0) dove.assign(percorso, static_cast<size_t>(n));
  return Posto::kSpostato;
}

bool FileRisultati::copiaSuperflua() {
  struct stat copia;
  struct stat nuovo;
  if (copiaFd_ < 0 || fd_ < 0 || errore_ != 0 || fstat(copiaFd_, &copia) != 0 ||
      fstat(fd_, &nuovo) != 0 || copia.st_size > nuovo.st_size) {
    return false;
  }
  // The batch buffer is empty once the records are written: its halves hold the two files.
  constexpr size_t kMeta = kBuffer / 2;
  for (off_t letti = 0; letti < copia.st_size;) {
    const ssize_t n = pread(copiaFd_, buffer_, kMeta, letti);
    if (n <= 0 || pread(fd_, buffer_ + kMeta, static_cast<size_t>(n), letti) != n ||
        std::memcmp(buffer_, buffer_ + kMeta, static_cast<size_t>(n)) != 0) {
      return false;
    }
    letti += n;
  }
  return true;
}

bool FileRisultati::rimuoviCopia() {
  struct stat copia;
  struct stat nominata;
  const bool rimossa = copiaFd_ >= 0 && fstat(copiaFd_, &copia) == 0 &&
                       lstat(copia_.c_str(), &nominata) == 0 && stessoFile(nominata, copia) &&
                       unlink(copia_.c_str()) == 0;
  if (copiaFd_ >= 0) close(copiaFd_);
  copiaFd_ = -1;
  return rimossa;
}

int FileRisultati::chiudi() {
  if (!proprio_ || fd_ < 0) return 0;
  const int esito = close(fd_);
  fd_ = -1;
  return esito == 0 || errno == EINTR ? 0 : errno;
}
