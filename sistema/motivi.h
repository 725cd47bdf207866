// The reasons for a failure, told in Italian: every message of the programs that gives a reason
// takes it from here, never from the C library's English texts.
#pragma once

#include <string>

// Reasons of the programs' own, beside the errno values (which are all positive).
constexpr int kNonUnFile = -1;   // the name leads to something that is not a regular file
constexpr int kStessoFile = -2;  // the output would replace the very file being read

// The reason for `errore`, an errno value or one of the above.
std::string motivoErrore(int errore);
