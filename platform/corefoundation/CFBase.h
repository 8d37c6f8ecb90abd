// Core Foundation's version number, which code compares to tell system releases apart. The host
// sets it from its device profile before loading anything.
#pragma once

extern double kCFCoreFoundationVersionNumber;
