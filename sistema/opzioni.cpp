#include "sistema/opzioni.h"

#include <getopt.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>

namespace {

constexpr int kAiuto = 1000;
constexpr int kVersione = 1001;

const char kLicenza[] =
    "Copyright (C) Gli autori di terne.\n"
    "Licenza MIT: <https://opensource.org/licenses/MIT>.\n"
    "Questo e' software libero: si puo' modificarlo e ridistribuirlo.\n"
    "Non c'e' ALCUNA GARANZIA, nei limiti permessi dalla legge.\n";

}  // namespace

const char* versione() {
  return TERNE_VERSIONE;
}

void usoSbagliato(const char* programma, const std::string& perche) {
  std::cerr << programma << ": " << perche << "\nProvare '" << programma << " --help'.\n";
}

bool interoTra(const char* testo, long long minimo, long long massimo, long long& valore) {
  if (testo[0] < '0' || testo[0] > '9') return false;
  char* fine = nullptr;
  errno = 0;
  const long long v = std::strtoll(testo, &fine, 10);
  if (errno != 0 || *fine != '\0' || v < minimo || v > massimo) return false;
  valore = v;
  return true;
}

int leggiOpzioni(int argc, char** argv, const Comando& comando, const PrendiOpzione& prendi,
                 std::vector<std::string>& operandi) {
  const char* programma = comando.programma;
  std::vector<option> lunghe;
  std::string corte = ":h";  // ':' tells a missing argument apart from an unknown option
  for (const Opzione& o : comando.opzioni) {
    lunghe.push_back({o.lunga, o.argomento ? required_argument : no_argument, nullptr, o.corta});
    if (o.corta < 256) corte += static_cast<char>(o.corta) + std::string(o.argomento ? ":" : "");
  }
  lunghe.push_back({"help", no_argument, nullptr, kAiuto});
  lunghe.push_back({"version", no_argument, nullptr, kVersione});
  lunghe.push_back({nullptr, 0, nullptr, 0});
  opterr = 0;
  optind = 0;  // a fresh scan, also when called again
  for (int c; (c = getopt_long(argc, argv, corte.c_str(), lunghe.data(), nullptr)) != -1;) {
    const std::string opzione = argv[optind - 1];
    if (c == kAiuto || c == 'h' || c == kVersione) {
      if (c != kVersione) std::cout << comando.uso;
      if (c == kVersione) std::cout << programma << " " << versione() << "\n" << kLicenza;
      if (std::cout.flush()) return 0;
      std::cerr << programma << ": impossibile scrivere sullo standard output\n";
      return 1;
    }
    if (c == ':') {
      usoSbagliato(programma, "l'opzione " + opzione + " vuole un argomento");
      return 2;
    }
    if (c == '?') {
      std::string sconosciuta = opzione.substr(0, opzione.find('='));
      if (optopt > 0 && optopt < 256) {  // a short one, perhaps among others after one '-'
        sconosciuta = std::string{'-', static_cast<char>(optopt)};
      }
      usoSbagliato(programma, "opzione sconosciuta: " + sconosciuta);
      return 2;
    }
    if (!prendi(c, optarg)) return 2;
  }
  for (int i = optind; i < argc; ++i) operandi.emplace_back(argv[i]);
  return -1;
}
