#include "cli/CommandLine.h"

#include <iostream>

int main(int argc, char* argv[])
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return tessary::CommandLine(std::move(args), std::cin, std::cout, std::cerr).run();
}
