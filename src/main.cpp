#include <cstdio>

#include "lennard/cli.hpp"

int main(int argc, char* argv[]) { return lennard::run(argc, argv, stdin, stdout, stderr); }
