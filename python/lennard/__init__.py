"""Virial coefficients of gases with model pair potentials.

Temperatures, epsilon_K, sigma_A (and pressure_bar) are numpy arrays or
scalars and broadcast together; results are float64 arrays of the broadcast
shape (a float for scalars). Units are in the argument names. A NaN among an
element's inputs gives NaN there. Bad arguments raise ValueError (TypeError for
a wrong type) naming the argument; where the model is unreliable a
RuntimeWarning says why. The loops run in C++ on every core (threads= limits
them) with the GIL released, and Ctrl-C interrupts them.
"""
from __future__ import annotations

import math
import warnings
from typing import Any, NamedTuple, Optional, Sequence, Union

import numpy as np
import numpy.typing as npt

from . import _arguments as _a
from . import _lennard

__version__: str = _lennard.__version__

__all__ = ["second_virial", "third_virial", "compressibility", "Compressibility", "mixture_second_virial",
           "characteristic_temperatures", "fit", "FitResult", "gases", "gas", "__version__"]

ArrayLike = npt.ArrayLike
Result = Any  # a float for scalar arguments, else an ndarray of float64


def second_virial(T_K: ArrayLike, epsilon_K: Optional[ArrayLike] = None, sigma_A: Optional[ArrayLike] = None, *,
                  potential: Optional[str] = None, gas: Optional[str] = None, method: Optional[str] = None,
                  quantum: Union[bool, int, str] = False, molar_mass_g_per_mol: Optional[float] = None,
                  derivative: bool = False, threads: Optional[int] = None, statistics: Optional[str] = None,
                  spin: Optional[float] = None) -> Result:
    """B in cm^3/mol (or dB/dT in cm^3/(mol K) with derivative=True).

    method: by default the potential's exact B, as the program's (the series, or the
    quadrature for he-abinitio and he3-abinitio, which have none). The series is
    exact to about 1e-14 relative (N_A exact); quadrature to 1e-12; trapezoid is
    the program's own 12-6 rule with N_A = 6.022e23.
    quantum: True or 1 adds the hbar^2 correction, 2 also the hbar^4 one;
    "exact" gives the exact quantum B (phase shifts and bound states, prepared
    once over [min T, max T] for each epsilon_K and sigma_A: seconds), with the
    nuclear statistics ("bose", "fermi" or "boltzmann") and spin (0, 0.5, 1...):
    by default the gas's own, Boltzmann without gas. method then computes only
    the classical B of the diagnostics.
    """
    derivative = _a.flag("derivative", derivative)
    order = _a.quantum_order(quantum)
    exact = order == "exact"
    T = _a.positive_array("T_K", T_K)
    kind, epsilon, sigma, mass, name = _a.gas_model(epsilon_K, sigma_A, potential, gas, order != 0, molar_mass_g_per_mol)
    statistics, spin = _a.spin_statistics(statistics, spin, exact, name)
    method = _a.method(method, kind, order != 0)
    T, epsilon, sigma, shape = _a.broadcast("T_K, epsilon_K and sigma_A", T, epsilon, sigma)
    values, found = _lennard.second_virial(T, epsilon, sigma, kind, method, 1 if exact else order, mass, derivative,
                                           name, _a.threads(threads), exact, statistics, spin)
    _a.refuse_non_finite("dB/dT" if derivative else "B", T, values,
                         lambda: ~(np.isnan(T) | np.isnan(epsilon) | np.isnan(sigma)), epsilon)
    _a.warn(found)
    return _a.shaped(values, shape)


def third_virial(T_K: ArrayLike, epsilon_K: Optional[ArrayLike] = None, sigma_A: Optional[ArrayLike] = None, *,
                 potential: Optional[str] = None, gas: Optional[str] = None, method: None = None, quantum: bool = False,
                 molar_mass_g_per_mol: Optional[float] = None, derivative: bool = False,
                 threads: Optional[int] = None) -> Result:
    """C in cm^6/mol^2 (or dC/dT in cm^6/(mol^2 K) with derivative=True), relative error about 1e-12.

    C has one rule of its own (a Gauss-Legendre sum over the exact integrand),
    so method, which chooses how B is computed, is refused; and no quantum
    correction, which is computed for B alone.
    """
    derivative = _a.flag("derivative", derivative)
    if method is not None:
        raise ValueError(f"method: C has a rule of its own; the methods of B do not apply to it, got {method!r}")
    if quantum:
        raise ValueError("quantum: the first quantum correction is computed for B only, not for C")
    T = _a.positive_array("T_K", T_K)
    kind, epsilon, sigma, _, name = _a.gas_model(epsilon_K, sigma_A, potential, gas, False, molar_mass_g_per_mol)
    T, epsilon, sigma, shape = _a.broadcast("T_K, epsilon_K and sigma_A", T, epsilon, sigma)
    values, found = _lennard.third_virial(T, epsilon, sigma, kind, derivative, name, _a.threads(threads))
    _a.refuse_non_finite("dC/dT" if derivative else "C", T, values,
                         lambda: ~(np.isnan(T) | np.isnan(epsilon) | np.isnan(sigma)), epsilon)
    _a.warn(found)
    return _a.shaped(values, shape)


class Compressibility(NamedTuple):
    """Z = PV/(RT) and the molar volume V in cm^3/mol; unpacks as Z, V like the plain tuple it replaces."""
    Z: Result
    V: Result


def compressibility(T_K: ArrayLike, pressure_bar: ArrayLike, epsilon_K: Optional[ArrayLike] = None,
                    sigma_A: Optional[ArrayLike] = None, *, potential: Optional[str] = None, gas: Optional[str] = None,
                    method: Optional[str] = None, quantum: Union[bool, int, str] = False,
                    molar_mass_g_per_mol: Optional[float] = None, threads: Optional[int] = None,
                    statistics: Optional[str] = None, spin: Optional[float] = None) -> Compressibility:
    """(Z, V in cm^3/mol) of the gas from P = (RT/V)(1 + B/V + C/V^2); NaN, with a warning, where there is no
    gas root or the gas has condensed. quantum, statistics and spin as in second_virial (they change B; C
    has no quantum correction)."""
    T = _a.positive_array("T_K", T_K)
    P = _a.positive_array("pressure_bar", pressure_bar)
    order = _a.quantum_order(quantum)
    exact = order == "exact"
    kind, epsilon, sigma, mass, name = _a.gas_model(epsilon_K, sigma_A, potential, gas, order != 0, molar_mass_g_per_mol)
    statistics, spin = _a.spin_statistics(statistics, spin, exact, name)
    method = _a.method(method, kind, order != 0)
    T, P, epsilon, sigma, shape = _a.broadcast("T_K, pressure_bar, epsilon_K and sigma_A", T, P, epsilon, sigma)
    Z, V, B, C, found = _lennard.compressibility(T, P, epsilon, sigma, kind, method, 1 if exact else order, mass,
                                                 name, _a.threads(threads), exact, statistics, spin)

    def computed() -> np.ndarray:
        return ~(np.isnan(T) | np.isnan(P) | np.isnan(epsilon) | np.isnan(sigma))

    _a.refuse_non_finite("B", T, B, computed, epsilon)
    _a.refuse_non_finite("C", T, C, computed, epsilon)
    infinite = np.isinf(V) | np.isinf(Z)
    if np.any(infinite):
        i = int(np.argmax(infinite))
        raise ValueError(f"pressure_bar: at P = {_a.at(P, i)!r} bar and T = {_a.at(T, i)!r} K the molar volume V = Z RT/P is not "
                         f"finite ({V[i]!r} cm^3/mol): the pressure is too low for that temperature")
    _a.warn(found)
    return Compressibility(_a.shaped(Z, shape), _a.shaped(V, shape))


def mixture_second_virial(T_K: ArrayLike, gases: Sequence[str], mole_fractions: ArrayLike, kij: float = 0.0, *,
                          quantum: bool = False, derivative: bool = False, threads: Optional[int] = None) -> Result:
    """B of a mixture of library gases in cm^3/mol (Lorentz-Berthelot, exact series)."""
    derivative = _a.flag("derivative", derivative)
    T = _a.positive_array("T_K", T_K)
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
    shape = T.shape
    T = np.ascontiguousarray(T).ravel()
    _a.quantum_order(quantum, highest=1)
    values, found = _lennard.mixture_second_virial(T, names, fractions, float(kij), bool(quantum), derivative,
                                                   _a.threads(threads))
    _a.refuse_non_finite("dB/dT" if derivative else "B", T, values, lambda: ~np.isnan(T))
    _a.warn(found)
    return _a.shaped(values, shape)


def characteristic_temperatures(epsilon_K: Optional[float] = None, sigma_A: Optional[float] = None, *,
                                potential: Optional[str] = None, gas: Optional[str] = None, quantum: Any = False,
                                molar_mass_g_per_mol: Optional[float] = None, statistics: Optional[str] = None,
                                spin: Optional[float] = None) -> dict:
    """Boyle, Joule-Thomson inversion and maximum-of-B temperatures (K) and the maximum of B, as
    'lennard --summary -f json' gives them (boyle_temperatures_K: every sign change of B); None where one
    does not exist. One gas: epsilon_K and sigma_A are numbers. quantum="exact" (with statistics and spin,
    as in second_virial) seeks them in the exact quantum B, between T* = 0.3 and 20 only."""
    if epsilon_K is not None:
        epsilon_K = _a.positive("epsilon_K", epsilon_K)
    if sigma_A is not None:
        sigma_A = _a.positive("sigma_A", sigma_A)
    order = _a.quantum_order(quantum, highest=2)
    if order == 2:
        raise ValueError("quantum: order 2 is computed for second_virial and compressibility only")
    exact = order == "exact"
    statistics, spin = _a.spin_statistics(statistics, spin, exact, gas)
    kind, epsilon, sigma, mass, name = _a.gas_model(epsilon_K, sigma_A, potential, gas, bool(order),
                                                    molar_mass_g_per_mol)
    if order and not exact:
        _lennard.check_pure_gas(kind, "series", True)
    epsilon, sigma = float(epsilon), float(sigma)
    values = _lennard.characteristic_temperatures(kind, epsilon, sigma, bool(order), mass, exact, statistics, spin,
                                                  name)
    diagnostics = values.pop("_diagnostics")
    for key in ("boyle_temperature_K", "inversion_temperature_K", "max_B_temperature_K", "max_B_cm3_per_mol"):
        if values[key] is not None and not math.isfinite(values[key]):
            raise ValueError(f"epsilon_K, sigma_A: with epsilon_K = {epsilon!r} and sigma_A = {sigma!r}, {key} is "
                             f"not a finite number ({values[key]!r})")
    # Whether the model holds at the temperatures it reports, as the program warns.
    _a.warn(diagnostics)
    return values


class FitResult(dict):
    """The keys of 'lennard fit -f json', and two attributes: covariance, the covariance matrix of
    (epsilon_K, sigma_A[, repulsive_exponent]) as a numpy array, and p_value, the probability of a chi^2 at
    least this large if the model and the uncertainties are right (None without uncertainties)."""
    covariance: np.ndarray
    p_value: Optional[float]


def fit(T_K: ArrayLike, B_cm3_per_mol: ArrayLike, u_cm3_per_mol: Optional[ArrayLike] = None, *,
        potential: str = "lj", free_repulsion: bool = False, quantum: Any = False,
        molar_mass_g_per_mol: Optional[float] = None, threads: Optional[int] = None,
        statistics: Optional[str] = None, spin: Optional[float] = None) -> FitResult:
    """Fits epsilon_K and sigma_A (and N of mie:N,M with free_repulsion) to B(T). quantum=True fits B with
    its first quantum correction, quantum="exact" the exact quantum B (statistics and spin as in
    second_virial; Boltzmann by default; seconds a step)."""
    T = np.asarray(T_K, dtype=np.float64)
    B = np.asarray(B_cm3_per_mol, dtype=np.float64)
    if T.ndim != 1 or T.shape != B.shape:
        raise ValueError(f"T_K and B_cm3_per_mol: expected two 1-D arrays of one length, got shapes "
                         f"{T.shape} and {B.shape}")
    if not np.all(np.isfinite(T)) or np.any(T <= 0.0):
        raise ValueError("T_K: every value must be positive and finite")
    if not np.all(np.isfinite(B)):
        raise ValueError("B_cm3_per_mol: every value must be finite")
    u = None
    if u_cm3_per_mol is not None:
        u = np.asarray(u_cm3_per_mol, dtype=np.float64)
        if u.shape != T.shape:
            raise ValueError(f"u_cm3_per_mol: expected shape {T.shape}, got {u.shape}")
        if not np.all(np.isfinite(u)) or np.any(u <= 0.0):
            raise ValueError("u_cm3_per_mol: every value must be positive and finite")
    kind = _lennard.check_potential(potential)
    if kind == "hs":
        raise ValueError("potential: B of hard spheres does not depend on T; there is nothing to fit")
    if free_repulsion and not kind.startswith("mie:"):
        raise ValueError("free_repulsion: fits the N of mie:N,M; give potential='mie:N,M'")
    mass = math.nan
    order = _a.quantum_order(quantum, highest=2)
    if order == 2:
        raise ValueError("quantum: order 2 is computed for second_virial and compressibility only")
    exact = order == "exact"
    statistics, spin = _a.spin_statistics(statistics, spin, exact, "")
    if exact:
        _lennard.check_exact_potential(kind)
    if quantum:
        if free_repulsion:
            raise ValueError("quantum: not with free_repulsion")
        if not exact:
            _lennard.check_pure_gas(kind, "series", True)
        if molar_mass_g_per_mol is None:
            raise ValueError("molar_mass_g_per_mol: required with quantum=True")
        mass = _a.positive("molar_mass_g_per_mol", molar_mass_g_per_mol)
    elif molar_mass_g_per_mol is not None:
        raise ValueError("molar_mass_g_per_mol: used only with quantum=True")
    try:
        values, covariance, p_value = _lennard.fit(np.ascontiguousarray(T), np.ascontiguousarray(B),
                                                   None if u is None else np.ascontiguousarray(u), kind,
                                                   bool(free_repulsion), bool(order), mass, _a.threads(threads),
                                                   exact, statistics, spin)
    except ValueError as refusal:
        raise ValueError(f"T_K, B_cm3_per_mol: the data cannot determine a fit ({refusal})") from None
    result = FitResult(values)
    result.covariance = np.array(covariance, dtype=np.float64)
    result.p_value = p_value
    if quantum and not exact:
        # The fitted gas says where its quantum expansion fails among the data, as 'lennard fit' does.
        _a.warn(_lennard.diagnostics(list(T), result["potential"], result["epsilon_K"], result["sigma_A"], True,
                                     mass, ""))
    return result


def gases() -> list:
    """The gas library: a list of dicts with the keys of 'lennard gases -f json'."""
    return _lennard.gases()


def gas(name: str) -> dict:
    """One gas of the library by name or alias (case and accents do not matter)."""
    return _lennard.gas(str(name))
