// The triples found by the search: the pending list with its repeat test, and the results file.
//
// A triple is kept pending for 100 legs, so that finding it again through another split or at a
// later leg neither prints nor records it twice; then it is written to the results file, one
// line "smallest,middle,largest" each, in the order in which the triples were found.
#pragma once

#include <fstream>
#include <ostream>

#include "numero/numero.h"
#include "stringa/stringa.h"

struct _pTerne {
  stringa terna;            // "a,b,c" in increasing order
  numero cateto;            // the leg at which the triple was found
  _pTerne* next = nullptr;  // the next older record
  _pTerne* prev = nullptr;  // the next newer record
};

// Records the triple (other leg b, hypotenuse c, examined leg a) as the newest pending record,
// unless the same text is already pending. True when it was recorded. An index of the pending
// texts answers the repeat test; it knows each list by the address `tail`, so every call for
// one list passes the same tail link, and its records leave only through scriviTerne or
// rilasciaTerne.
bool registraTerna(numero b, numero c, numero a, _pTerne** head, _pTerne** tail);

// True when some record from `piuRecente` towards the older ones holds the text.
bool ternaPresente(const stringa& terna, _pTerne* piuRecente);

// Writes and releases, oldest first, every record found at least 100 legs before `cateto`,
// flushing the file when it wrote any. When it empties the list *tail becomes null while the
// caller's head still names a released record: the caller resets head. Once the file refuses a
// write the record stays pending and nothing more is written: the caller tests the stream.
void scriviTerne(_pTerne** tail, numero cateto, std::ostream& file);

// Releases every record still pending (they are written out before the program ends, except
// after an early exit).
void rilasciaTerne(_pTerne* head);

// The decimal text of a non-negative value as a stringa.
stringa testoDi(const numero& x);

// The results-file phase: names the file "triadiRettangole" M "-" N ".txt" and opens it empty.
// When it cannot be created prints a message naming it and returns false.
bool apriFileRisultati(const numero& M, const numero& N, stringa& nome, std::ofstream& file,
                       std::ostream& out);

// Flushes the results file and has the system put it on the disk. Returns 0, or the errno of
// the failure. A file that cannot be synced, such as a device, counts as saved.
int salvaSulDisco(std::ofstream& file, const stringa& nome);

// Cuts the closed results file back to its first `byte` bytes, dropping what a failed write
// left after the last whole leg. Returns 0, or the errno of the failure; anything but a
// regular file is left alone.
int riportaA(const stringa& nome, long long byte);
