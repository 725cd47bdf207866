// The whole run of the program: banner, the two prompts, the prime table, the combination
// tables, the results file, the leg search and the closing wait.
#pragma once

#include <istream>
#include <ostream>

#include "combinatorial/caricamento.h"
#include "driver/ricerca.h"

// Runs the dialogue on in and out with the input files of the working folder; `pausa` follows
// every new triple. Returns the exit code: 0 on every path that loses nothing (the refusals, the
// early ends and a stop signal included), 1 when results could not be written, memory ran out
// or the console refused a line; those failures are reported on err.
//
// `tabellePronte`, when given, are complete tables already read by caricaTabelle: the run then
// uses them instead of reading the files again (printing the same progress lines) and leaves
// them to the caller. Harnesses that run many dialogues pass them; the program does not.
int esegui(std::istream& in, std::ostream& out, std::ostream& err, const Pausa& pausa,
           Combinatorial (*tabellePronte)[kTabelle] = nullptr);
