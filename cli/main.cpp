#include "cli/CliApp.h"

#include <iostream>

int main(int argc, char** argv) {
    return zel::cli::RunCli({argv + 1, argv + argc}, std::cout, std::cerr);
}
