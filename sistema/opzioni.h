// The command line of terne and its tools: options parsed with getopt_long (long options with
// "=" or a separate argument, short ones, "--" ending the options), the same answers to --help
// and --version, and the same Italian messages for wrong usage.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct Opzione {
  const char* lunga;  // "fino-a"
  int corta;          // 'f', or a value above 255 for a long option alone
  bool argomento;     // takes an argument
};

// What the tool makes of one option and its argument (null when it takes none): empty when it
// takes it, otherwise what is wrong with it, which refuses the command line.
using PrendiOpzione = std::function<std::string(int corta, const char* argomento)>;

// A program's command line: its name, its --help text (whose first line is the usage line) and
// its options.
struct Comando {
  const char* programma;
  const char* uso;
  std::vector<Opzione> opzioni;
  bool numeriNegativi = false;  // "-5" is an operand (a number out of range), not an option
};

// Reads argv. Returns -1 when the program goes on with `operandi`, the arguments that are not
// options, in their order; otherwise the exit code: 0 after --help or -h (which print `uso`) or
// --version (the version and the licence), 1 when their text could not be written, 2 on wrong
// usage, told as usoSbagliato tells it.
int leggiOpzioni(int argc, char** argv, const Comando& comando, const PrendiOpzione& prendi,
                 std::vector<std::string>& operandi);

// The whole of `testo` as a decimal integer from minimo to massimo, into `valore`. Empty, or
// what is wrong with it, naming it as `nome`: "N non e' un numero intero: 'x'" (a plus sign,
// blanks and other characters included), "N e' fuori dall'intervallo da 1 a 65.535: '70000'"
// (a negative number included).
std::string intero(const char* nome, const char* testo, long long minimo, long long massimo,
                   long long& valore);

// The version of terne and its tools, "1.0.0".
const char* versione();

// A message on standard error, "PROGRAMMA: TESTO", within 80 columns (aCapo).
void avvisa(const char* programma, const std::string& testo);

// A message that ends with a command to paste, on standard error, as aCapoConComando breaks it.
void avvisa(const char* programma, const std::string& testo, const std::string& comando);

// The command that runs terne-prepara as the user types it: its bare name where PATH finds it,
// otherwise its path beside the running program (in the same folder, or in ../tools, where the
// build puts it beside terne's driver/), quoted for the shell; the bare name when neither has it.
std::string comandoPrepara();

// Wrong usage told on standard error: "PROGRAMMA: PERCHE'", the usage line and the hint to
// --help. Returns 2, the exit code of wrong usage.
int usoSbagliato(const Comando& comando, const std::string& perche);
