// A line-per-event record of what reached the editor's routes, written only
// when the environment names a file in QUIL7_TRACE (the end-to-end tests
// read it); silent otherwise.
#ifndef QUIL_EDITOR_SHELL_TRACE_H
#define QUIL_EDITOR_SHELL_TRACE_H

void ShellTrace(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

#endif
