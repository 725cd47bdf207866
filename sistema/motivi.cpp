#include "sistema/motivi.h"

#include <cerrno>

#include "sistema/opzioni.h"

namespace {

struct Motivo {
  int errore;
  const char* testo;
};

constexpr Motivo kMotivi[] = {
    {kNonUnFile, "non e' un file regolare"},
    {kStessoFile, "e' un file che il programma legge"},
    {kSoloLettura, "descrittore aperto in sola lettura"},
    {kSocket, "e' un socket, che non si apre come un file"},
    {kCollegamentoRotto, "e' un collegamento simbolico a un file che non c'e'"},
    {flussoStandard(0), "e' anche l'ingresso standard del programma"},
    {flussoStandard(1), "e' anche l'uscita standard del programma"},
    {flussoStandard(2), "e' anche l'uscita degli errori del programma"},
    {ENOENT, "file o cartella inesistente"},
    {ENOTDIR, "una parte del percorso non e' una cartella"},
    {EISDIR, "e' una cartella"},
    {EACCES, "permesso negato"},
    {EPERM, "operazione non permessa"},
    {EROFS, "disco in sola lettura"},
    {ENOSPC, "spazio esaurito sul disco"},
    {EDQUOT, "quota del disco esaurita"},
    {EIO, "errore di lettura o scrittura sul dispositivo"},
    {EFBIG, "file troppo grande"},
    {EEXIST, "esiste gia'"},
    {ENAMETOOLONG, "nome troppo lungo"},
    {ELOOP, "troppi collegamenti simbolici di seguito"},
    {EMFILE, "troppi file aperti"},
    {ENFILE, "troppi file aperti nel sistema"},
    {ENOMEM, "memoria insufficiente"},
    {EPIPE, "chi leggeva ha chiuso il canale"},
    {EBADF, "descrittore non aperto"},
    {EINVAL, "operazione non valida per questo file"},
    {ENXIO, "nessun dispositivo o nessun lettore all'altro capo"},
    {EAGAIN, "risorsa momentaneamente non disponibile"},
    {EBUSY, "risorsa occupata"},
    {ETXTBSY, "file in uso da un programma"},
    {EINTR, "interrotto da un segnale"},
    {EXDEV, "su un altro file system"},
    {ENODEV, "dispositivo inesistente"},
    {EOPNOTSUPP, "operazione non supportata"},
    {ESTALE, "file remoto non piu' valido"},
    {ENOTEMPTY, "cartella non vuota"},
    {EMLINK, "troppi collegamenti"},
    {ESPIPE, "il file non si puo' riposizionare"},
    {ECONNRESET, "connessione chiusa dall'altro capo"},
    {ETIMEDOUT, "tempo scaduto"},
};

}  // namespace

std::string motivoErrore(int errore) {
  if (errore >= kSincronizzandoCartella) {
    return "la sua cartella non e' andata sul disco (" +
           motivoErrore(errore - kSincronizzandoCartella) + ")";
  }
  if (errore >= kCreandoNellaCartella) {
    return "nella sua cartella non si puo' creare un file (" +
           motivoErrore(errore - kCreandoNellaCartella) + ")";
  }
  for (const Motivo& m : kMotivi) {
    if (m.errore == errore) return m.testo;
  }
  return "errore di sistema numero " + std::to_string(errore);
}

bool daTogliere(int motivo) {
  return motivo == kNonUnFile || motivo == EISDIR || motivo == ELOOP ||
         motivo == kCollegamentoRotto;
}

std::string comePreparare(const char* nome, int motivo) {
  const std::string comando = ", nella cartella di lavoro:\n  " + comandoPrepara();
  if (motivo == ENOENT) return "per creare " + std::string(nome) + comando;
  if (daTogliere(motivo)) return "spostare o rimuovere " + std::string(nome) + ", poi" + comando;
  return "per preparare di nuovo " + std::string(nome) + comando;
}
