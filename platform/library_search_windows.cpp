#include "platform/library_search.h"

#include "platform/windows_api.h"

void restrictLibrarySearch()
{
    // The DLLs that the executable imports are found beside it by the loader
    // before this runs; this covers every later load by name (Qt's plugins'
    // dependencies, system DLLs that Qt loads on demand).
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}
