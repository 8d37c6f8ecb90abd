// tunely: the host music player into which the Tunely tweak is loaded.
#include "host/cli/CommandLine.h"

int main(int argc, char** argv) { return host::runCommandLine(argc, argv); }
