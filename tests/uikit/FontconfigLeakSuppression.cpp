// Fontconfig keeps its caches behind offsets instead of pointers, which the leak checker of the
// sanitizer builds takes for leaks once text has been drawn; they belong to the one font
// configuration that lives as long as the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
