// The leg search: every leg from M to N, each split of its square's prime factors taken from
// the combination tables, every new exact triple printed, recorded and followed by the pause.
#pragma once

#include <functional>
#include <ostream>

#include "combinatorial/combinatorial.h"
#include "numero/myelement.h"
#include "numero/numero.h"
#include "results/terne.h"

// Called after each new triple; the program sleeps one second, tests pass a no-op.
using Pausa = std::function<void()>;

// Legs above this leave 32-bit arithmetic in their splits (e + d >= 2^31).
constexpr int kCatetoMassimo = 65535;

// Examines leg a: factors a * a, walks the table of as many positions as it has factors (4 …
// 19) through the sizes below half of them, and for each exact split records the triple;
// a new one is printed on out and followed by the pause.
void esaminaCateto(numero a, _myElement* primi, Combinatorial* tabelle, _pTerne** head,
                   _pTerne** tail, std::ostream& out, const Pausa& pausa);

// The leg loop with the writing of old records after each leg, then the final flush. A stop
// signal ends it after the leg in progress; the flush then writes everything found up to that
// leg. Returns true when it was stopped, with the last leg examined in `ultimo`.
bool cicloCateti(const numero& M, const numero& N, _myElement* primi, Combinatorial* tabelle,
                 _pTerne** head, _pTerne** tail, std::ostream& file, std::ostream& out,
                 const Pausa& pausa, numero& ultimo);
