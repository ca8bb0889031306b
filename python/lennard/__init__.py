"""Virial coefficients of gases with model pair potentials.

Temperatures are numpy arrays (or scalars) in K and broadcast; results are
float64 arrays of the same shape (a float for a scalar). Units are in the
argument names. Bad arguments raise ValueError naming the argument. The loops
run in C++ with the GIL released, so several threads can call at once.
"""
import math
import warnings

import numpy as np

from . import _lennard

__all__ = ["second_virial", "third_virial", "compressibility", "mixture_second_virial",
           "characteristic_temperatures", "fit", "gases", "gas"]

_METHODS = ("series", "quadrature", "trapezoid")


def _positive(name, value):
    try:
        number = float(value)
    except (TypeError, ValueError):
        raise ValueError(f"{name}: expected a positive finite number, got {value!r}") from None
    if not (math.isfinite(number) and number > 0.0):
        raise ValueError(f"{name}: expected a positive finite number, got {value!r}")
    return number


def _array(name, values):
    try:
        array = np.asarray(values, dtype=np.float64)
    except (TypeError, ValueError):
        raise ValueError(f"{name}: expected numbers, got {values!r}") from None
    if not np.all(np.isfinite(array)) or np.any(array <= 0.0):
        raise ValueError(f"{name}: every value must be positive and finite")
    return array


def _shaped(result, shape):
    result = np.asarray(result).reshape(shape)
    return float(result) if result.ndim == 0 else result


def _derivative(derivative):
    if derivative not in (0, 1) or isinstance(derivative, bool):
        raise ValueError(f"derivative: expected 0 or 1, got {derivative!r}")
    return derivative


def _gas_model(epsilon_K, sigma_A, potential, gas, quantum, molar_mass_g_per_mol):
    """(potential, epsilon_K, sigma_A, molar mass or NaN) from the arguments."""
    if gas is not None:
        if epsilon_K is not None or sigma_A is not None:
            raise ValueError("gas: give either gas or epsilon_K and sigma_A, not both")
        if molar_mass_g_per_mol is not None:
            raise ValueError("molar_mass_g_per_mol: the gas sets its own molar mass")
        entry = _lennard.gas(str(gas))
        if _lennard.check_potential(potential) != entry["potential"]:
            raise ValueError(f"potential: the gas {entry['name']} sets the potential {entry['potential']}")
        return entry["potential"], entry["epsilon_K"], entry["sigma_A"], entry["molar_mass_g_per_mol"]
    kind = _lennard.check_potential(potential)
    if sigma_A is None:
        raise ValueError("sigma_A: required (or give gas)")
    sigma = _positive("sigma_A", sigma_A)
    if kind == "hs":
        epsilon = 1.0 if epsilon_K is None else _positive("epsilon_K", epsilon_K)
    elif epsilon_K is None:
        raise ValueError("epsilon_K: required (or give gas)")
    else:
        epsilon = _positive("epsilon_K", epsilon_K)
    mass = math.nan
    if quantum:
        if molar_mass_g_per_mol is None:
            raise ValueError("molar_mass_g_per_mol: required with quantum=True (or give gas)")
        mass = _positive("molar_mass_g_per_mol", molar_mass_g_per_mol)
    elif molar_mass_g_per_mol is not None:
        raise ValueError("molar_mass_g_per_mol: used only with quantum=True")
    if quantum:
        _lennard.check_pure_gas(kind, "series", True)
    return kind, epsilon, sigma, mass


# The model's diagnostics, with the reasons the program warns of.
_DIAGNOSTICS = {
    "quantum_expansion_unreliable": "between T = {T_lo_K!r} K and T = {T_hi_K!r} K the quantum correction exceeds "
                                    "20% of |B_classical| (or of b0): the hbar^2 expansion is unreliable there",
    "quantum_fit_used_classically": "the parameters of {gas} were fitted with the quantum correction; without "
                                    "quantum=True, B drifts from the data at low temperatures",
    "no_gas_root": "the virial equation truncated after C has no gas root between T = {T_lo_K!r} K and "
                   "T = {T_hi_K!r} K ({count} temperatures)",
}


def _warn(diagnostics):
    for found in diagnostics:
        warnings.warn(_DIAGNOSTICS[found["kind"]].format(**found), RuntimeWarning, stacklevel=3)


def _gas_name(gas):
    return "" if gas is None else _lennard.gas(str(gas))["name"]


def _method(method, kind, quantum):
    if method not in _METHODS:
        raise ValueError(f"method: expected one of {', '.join(_METHODS)}, got {method!r}")
    _lennard.check_pure_gas(kind, method, bool(quantum))
    return method


def second_virial(T_K, epsilon_K=None, sigma_A=None, *, potential="lj", gas=None, method="series",
                  quantum=False, molar_mass_g_per_mol=None, derivative=0):
    """B in cm^3/mol (or dB/dT in cm^3/(mol K) with derivative=1).

    The series is exact to about 1e-14 relative (N_A exact); quadrature to
    1e-12; trapezoid is the program's own 12-6 rule with N_A = 6.022e23.
    """
    T = _array("T_K", T_K)
    kind, epsilon, sigma, mass = _gas_model(epsilon_K, sigma_A, potential, gas, quantum, molar_mass_g_per_mol)
    _method(method, kind, quantum)
    result = _lennard.second_virial(T.ravel(), kind, epsilon, sigma, method, bool(quantum), mass,
                                    _derivative(derivative))
    _warn(_lennard.diagnostics(T.ravel(), kind, epsilon, sigma, method, bool(quantum), mass, _gas_name(gas), None))
    return _shaped(result, T.shape)


def third_virial(T_K, epsilon_K=None, sigma_A=None, *, potential="lj", gas=None, method="series", quantum=False,
                 molar_mass_g_per_mol=None, derivative=0):
    """C in cm^6/mol^2 (or dC/dT in cm^6/(mol^2 K) with derivative=1), relative error about 1e-12.

    C is always computed by its own exact rule (method only has to be a valid
    name) and without quantum correction, which is computed for B alone.
    """
    T = _array("T_K", T_K)
    if quantum:
        raise ValueError("quantum: the first quantum correction is computed for B only, not for C")
    kind, epsilon, sigma, _ = _gas_model(epsilon_K, sigma_A, potential, gas, False, molar_mass_g_per_mol)
    _method(method, kind, False)
    return _shaped(_lennard.third_virial(T.ravel(), kind, epsilon, sigma, _derivative(derivative)), T.shape)


def compressibility(T_K, pressure_bar, epsilon_K=None, sigma_A=None, *, potential="lj", gas=None,
                    method="series", quantum=False, molar_mass_g_per_mol=None):
    """(Z, V in cm^3/mol) of the gas from P = (RT/V)(1 + B/V + C/V^2); NaN where there is no gas root."""
    T = _array("T_K", T_K)
    P = _array("pressure_bar", pressure_bar)
    try:
        T, P = np.broadcast_arrays(T, P)
    except ValueError:
        raise ValueError(f"T_K and pressure_bar: shapes {np.shape(T)} and {np.shape(P)} do not broadcast") from None
    kind, epsilon, sigma, mass = _gas_model(epsilon_K, sigma_A, potential, gas, quantum, molar_mass_g_per_mol)
    _method(method, kind, quantum)
    Z, V = _lennard.compressibility(np.ascontiguousarray(T).ravel(), np.ascontiguousarray(P).ravel(), kind,
                                    epsilon, sigma, method, bool(quantum), mass)
    _warn(_lennard.diagnostics(T.ravel(), kind, epsilon, sigma, method, bool(quantum), mass, _gas_name(gas), None))
    return _shaped(Z, T.shape), _shaped(V, T.shape)


def mixture_second_virial(T_K, gases, mole_fractions, kij=0.0, *, quantum=False, derivative=0):
    """B of a mixture of library gases in cm^3/mol (Lorentz-Berthelot, exact series)."""
    T = _array("T_K", T_K)
    if isinstance(gases, str) or not hasattr(gases, "__iter__"):
        raise ValueError(f"gases: expected a list of gas names, got {gases!r}")
    names = [str(g) for g in gases]
    fractions = [float(x) for x in np.atleast_1d(np.asarray(mole_fractions, dtype=np.float64))]
    if len(names) == 0 or len(names) != len(fractions):
        raise ValueError(f"mole_fractions: expected one per gas ({len(names)}), got {len(fractions)}")
    # The program's rules; fractions rounded when typed (thirds as 0.3333) come back divided by their sum.
    names, fractions, total = _lennard.check_mixture(names, fractions, float(kij))
    if total is not None:
        warnings.warn(f"mole_fractions: they sum to {total!r}, not 1; normalised to {fractions!r}", stacklevel=2)
    result = _lennard.mixture_second_virial(T.ravel(), names, fractions, kij, bool(quantum), _derivative(derivative))
    _warn(_lennard.mixture_diagnostics(T.ravel(), names, fractions, kij, bool(quantum)))
    return _shaped(result, T.shape)


def characteristic_temperatures(epsilon_K=None, sigma_A=None, *, potential="lj", gas=None, quantum=False,
                                molar_mass_g_per_mol=None):
    """Boyle, Joule-Thomson inversion and maximum-of-B temperatures (K) and the maximum of B, as
    'lennard --summary -f json' gives them (boyle_temperatures_K: every sign change of B); None where one
    does not exist."""
    kind, epsilon, sigma, mass = _gas_model(epsilon_K, sigma_A, potential, gas, quantum, molar_mass_g_per_mol)
    values = _lennard.characteristic_temperatures(kind, epsilon, sigma, bool(quantum), mass)
    # Whether the model holds at the temperatures it reports, as the program warns.
    reported = values["boyle_temperatures_K"] + [values[key] for key in ("inversion_temperature_K",
                                                  "max_B_temperature_K") if values[key] is not None]
    _warn(_lennard.diagnostics(reported, kind, epsilon, sigma, "series", bool(quantum), mass, _gas_name(gas), None))
    return values


def fit(T_K, B_cm3_per_mol, u_cm3_per_mol=None, *, potential="lj", free_repulsion=False, quantum=False,
        molar_mass_g_per_mol=None):
    """Fits epsilon_K and sigma_A (and N of mie:N,M with free_repulsion) to B(T); a dict with the keys
    of 'lennard fit -f json'."""
    T = np.asarray(T_K, dtype=np.float64)
    B = np.asarray(B_cm3_per_mol, dtype=np.float64)
    if T.ndim != 1 or T.shape != B.shape:
        raise ValueError(f"T_K and B_cm3_per_mol: expected two 1-D arrays of one length, got shapes "
                         f"{T.shape} and {B.shape}")
    _array("T_K", T)
    if not np.all(np.isfinite(B)):
        raise ValueError("B_cm3_per_mol: every value must be finite")
    u = None
    if u_cm3_per_mol is not None:
        u = np.asarray(u_cm3_per_mol, dtype=np.float64)
        if u.shape != T.shape:
            raise ValueError(f"u_cm3_per_mol: expected shape {T.shape}, got {u.shape}")
        _array("u_cm3_per_mol", u)
    kind = _lennard.check_potential(potential)
    if kind == "hs":
        raise ValueError("potential: B of hard spheres does not depend on T; there is nothing to fit")
    if free_repulsion and not kind.startswith("mie:"):
        raise ValueError("free_repulsion: fits the N of mie:N,M; give potential='mie:N,M'")
    mass = math.nan
    if quantum:
        if free_repulsion:
            raise ValueError("quantum: not with free_repulsion")
        _lennard.check_pure_gas(kind, "series", True)
        if molar_mass_g_per_mol is None:
            raise ValueError("molar_mass_g_per_mol: required with quantum=True")
        mass = _positive("molar_mass_g_per_mol", molar_mass_g_per_mol)
    elif molar_mass_g_per_mol is not None:
        raise ValueError("molar_mass_g_per_mol: used only with quantum=True")
    try:
        result = _lennard.fit(np.ascontiguousarray(T), np.ascontiguousarray(B),
                              None if u is None else np.ascontiguousarray(u), kind, bool(free_repulsion),
                              bool(quantum), mass)
    except ValueError as refusal:
        raise ValueError(f"T_K, B_cm3_per_mol: the data cannot determine a fit ({refusal})") from None
    if quantum:
        # The fitted gas says where its quantum expansion fails among the data, as 'lennard fit' does.
        _warn(_lennard.diagnostics(T.ravel(), result["potential"], result["epsilon_K"], result["sigma_A"], "series",
                                   True, mass, "", None))
    return result


def gases():
    """The gas library: a list of dicts with the keys of 'lennard gases -f json'."""
    return _lennard.gases()


def gas(name):
    """One gas of the library by name or alias (case and accents do not matter)."""
    return _lennard.gas(str(name))
