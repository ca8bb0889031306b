// The gas model's diagnostics as the Spanish warnings users see, one line each.
#pragma once

#include <cstdio>
#include <optional>
#include <vector>

#include "lennard/physics/gas_model.hpp"

namespace lennard {

// pressure_bar names the pressure of a missing gas root.
void warn_of(const std::vector<Diagnostic>& diagnostics, std::optional<double> pressure_bar, std::FILE* err);

}  // namespace lennard
