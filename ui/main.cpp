#include "platform/core_dumps.h"
#include "platform/library_search.h"
#include "ui/veldra_app.h"

int main(int argc, char** argv)
{
    restrictLibrarySearch();
    disableCoreDumps();
    CVeldraApp app(argc, argv);
    return app.run();
}
