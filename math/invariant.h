#pragma once

// Two kinds of internal failure, kept apart from bad input (which gets an error naming the file or
// option and what is wrong):
// - a broken invariant of the simulation: something no input can cause went wrong, and going on
//   would give wrong results. Broken_Invariant writes its message to standard error and aborts.
// - a broken precondition of a call (a programmer's mistake): checked with the standard assert,
//   which the sanitizer tree keeps on and Release builds compile away.

[[noreturn]] void Broken_Invariant(const char* format, ...) __attribute__((format(printf, 1, 2)));
