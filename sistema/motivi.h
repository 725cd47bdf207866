// The reasons for a failure, told in Italian: every message of the programs that gives a reason
// takes it from here, never from the C library's English texts.
#pragma once

#include <string>

// Reasons of the programs' own, beside the errno values (which are all positive).
constexpr int kNonUnFile = -1;    // the name leads to something that is not a regular file
constexpr int kStessoFile = -2;   // the output would replace a file the program reads
constexpr int kSoloLettura = -3;  // a descriptor open for reading only
constexpr int kSocket = -4;       // a socket, which is not opened as a file
// The output is the file of standard input, output or error (descriptor 0, 1 or 2).
constexpr int kFlussoStandard = -10;
constexpr int flussoStandard(int fd) {
  return kFlussoStandard - fd;
}

// The reason for `errore`, an errno value or one of the above.
std::string motivoErrore(int errore);

// True when an input cannot be read for what stands at its name (a folder, a FIFO, a device, a
// socket), which terne-prepara does not replace: it has to be moved away first.
bool daTogliere(int motivo);

// The line that tells how to mend the input file `nome`, for a `motivo` of caricaPrimi or
// caricaTabelle: ENOENT for a missing one, 0 for a damaged one, otherwise why it cannot be
// read. "per creare NOME, nella cartella di lavoro: terne-prepara", and so on.
std::string comePreparare(const char* nome, int motivo);
