#pragma once

// What the child that proves a client library reports to the program, one line
// on its way out: a kind byte, then the loader's account (Linux: its text;
// Windows: its error code in decimal) or the name of the missing function.
// Plain C++ with no Qt: the Windows child is a program of its own that needs no
// library beside it.
namespace LibraryProofReport {

constexpr char loaded = 'K';
constexpr char refused = 'L';
constexpr char missing = 'F';

// The Windows child's exit codes; a crash ends it with the exception's code.
constexpr int provedCode = 0;
constexpr int failedCode = 1;
constexpr int usageCode = 64;

} // namespace LibraryProofReport
