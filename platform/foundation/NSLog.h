// The system log: printf-style lines. By default each line goes to standard error; tests and the
// player may route lines elsewhere. Never called on the audio thread's per-sample path.
#pragma once

#include <functional>
#include <string>

void NSLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Replaces where log lines go (nullptr restores standard error). Returns the previous sink.
using NSLogSink = std::function<void(const std::string& line)>;
NSLogSink NSLogSetSink(NSLogSink sink);
