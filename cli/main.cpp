// kavu-sheet: every answer of the engine for scripts and batches.
#include "cli/app.h"

#include <csignal>

int main(int argc, char** argv) {
    // A reader that goes away (`| head`) ends the run through a failed write, quietly.
    std::signal(SIGPIPE, SIG_IGN);
    return kavu::cli::RunKavuSheet(argc, argv);
}
