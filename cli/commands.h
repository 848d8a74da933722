// The console tool's entry: one command per run over the label engine, results on the standard
// output, errors and notes on the error stream. Reading the command line itself is left to
// options.h, and turning the system's own command line into UTF-8 words to the program's entry.
#pragma once

// Exit codes.
enum {
    CLI_OK = 0,
    CLI_BAD_INPUT = 2,  // bad arguments, unreadable input, unknown ids, output not written
    CLI_BAD_DATA = 3,   // data that cannot make a valid label
};

// Runs the command named by argv[1] over UTF-8 words and returns its exit code.
int cli_main(int argc, char** argv);
