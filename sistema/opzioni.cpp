#include "sistema/opzioni.h"

#include <getopt.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "sistema/nomi.h"

namespace {

constexpr int kAiuto = 1000;
constexpr int kVersione = 1001;

const char kLicenza[] =
    "Copyright (C) 2026 Gli autori di terne.\n"
    "Licenza MIT: <https://opensource.org/licenses/MIT>.\n"
    "Questo e' software libero: si puo' modificarlo e ridistribuirlo.\n"
    "Non c'e' ALCUNA GARANZIA, nei limiti permessi dalla legge.\n";

// Why getopt_long refused the argument `opzione`: a long option that takes no argument given
// one ("--help=3"; getopt_long then names it in optopt), or an unknown option.
std::string opzioneSbagliata(const std::string& opzione) {
  const std::size_t uguale = opzione.find('=');
  if (opzione.rfind("--", 0) == 0 && uguale != std::string::npos && optopt != 0) {
    return "l'opzione " + opzione.substr(0, uguale) + " non vuole argomenti: '" +
           leggibile(opzione) + "'";
  }
  if (optopt > 0 && optopt < 256) {  // a short one, perhaps among others after one '-'
    return "opzione sconosciuta: " + std::string{'-', static_cast<char>(optopt)};
  }
  return "opzione sconosciuta: " + leggibile(opzione.substr(0, uguale));
}

}  // namespace

const char* versione() {
  return TERNE_VERSIONE;
}

void avvisa(const char* programma, const std::string& testo) {
  std::cerr << aCapo(std::string(programma) + ": " + testo + "\n");
}

void avvisa(const char* programma, const std::string& testo, const std::string& comando) {
  std::cerr << aCapoConComando(std::string(programma) + ": " + testo, comando);
}

std::string comandoPrepara() {
  constexpr char kNome[] = "terne-prepara";
  const char* percorso = std::getenv("PATH");
  std::string_view cartelle = percorso != nullptr ? percorso : "";
  while (!cartelle.empty()) {
    const std::size_t fine = std::min(cartelle.find(':'), cartelle.size());
    const std::string cartella(cartelle.substr(0, fine));
    cartelle.remove_prefix(std::min(fine + 1, cartelle.size()));
    if (!cartella.empty() && access((cartella + "/" + kNome).c_str(), X_OK) == 0) return kNome;
  }
  char eseguibile[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", eseguibile, sizeof eseguibile);
  if (n <= 0) return kNome;
  const std::filesystem::path qui =
      std::filesystem::path(std::string(eseguibile, static_cast<std::size_t>(n))).parent_path();
  for (const auto& accanto : {qui / kNome, qui.parent_path() / "tools" / kNome}) {
    if (access(accanto.c_str(), X_OK) == 0) return perShell(accanto.lexically_normal().string());
  }
  return kNome;
}

int usoSbagliato(const Comando& comando, const std::string& perche) {
  const std::string_view uso = comando.uso;
  avvisa(comando.programma, perche);
  std::cerr << uso.substr(0, uso.find('\n') + 1) << "Provare '" << comando.programma
            << " --help'.\n";
  return 2;
}

std::string intero(const char* nome, const char* testo, long long minimo, long long massimo,
                   long long& valore) {
  std::string citato = "'";  // built in steps: GCC 12 warns wrongly on "'" + a temporary
  citato += leggibile(testo);
  citato += '\'';
  const std::string_view cifre(testo + (*testo == '-'));  // a negative number is out of range too
  if (cifre.empty() || cifre.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::string(nome) + " non e' un numero intero: " + citato;
  }
  errno = 0;
  const long long v = std::strtoll(testo, nullptr, 10);
  if (errno != 0 || v < minimo || v > massimo) {
    return std::string(nome) + " e' fuori dall'intervallo da " + conMigliaia(minimo) + " a " +
           conMigliaia(massimo) + ": " + citato;
  }
  valore = v;
  return "";
}

int leggiOpzioni(int argc, char** argv, const Comando& comando, const PrendiOpzione& prendi,
                 std::vector<std::string>& operandi) {
  const char* programma = comando.programma;
  std::vector<option> lunghe;
  // '-': the operands come in their place among the options, as options with the code 1; ':'
  // tells a missing argument apart from an unknown option.
  std::string corte = "-:h";
  for (const Opzione& o : comando.opzioni) {
    lunghe.push_back({o.lunga, o.argomento ? required_argument : no_argument, nullptr, o.corta});
    if (o.corta < 256) corte += static_cast<char>(o.corta) + std::string(o.argomento ? ":" : "");
  }
  lunghe.push_back({"help", no_argument, nullptr, kAiuto});
  lunghe.push_back({"version", no_argument, nullptr, kVersione});
  lunghe.push_back({nullptr, 0, nullptr, 0});
  opterr = 0;
  optind = 0;              // a fresh scan, also when called again
  bool nelGruppo = false;  // inside a group of short options, "-qx"
  for (;;) {
    const int prossimo = std::max(optind, 1);  // the argument taken up, unless nelGruppo
    const int c = getopt_long(argc, argv, corte.c_str(), lunghe.data(), nullptr);
    if (c == -1) break;
    if (c == 1) {
      operandi.emplace_back(optarg);
      continue;
    }
    if (c == '?' && comando.numeriNegativi && !nelGruppo && optopt >= '0' && optopt <= '9' &&
        argv[prossimo][1] == optopt) {
      // "-5": a negative number, an operand that the program tells wrong as such; getopt_long
      // goes through its other digits as if they were options.
      operandi.emplace_back(argv[prossimo]);
      while (optind == prossimo) getopt_long(argc, argv, corte.c_str(), lunghe.data(), nullptr);
      continue;
    }
    nelGruppo = optind == prossimo;
    const std::string opzione = argv[optind - 1];
    if (c == kAiuto || c == 'h' || c == kVersione) {
      if (c != kVersione) std::cout << comando.uso;
      if (c == kVersione) std::cout << programma << " " << versione() << "\n" << kLicenza;
      if (std::cout.flush()) return 0;
      std::cerr << programma << ": impossibile scrivere sull'uscita standard\n";
      return 1;
    }
    if (c == ':') return usoSbagliato(comando, "l'opzione " + opzione + " vuole un argomento");
    if (c == '?') return usoSbagliato(comando, opzioneSbagliata(opzione));
    if (const std::string perche = prendi(c, optarg); !perche.empty()) {
      return usoSbagliato(comando, perche);
    }
  }
  for (int i = optind; i < argc; ++i) operandi.emplace_back(argv[i]);
  return -1;
}
