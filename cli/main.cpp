#include "cli/CliApp.h"
#include "cli/Messages.h"

#include <iostream>

int main(int argc, char** argv) {
    zel::cli::SetMessageLanguage(zel::cli::MessageLanguageForThisProcess());
    return zel::cli::RunCli({argv + 1, argv + argc}, std::cout, std::cerr);
}
