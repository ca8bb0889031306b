#include <cstdio>

#include "lennard/console.hpp"

int main() { return lennard::run_console(stdin, stdout, stderr); }
