#include "sistema/ingresso.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <ios>

#include "sistema/interruzione.h"
#include "sistema/motivi.h"

BufferDiLettura::int_type BufferDiLettura::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  // A stop signal ends the reading as a read that failed with EINTR, so a long check stops
  // with it; any other signal that cuts a read short does not.
  ssize_t n = -1;
  errno = EINTR;
  while (!interruzioneRichiesta()) {
    n = read(fd_, buffer_, sizeof buffer_);
    if (n >= 0 || errno != EINTR) break;
  }
  if (n < 0) {
    errore_ = errno;
    throw std::ios_base::failure("lettura non riuscita");
  }
  if (n == 0) return traits_type::eof();
  setg(buffer_, buffer_, buffer_ + n);
  return traits_type::to_int_type(*gptr());
}

BufferDiLettura::pos_type BufferDiLettura::seekpos(pos_type posizione, std::ios_base::openmode) {
  const off_t dove = lseek(fd_, static_cast<off_t>(posizione), SEEK_SET);
  setg(buffer_, buffer_, buffer_);  // what was read ahead no longer follows
  return dove < 0 ? pos_type(off_type(-1)) : pos_type(dove);
}

BufferDiLettura::pos_type BufferDiLettura::seekoff(off_type scarto, std::ios_base::seekdir da,
                                                   std::ios_base::openmode modo) {
  if (da == std::ios_base::beg) return seekpos(scarto, modo);
  return pos_type(off_type(-1));  // only the positions from the start are needed
}

Ingresso::Ingresso(const char* nome, bool soloFileRegolari)
    : fd_(open(nome, O_RDONLY | O_CLOEXEC | (soloFileRegolari ? O_NONBLOCK : 0))),
      errore_(fd_ < 0 ? errno : 0),
      proprio_(fd_ >= 0) {
  struct stat collegamento;
  if (errore_ == ENOENT && lstat(nome, &collegamento) == 0 && S_ISLNK(collegamento.st_mode)) {
    errore_ = kCollegamentoRotto;  // a name that is there, but leads nowhere
  }
  if (!proprio_) return;
  if (fstat(fd_, &stato_) != 0) {
    errore_ = errno;
  } else if (S_ISDIR(stato_.st_mode)) {
    errore_ = EISDIR;
  } else if (soloFileRegolari && !S_ISREG(stato_.st_mode)) {
    errore_ = kNonUnFile;
  }
  // Opened without waiting; read as any file is, waiting for what comes.
  if (errore_ == 0 && soloFileRegolari) fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

Ingresso::Ingresso(int fd) : fd_(fd), errore_(0), proprio_(false) {
  if (fstat(fd_, &stato_) != 0) errore_ = errno;
}

Ingresso::~Ingresso() {
  if (proprio_) close(fd_);
}
