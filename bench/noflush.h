// Forced into every source file of the benchmark's second Setup.exe (-include): the same
// installer with FlushFileBuffers compiled out, so that the results can show what flushing each
// log line costs. The shipped installer is never built with it.
#pragma once
#ifdef _WIN32
#include <windows.h>
#define FlushFileBuffers(file) ((void)(file), TRUE)
#endif
