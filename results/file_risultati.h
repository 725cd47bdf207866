// FileRisultati: the results file of one run, held by its descriptor from the open to the close.
//
// Records are gathered in a buffer and written one batch at a time; the sync and the cut-back
// after a failed write act on the descriptor, never on the file's name, which the user may
// move or reuse while the run goes on. A lock on the file keeps a second run of the same range
// in the same folder from writing it at the same time. An earlier file is never lost: it is
// kept under a numbered name of its own.
#pragma once

#include <sys/types.h>

#include <string>

class FileRisultati {
 public:
  FileRisultati() = default;
  ~FileRisultati();  // closes the file, if still open, without reporting
  FileRisultati(const FileRisultati&) = delete;
  FileRisultati& operator=(const FileRisultati&) = delete;

  enum class Apertura {
    kAperto,         // locked and empty, ready for the run
    kOccupato,       // another run holds the lock: nothing was touched
    kImpossibile,    // it cannot be created or opened; errno tells why
    kNonConservato,  // the earlier file cannot be kept under copia(); errno tells why
  };
  // Opens `nome` for a new run. An earlier file of that name that is not empty, and a symbolic
  // link of that name whatever it leads to, are renamed to the first free numbered name
  // `nome`.~N~, as cp --backup=numbered names its copies; copia() tells it. A kept file is never
  // replaced, and a link's target is never written. Anything but a regular file or a link of
  // that name is refused, and so is an empty file that one of the standard descriptors
  // `vietati` holds (bit fd for descriptor fd; errno then gives flussoStandard of it): the
  // records and what the program reads or writes there would mix.
  Apertura apri(const char* nome, unsigned vietati = 0b111);
  // The name the earlier file was kept under (or that could not be used); empty when none.
  const std::string& copia() const { return copia_; }

  // Writes to a descriptor opened by someone else (standard output): no lock, nothing renamed
  // or emptied. The descriptor stays open.
  void usa(int fd);
  // Writes to a device, a FIFO or a socket opened for the run: closed here, never cut back.
  void usaProprio(int fd);

  // Adds text to the batch in progress.
  void accoda(const char* testo, int lunghezza);
  // Ends the batch in progress, tagged with a number of the caller's (the last leg whose records
  // it holds), and writes it with any gathered before it, unless batches are being gathered and
  // the buffer still has room. False when the file refuses a write, then and for good: the file
  // is cut back to the batches written before, and nothing more is written. Once a stop signal
  // came, a write that the output does not take within a second is refused with EINTR.
  bool scriviLotto(long long etichetta);
  // From now on, batches are gathered and written together once they fill most of the buffer:
  // far fewer writes, for a run whose file nobody reads while it grows.
  void raccogliLotti() { raccogli_ = true; }
  // Writes the batches gathered so far. False as scriviLotto.
  bool scriviRaccolti();
  // After a refused write: the tag of the first batch that it left out of the file.
  long long primoLottoPerso() const { return primoRaccolto_; }
  // Has the system put the file on the disk. 0, or the errno of the failure; a file that cannot
  // be synced (a device, a read-only file system) counts as saved.
  int sincronizza();

  enum class Posto {
    kAlSuoPosto,  // the name given to apri still leads to the file, or it was not opened by name
    kSpostato,    // it has another name, which `dove` gives when the system tells it
    kCancellato,  // it no longer has a name: what was written is lost with it
  };
  // Where the file is now. REQUIRES: before chiudi.
  Posto posto(std::string& dove) const;
  // True when the copy that apri kept holds nothing this file lacks: it equals this file, or a
  // leading part of it. REQUIRES: before chiudi.
  bool copiaSuperflua();
  // Removes the copy that apri kept, when its name still leads to it, and lets it go. True
  // when it was removed. Called once this file is safely closed.
  bool rimuoviCopia();

  // Closes the file (the kept copy stays open, and locked, until rimuoviCopia or the end). 0, or
  // the errno of the failure.
  int chiudi();

  int errore() const { return errore_; }  // of the refused write, 0 while none
  // When a write was refused: the errno of a cut-back that failed, or -1 when the output could
  // not be cut back (a pipe, a file shared with others) and may end with a partial line.
  int erroreTaglio() const { return erroreTaglio_; }

 private:
  bool svuotaBuffer();
  void rifiuta(int errore);
  bool conserva(int fd);
  void misura();

  static constexpr int kBuffer = 1 << 16;
  static constexpr int kPieno = kBuffer - (kBuffer >> 2);  // gathered batches are written here
  int fd_ = -1;
  bool proprio_ = false;   // opened here: closed here
  bool perNome_ = false;   // opened here by its name, locked: cut back here
  bool regolare_ = false;  // a regular file: writes never wait
  off_t inizio_ = -1;      // of a regular file opened by someone else: where the run began
  int copiaFd_ = -1;       // the kept earlier file, still locked
  std::string nome_;
  std::string copia_;
  int errore_ = 0;
  int erroreTaglio_ = 0;
  off_t scritti_ = 0;    // bytes the system took
  off_t lunghezza_ = 0;  // of them, those of whole batches
  int usati_ = 0;
  bool raccogli_ = false;
  bool raccolti_ = false;        // whole batches wait in the buffer
  long long primoRaccolto_ = 0;  // the tag of the first of them
  char buffer_[kBuffer];
};
