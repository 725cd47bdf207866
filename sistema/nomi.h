// File names as the programs show them: safe on a terminal, and ready to be pasted into a shell.
#pragma once

#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>

// The length of the well-formed, printable UTF-8 character at the start of `testo` (no control
// character but TAB, no surrogate, no noncharacter U+FFFE or U+FFFF); 0 when there is none.
std::size_t carattereStampabile(std::string_view testo);

// The name as it may be shown on a terminal: printable characters as they are, every other byte
// and the backslash as \xNN.
std::string leggibile(std::string_view nome);

// The word as a shell reads it back: as it is when nothing in it is special, in single quotes
// otherwise, and in $'...' with \xNN escapes when it holds bytes that are not printable.
std::string perShell(std::string_view parola);

// A file named on a command line as the messages show it: "-" as the standard descriptor it
// stands for, "(ingresso standard)" for an input or "(uscita standard)" for an output; any other
// name as leggibile shows it.
std::string nomeMostrato(const std::string& nome, bool ingresso);

// The text as a message shows it on a terminal of 80 columns: a line longer than 79 characters
// is broken at its last blank that keeps it within them (a word longer than that stays whole),
// and each line it goes on to starts with two blanks.
std::string aCapo(std::string_view testo);

// A message ending with a command to paste: the text as aCapo breaks it (without a line end),
// then the command on its last line where it fits there, otherwise on a line of its own after
// two blanks, whole whatever its length, so that the line pasted runs it; and a line end.
std::string aCapoConComando(std::string_view testo, std::string_view comando);

// The decimal digits of a number, a minus sign perhaps before them, grouped by thousands.
std::string raggruppaMigliaia(const std::string& cifre);

// A whole number as Italian writes it, the thousands grouped with a dot: "801.350".
template <std::integral Intero>
std::string conMigliaia(Intero n) {
  return raggruppaMigliaia(std::to_string(n));
}

// "1 terna", "801.350 terne": a count of triples as the messages give it.
std::string quanteTerne(long long n);

// A non-negative number with one decimal, written the Italian way: "1.234,5".
std::string conUnDecimale(double x);
