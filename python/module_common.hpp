// What the compiled core's functions share: the translation of the physics'
// errors into ValueError, the gas library as dicts, the diagnostics as dicts,
// and the fit.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/gas_model.hpp"
#include "lennard/physics/series.hpp"

namespace lennard_python {

namespace py = pybind11;
using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;

// The physics' errors as ValueError, the argument named as Python calls it.
void register_errors();

lennard::Method method_named(const std::string& name);

// The common size of arrays the package has broadcast to one shape, each of
// that size or a single value standing for every element.
std::size_t same_size(std::initializer_list<const Array*> arrays);

// Such an array read element by element.
class Column {
 public:
  explicit Column(const Array& values) : data_(values.data()), step_(values.size() == 1 ? 0 : 1) {}
  double operator[](std::size_t i) const { return data_[i * step_]; }

 private:
  const double* data_;
  std::size_t step_;
};

const lennard::Gas& gas_named(const std::string& name);
py::dict gas_dict(const lennard::Gas& gas);
py::list diagnostic_list(const std::vector<lennard::Diagnostic>& found);

// "bose", "fermi" or "boltzmann" and the spin, checked against each other.
lennard::SpinStatistics spin_statistics_named(const std::string& statistics, double spin);

void define_fit(py::module_& m);

}  // namespace lennard_python
