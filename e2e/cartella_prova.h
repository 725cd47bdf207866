// Scratch folders for the tests that run the search: each starts with links to the input files
// that terne-prepara wrote into TERNE_DATI, and is removed afterwards.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>

class CartellaProva {
 public:
  explicit CartellaProva(const std::string& nome, bool conDati = true) {
    static std::atomic<int> contatore{0};
    percorso =
        std::filesystem::temp_directory_path() /
        ("terne_" + nome + "_" + std::to_string(getpid()) + "_" + std::to_string(contatore++));
    std::filesystem::remove_all(percorso);
    std::filesystem::create_directories(percorso);
    if (!conDati) return;
    for (const auto& voce : std::filesystem::directory_iterator(TERNE_DATI)) {
      std::filesystem::create_symlink(voce.path(), percorso / voce.path().filename());
    }
  }
  ~CartellaProva() {
    std::error_code ignorato;
    std::filesystem::remove_all(percorso, ignorato);
  }
  CartellaProva(const CartellaProva&) = delete;
  CartellaProva& operator=(const CartellaProva&) = delete;

  std::filesystem::path operator/(const std::string& file) const { return percorso / file; }

  // Replaces a file (or its link) by one holding `contenuto`.
  void Scrivi(const std::string& file, const std::string& contenuto) const {
    std::filesystem::remove(percorso / file);
    std::ofstream(percorso / file, std::ios::binary) << contenuto;
  }
  void Rimuovi(const std::string& file) const { std::filesystem::remove(percorso / file); }
  std::string Leggi(const std::string& file) const {
    std::ifstream f(percorso / file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  bool Esiste(const std::string& file) const {
    return std::filesystem::exists(std::filesystem::symlink_status(percorso / file));
  }

  std::filesystem::path percorso;
};

// A row's preparation that puts a FIFO, or else a folder, where the file was.
inline std::function<void(const CartellaProva&)> AlPostoDi(const std::string& file, bool fifo) {
  return [file, fifo](const CartellaProva& c) {
    c.Rimuovi(file);
    if (fifo) mkfifo((c / file).c_str(), 0600);
    if (!fifo) std::filesystem::create_directory(c / file);
  };
}

// Makes a folder the working directory for its lifetime.
class DentroCartella {
 public:
  explicit DentroCartella(const std::filesystem::path& cartella)
      : prima_(std::filesystem::current_path()) {
    std::filesystem::current_path(cartella);
  }
  ~DentroCartella() { std::filesystem::current_path(prima_); }
  DentroCartella(const DentroCartella&) = delete;
  DentroCartella& operator=(const DentroCartella&) = delete;

 private:
  std::filesystem::path prima_;
};

// The console texts the run prints around the search, for whole-transcript comparisons.
namespace testi {

// A message as it was before it was broken into lines of 80 columns: each line break that a
// continuation's two blanks follow becomes one blank again.
inline std::string Unito(const std::string& testo) {
  std::string unito;
  for (size_t i = 0; i < testo.size(); ++i) {
    const bool aCapo = testo.compare(i, 3, "\n  ") == 0;
    unito += aCapo ? ' ' : testo[i];
    i += aCapo ? 2 : 0;
  }
  return unito;
}

// The lines of the text that are wider than a terminal of 80 columns leaves room for.
inline std::string RigheLunghe(const std::string& testo) {
  std::string lunghe;
  std::istringstream righe(testo);
  for (std::string riga; std::getline(righe, riga);) {
    const auto caratteri =
        std::count_if(riga.begin(), riga.end(), [](char c) { return (c & 0xc0) != 0x80; });
    if (caratteri > 79) lunghe += riga + "\n";
  }
  return lunghe;
}

inline std::string Banner() {
  return "Questo programma calcola le triadiRettangole aventi uno dei cateti compreso tra M e N, "
         "inclusi.\nNota: non tutte le terne, solo se la scomposizione in fattori primi del "
         "cateto\ngenera al piu' 9 fattori.\nOgni terna nuova compare subito e finisce nel file "
         "dei risultati.\n\n";
}
inline const char kDomandaM[] = "Inserisci il valore di M>0: ";
inline const char kDomandaN[] = "Inserisci il valore di N>0: ";
inline const char kChiusura[] = "\n\nInserire una lettera e premere invio per terminare... ";

// The banner and the prompts, each asked that many times.
inline std::string Inizio(int domandeM = 1, int domandeN = 1) {
  std::string s = Banner();
  for (int i = 0; i < domandeM; ++i) s += kDomandaM;
  for (int i = 0; i < domandeN; ++i) s += kDomandaN;
  return s;
}

// "Combinations" + n in two digits + ".txt".
inline std::string NomeTabella(int n) {
  return "Combinations" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".txt";
}

inline std::string Tabelle(int finoA = 19) {
  std::string righe;
  for (int n = 4; n <= finoA; ++n) {
    righe += "Combinator " + std::to_string(n) + " elements read from file\n";
  }
  return righe;
}

inline std::string Terna(int b, int a, int c) {
  std::ostringstream os;
  os << "La terna di numeri interi: " << b << " , " << a << " , " << c << " e' Pitagorica.\n";
  return os.str();
}

// The whole console output of a run over M … N that reports `terne`.
inline std::string Completa(const std::string& terne) {
  return Banner() + kDomandaM + kDomandaN + Tabelle() + terne + kChiusura;
}

}  // namespace testi
