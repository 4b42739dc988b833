#include <QtGlobal>

// The images are compiled into the static core library, whose resource object the linker only
// keeps when something refers to it: register them for every test before main() runs.
static int registerResources()
{
    Q_INIT_RESOURCE(resources);
    return 0;
}

static const int resourcesRegistered = registerResources();
