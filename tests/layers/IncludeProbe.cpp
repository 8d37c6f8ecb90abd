// Includes the one header a layer check names (PROBED_HEADER). Compiled with a target's include
// roots, it shows whether code of that target can reach the header at all.
#include PROBED_HEADER
