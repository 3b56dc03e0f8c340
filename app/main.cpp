// Nodescout's entry point: the one application object and the framework's
// start. The command line is handled before any window or display is needed.

#include "app/NodescoutApp.h"

nodescout::CNodescoutApp theApp;

int main(int argc, char** argv) {
    return nodescout::AfxWinMain(argc, argv);
}
