// The triples found by the search: the pending list with its repeat test, and the results file.
//
// A triple is kept pending for kFinestra legs, so that finding it again through another split
// or at a later leg neither prints nor records it twice; then it is written to the results
// file, one line "smallest,middle,largest" each, in the order in which the triples were found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <unordered_map>

#include "numero/numero.h"
#include "results/file_risultati.h"
#include "stringa/stringa.h"

// A triple found again within this many legs of its record is a repeat.
constexpr int kFinestra = 100;

struct _pTerne {
  stringa terna;            // "a,b,c" in increasing order
  numero cateto;            // the leg at which the triple was found
  _pTerne* next = nullptr;  // the next older record
  _pTerne* prev = nullptr;  // the next newer record
};

// A triple as the repeat index knows it: its three numbers, smallest first. Numbers in normal
// form have one text each, so equal keys are equal texts.
struct ChiaveTerna {
  std::uint64_t x, y, z;
  bool operator==(const ChiaveTerna&) const = default;
};
struct HashTerna {
  std::size_t operator()(const ChiaveTerna& k) const {
    constexpr std::uint64_t kMolt = 0x9e3779b97f4a7c15;
    const std::uint64_t h = ((k.x * kMolt + k.y) * kMolt + k.z) * kMolt;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

// The pending records of one search, newest first. Beside the list, which is the truth, an
// index of the records by their numbers answers the repeat test without walking the list or
// writing the triple's text; a record of numbers outside normal form, which the search never
// makes, sends the test back to the walk of the texts while it is pending.
class TernePendenti {
 public:
  TernePendenti() = default;
  ~TernePendenti();  // releases every record still pending
  TernePendenti(const TernePendenti&) = delete;
  TernePendenti& operator=(const TernePendenti&) = delete;

  _pTerne* head() const { return head_; }  // the newest record, null when none is pending
  _pTerne* tail() const { return tail_; }  // the oldest
  long long registrate() const { return registrate_; }  // records made since the start

 private:
  friend bool registraTerna(numero b, numero c, numero a, TernePendenti& pendenti);
  friend bool scriviTerne(TernePendenti& pendenti, numero cateto, FileRisultati& file);

  _pTerne* head_ = nullptr;
  _pTerne* tail_ = nullptr;
  long long registrate_ = 0;
  std::unordered_map<ChiaveTerna, _pTerne*, HashTerna> indice_;
  long fuoriNorma_ = 0;  // pending records that the index does not hold
};

// Records the triple (other leg b, hypotenuse c, examined leg a) as the newest pending record,
// unless the same text is already pending. True when it was recorded.
bool registraTerna(numero b, numero c, numero a, TernePendenti& pendenti);

// True when some record from `piuRecente` towards the older ones holds the text.
bool ternaPresente(const stringa& terna, _pTerne* piuRecente);

// Writes, oldest first, every record found at least kFinestra legs before `cateto` as one
// batch, tagged with the last leg it may hold, and releases them. False when the file refused
// the batch.
bool scriviTerne(TernePendenti& pendenti, numero cateto, FileRisultati& file);

// The decimal text of a non-negative value as a stringa.
stringa testoDi(const numero& x);

// "triadiRettangole" M "-" N ".txt".
stringa nomeFileRisultati(const numero& M, const numero& N);

// What the file holds after the legs M … K: "il file NOME contiene tutte le terne trovate fino
// al cateto K", or that it holds none when K < M.
std::string descriviContenuto(const char* nome, const numero& M, const numero& K);

// What follows those legs in a file that could not be cut back to them after a failed write,
// given the errno of the cut-back, or -1 for an output that is never cut back (a pipe, a file
// shared with others); empty for 0, a file cut back or with nothing after them.
std::string codaNonTagliata(int erroreTaglio);

// The results-file phase of terne: opens the file named after the range for a new run (see
// FileRisultati::apri) and says on out when an earlier file was kept, and under which name.
// When it cannot be opened prints the message that says why and returns false.
bool apriFileRisultati(const stringa& nome, FileRisultati& file, std::ostream& out);
