// The whole run of the program: banner, the two prompts, the prime table, the combination
// tables, the results file, the leg search and the closing wait.
#pragma once

#include <istream>
#include <ostream>

#include "driver/ricerca.h"

// Runs the dialogue on in and out with the input files of the working folder; `pausa` follows
// every new triple. Returns 0 on every path.
int esegui(std::istream& in, std::ostream& out, const Pausa& pausa);
