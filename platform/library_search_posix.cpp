#include "platform/library_search.h"

// Elsewhere the dynamic loader searches only what the user's own environment
// and the system name, which another user cannot change.
void restrictLibrarySearch() {}
