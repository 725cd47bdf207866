// Stopping a long search cleanly on SIGINT, SIGTERM or SIGHUP.
//
// While the handlers are installed a stop signal only sets a flag; the leg loop finishes the
// leg in progress, writes every pending triple and ends the run. Each handler resets itself, so
// a second signal of the same kind during that wrap-up ends the program at once.
#pragma once

// Installs the handlers and clears the flag. Signals that were ignored stay ignored.
void installaGestoriInterruzione();
// Puts back the dispositions that installaGestoriInterruzione found.
void ripristinaGestoriInterruzione();
// True once a stop signal arrived since the handlers were installed.
bool interruzioneRichiesta();
// The pause after each new triple: one second, cut short by a stop signal.
void pausaDiUnSecondo();
