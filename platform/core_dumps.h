#pragma once

// Keeps the owner key out of crash dumps: no core file, and on Linux no
// ptrace attach by other processes of the user. Both programs call it first
// thing.
void disableCoreDumps();
