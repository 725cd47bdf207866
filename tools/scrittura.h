// Writing an output file of the tools safely.
//
// A regular file, or one that does not exist yet, is written under a fresh name of its own in
// its folder (mkstemp), put on the disk and renamed over the target, and the folder is synced:
// the target holds either what it held before or the whole new content, even after a power
// cut, and two runs never share a temporary file. A symbolic link is followed, as cp does: the
// file it leads to is replaced and the link stays. Anything else that exists (a device, a FIFO)
// and "-" (standard output) are written directly, not replaced.
#pragma once

#include <functional>
#include <ostream>
#include <string>

// Writes `nome` with what `scrivi` puts on the stream. Returns 0, or the errno of what failed;
// after a failure a file that existed is left as it was and no temporary file remains.
int scriviFile(const std::string& nome, const std::function<void(std::ostream&)>& scrivi);
