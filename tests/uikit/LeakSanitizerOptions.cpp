// Fontconfig keeps the fonts it has read for the life of the process and points at their parts
// by encoded offsets, which the leak checker cannot follow: once text has been measured, every
// run would end in false reports. The leak checker reads this list from the program itself.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
