// tunely-curve: what `tunely curve` runs (see CurveCommandLine.h).
#include "host/curve/CurveCommandLine.h"

int main(int argc, char** argv) { return host::runCurveCommandLine(argc, argv); }
