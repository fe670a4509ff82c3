// Diagnostics log: one record per call, to standard output, which log_open
// points at a console or a log file when a marker file asks for it.
#pragma once

// Levels as written by the callers: 0 trace, 1 user command, 3 failure shown to the user.
void log_message(unsigned level, const char* tag, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// module: the executable's HINSTANCE. Returns 0 when a console or log file is set up, else -1.
int log_open(void* module);
