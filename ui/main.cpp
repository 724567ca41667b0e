#include "ui/veldra_app.h"

int main(int argc, char** argv)
{
    CVeldraApp app(argc, argv);
    return app.run();
}
