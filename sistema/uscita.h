// Where an output that the user names goes, the same way in all four programs: as the shell and
// cp take a path.
//
// A symbolic link is followed, and the output goes where it leads; the link itself is never
// renamed or replaced. "-", /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N, and a link
// that leads to one of them, are the descriptor of this process as it stands: a file opened with
// >> keeps what it held and gets the output appended, a pipe gets it; nothing is renamed,
// emptied or locked. A character device, a FIFO or a socket is opened and written in place (a
// FIFO waits for its reader, as a shell redirection does). A folder, or a path through a folder
// that does not exist, is refused.
//
// The tools write a regular file, or one that does not exist yet, safely: under a fresh name of
// its own in its folder (mkstemp), put on the disk and renamed over the target, the folder
// synced: the target holds either what it held before or the whole new content, even after a
// power cut, and two runs never share a temporary file.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <ostream>
#include <string>

// Opens descriptors 0, 1 and 2 on /dev/null where they are closed, so that no file the program
// opens takes their number. The first thing every program does.
void apriDescrittoriStandard();

struct Uscita {
  enum class Tipo {
    kFile,         // a regular file, or a name that does not exist yet in an existing folder
    kDescrittore,  // a descriptor of this process, `fd`
    kSpeciale,     // a character device, a FIFO or a socket
  };
  Tipo tipo = Tipo::kFile;
  std::string percorso;  // where the name leads, its links followed; empty for a descriptor
  int fd = -1;
  bool esiste = false;   // a kFile that exists
  struct stat stato {};  // of what exists there
};

// Where `nome` leads. 0, or why it cannot be written: EISDIR for a folder, ENOENT or ENOTDIR
// for a path through a folder that does not exist, ELOOP for a loop of links, EBADF for a
// descriptor that is not open.
int trovaUscita(const std::string& nome, Uscita& uscita);

// True when both describe the same file.
inline bool stessoFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The name `nome` shortened at its end so that, with `coda` after it, it fits the name limit of
// the folder `cartella`.
std::string nomeCheSta(const std::string& cartella, const std::string& nome,
                       const std::string& coda);

// Renames `nome` to the first free numbered name `nome`.~N~, N above every number in use, as cp
// --backup=numbered names its copies; nothing is ever replaced. `copia` becomes that name, or the
// one that failed. 0, or the errno of the failure.
int conservaConNumero(const std::string& nome, std::string& copia);

// What a tool's output may be.
struct RegoleScrittura {
  bool soloFileRegolari = false;           // anything but a regular file (or a new one) is refused
  const struct stat* daLeggere = nullptr;  // the tool's input: refused as its output
};

// Writes `nome` with what `scrivi` puts on the stream, as above. Returns 0, or what failed: an
// errno value, kNonUnFile or kStessoFile (from sistema/motivi.h); EINTR when a stop signal came
// (see sistema/interruzione.h). After a failure a file that existed is left as it was and no
// temporary file remains.
int scriviFile(const std::string& nome, const std::function<void(std::ostream&)>& scrivi,
               const RegoleScrittura& regole = {});
