// shelfwright-cli: the headless front end. Each subcommand lives in its own
// Cmd*.cpp file and registers itself with the driver in Commands.cpp.
#include "cli/Commands.h"

int main(int argc, char** argv) { return sw::cli::RunCli(argc, argv); }
