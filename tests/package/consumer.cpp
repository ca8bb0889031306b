// B of argon-like molecules at 300 K by the exact series, through the
// installed package. Prints it at full precision for the test to compare.
#include <cstdio>

#include "lennard/physics/second_virial.hpp"

int main() {
  const double B = lennard::second_virial_B(lennard::Method::series, lennard::LennardJones{}, 120.0, 3.4, 300.0);
  std::printf("%.17g\n", B);
  return 0;
}
