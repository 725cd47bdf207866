#include "results/file_risultati.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "stringa/stringa.h"

namespace {

// True when the descriptor still is the file that `nome` names: another run may have renamed
// it between our open and our lock.
bool nominaAncora(int fd, const char* nome) {
  struct stat aperto;
  struct stat nominato;
  return fstat(fd, &aperto) == 0 && lstat(nome, &nominato) == 0 &&
         aperto.st_dev == nominato.st_dev && aperto.st_ino == nominato.st_ino;
}

bool conserva(const char* nome) {
  const stringa copia = stringa(nome) + stringa("~");
  return rename(nome, copia.str) == 0;
}

}  // namespace

const char* motivoErrore(int errore) {
  switch (errore) {
    case ENOSPC:
      return "spazio esaurito sul disco";
    case EDQUOT:
      return "quota del disco esaurita";
    case EIO:
      return "errore di lettura o scrittura sul dispositivo";
    case EFBIG:
      return "file troppo grande";
    case EROFS:
      return "disco in sola lettura";
    case EACCES:
    case EPERM:
      return "permesso negato";
    default:
      return std::strerror(errore);
  }
}

FileRisultati::~FileRisultati() {
  if (proprio_ && fd_ >= 0) close(fd_);
}

FileRisultati::Apertura FileRisultati::apri(const char* nome, bool& conservato) {
  conservato = false;
  // Each pass either opens the file or renames what stood in its way; a few are enough even
  // when another run does the same at the same moment.
  for (int passo = 0; passo < 8; ++passo) {
    const int fd = open(nome, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0 && errno == ELOOP) {  // a symbolic link: kept, never followed
      if (!conserva(nome)) return Apertura::kImpossibile;
      conservato = true;
      continue;
    }
    if (fd < 0) return Apertura::kImpossibile;
    struct stat stato;
    if (fstat(fd, &stato) != 0 || !S_ISREG(stato.st_mode)) {
      close(fd);
      errno = EINVAL;
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
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      fd_ = fd;
      proprio_ = true;
      return Apertura::kAperto;
    }
    // Renamed while locked, so no other run takes it for a fresh file in the meantime.
    const bool conservata = conserva(nome);
    const int errore = errno;
    close(fd);
    if (!conservata) {
      errno = errore;
      return Apertura::kImpossibile;
    }
    conservato = true;
  }
  errno = EAGAIN;
  return Apertura::kImpossibile;
}

void FileRisultati::usa(int fd) {
  fd_ = fd;
  proprio_ = false;
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

bool FileRisultati::scriviLotto() {
  if (!svuotaBuffer()) return false;
  lunghezza_ = scritti_;
  return true;
}

void FileRisultati::rifiuta(int errore) {
  errore_ = errore;
  usati_ = 0;
  if (proprio_ && scritti_ > lunghezza_ && ftruncate(fd_, lunghezza_) != 0) erroreTaglio_ = errno;
}

int FileRisultati::sincronizza() {
  if (errore_ != 0) return errore_;
  if (fd_ < 0 || fsync(fd_) == 0 || errno == EINVAL || errno == EROFS) return 0;
  const int errore = errno;
  rifiuta(errore);
  return errore;
}

int FileRisultati::chiudi() {
  if (!proprio_ || fd_ < 0) return 0;
  const int esito = close(fd_);
  fd_ = -1;
  return esito == 0 || errno == EINTR ? 0 : errno;
}
