#pragma once

// Keeps code that others could plant out of the process: on Windows, DLLs
// that are loaded by name come only from the program's own folder and the
// system folder, never from the current folder or PATH. Each program calls
// it first thing, before any library is loaded by name.
void restrictLibrarySearch();
