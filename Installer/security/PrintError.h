// How the descriptor-editing routines report a failure.
#pragma once

// Formats |format| like printf onto the standard output stream and flushes it, then writes the
// same text to the log as one line, without its trailing newline or blanks. The output stream is
// the routines' own channel (visible when a run's output is redirected); a windowed process has
// none to look at, so the log carries the same words.
void PrintError(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(gnu_printf, 1, 2)))
#endif
    ;

// PrintError(format, GetLastError()) for a |format| with one %d: the code of the call that just
// failed, read before anything else can change it.
void PrintLastError(const char* format);
