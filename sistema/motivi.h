// The reasons for a failure, told in Italian: every message of the programs that gives a reason
// takes it from here, never from the C library's English texts.
#pragma once

#include <string>

// Reasons of the programs' own, beside the errno values (which are all positive).
constexpr int kNonUnFile = -1;          // the name leads to something that is not a regular file
constexpr int kStessoFile = -2;         // the output would replace a file the program reads
constexpr int kSoloLettura = -3;        // a descriptor open for reading only
constexpr int kSocket = -4;             // a socket, which is not opened as a file
constexpr int kCollegamentoRotto = -5;  // a symbolic link to a file that is not there
// The output is the file of standard input, output or error (descriptor 0, 1 or 2).
constexpr int kFlussoStandard = -10;
constexpr int flussoStandard(int fd) {
  return kFlussoStandard - fd;
}

// A step of the safe writing that failed after the new file was written, with its errno:
// creating the new file beside the target, or syncing the folder once the new file took the
// target's name (the target then holds the new content, which a power cut may still undo).
constexpr int kCreandoNellaCartella = 1 << 16;
constexpr int kSincronizzandoCartella = 2 << 16;

// The reason for `errore`, an errno value or one of the above.
std::string motivoErrore(int errore);

// True when an input cannot be read for what stands at its name (a folder, a FIFO, a device, a
// socket, a loop of links, a link to nothing), which terne-prepara does not replace: it has to be
// moved away first.
bool daTogliere(int motivo);

// The lines that tell how to mend the input file `nome`, for a `motivo` of caricaPrimi or
// caricaTabelle: ENOENT for a missing one, 0 for a damaged one, otherwise why it cannot be
// read. "per creare NOME, nella cartella di lavoro:\n  terne-prepara", and so on.
std::string comePreparare(const char* nome, int motivo);
