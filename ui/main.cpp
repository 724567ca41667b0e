#include "platform/core_dumps.h"
#include "ui/veldra_app.h"

int main(int argc, char** argv)
{
    disableCoreDumps();
    CVeldraApp app(argc, argv);
    return app.run();
}
