#pragma once

// "parvel --check": proves the configuration from a script and ends with its
// exit status. It opens no window and needs no display.
class CheckCommand {
public:
    // Whether the command line asks for the check.
    static bool asked(int argc, char* argv[]);
    static int run(int argc, char* argv[]);

    // Exit status of a command line that is not the check's.
    static constexpr int usoIncorreto = 64;
};
