"""The checks of the package's arguments, with English messages that name them."""
from __future__ import annotations

import math
import operator
import warnings
from typing import Any, Callable, Optional

import numpy as np

from . import _lennard


def flag(name: str, value: Any) -> bool:
    if isinstance(value, (bool, np.bool_)):
        return bool(value)
    raise TypeError(f"{name}: expected True or False, got {value!r}")


def quantum_order(value: Any, highest: int = 2) -> Any:
    """0 without the quantum correction, 1 (True or 1: hbar^2), 2 (adds hbar^4) or "exact" (a pure gas only:
    highest=1 for mixtures)."""
    if isinstance(value, (bool, np.bool_)):
        return int(bool(value))
    if isinstance(value, str) and value == "exact":
        if highest < 2:
            raise ValueError("quantum: 'exact' is computed for a pure gas only, not for mixtures")
        return "exact"
    if isinstance(value, (int, np.integer)) and 0 <= value <= 2:
        if value > highest:
            raise ValueError(f"quantum: order {int(value)} is computed for a pure gas only, not for mixtures")
        return int(value)
    raise ValueError(f"quantum: expected False, True, 1, 2 or 'exact', got {value!r}")


STATISTICS = ("bose", "fermi", "boltzmann")


def spin_statistics(statistics: Any, spin: Any, exact: bool, gas: str) -> tuple:
    """The nuclear statistics and spin of quantum="exact": as given, else the gas's own, else Boltzmann."""
    if not exact:
        for name, value in (("statistics", statistics), ("spin", spin)):
            if value is not None:
                raise ValueError(f"{name}: used only with quantum='exact'")
        return "boltzmann", 0.0
    own = _lennard.gas(gas) if gas else {"statistics": "boltzmann", "spin": 0.0}
    if statistics is None:
        statistics = own["statistics"]
    elif statistics not in STATISTICS:
        raise ValueError(f"statistics: expected 'bose', 'fermi' or 'boltzmann', got {statistics!r}")
    if spin is None:
        spin = own["spin"]
    elif isinstance(spin, (bool, np.bool_)) or not isinstance(spin, (int, float, np.integer, np.floating)):
        raise TypeError(f"spin: expected a number (0, 0.5, 1, ...), got {spin!r}")
    return statistics, float(spin)


def threads(value: Any) -> int:
    """0 (one per core) for None."""
    if value is None:
        return 0
    try:
        count = operator.index(value)
    except TypeError:
        raise TypeError(f"threads: expected a positive integer or None, got {value!r}") from None
    if isinstance(value, bool) or count < 1:
        raise ValueError(f"threads: expected a positive integer or None, got {value!r}")
    return count


def positive(name: str, value: Any) -> float:
    try:
        number = float(value)
    except (TypeError, ValueError):
        raise ValueError(f"{name}: expected a positive finite number, got {value!r}") from None
    if not (math.isfinite(number) and number > 0.0):
        raise ValueError(f"{name}: expected a positive finite number, got {value!r}")
    return number


def positive_array(name: str, values: Any) -> np.ndarray:
    """float64 values, positive and finite where they are not NaN (NaN gives NaN)."""
    try:
        array = np.asarray(values, dtype=np.float64)
    except (TypeError, ValueError):
        raise ValueError(f"{name}: expected numbers, got {values!r}") from None
    bad = (array <= 0.0) | (array == np.inf)  # NaN is neither
    if np.any(bad):
        raise ValueError(f"{name}: expected positive finite values, got {array[bad].flat[0]!r}")
    return array


def broadcast(names: str, *arrays: np.ndarray) -> list:
    """Contiguous 1-D copies of the arrays broadcast together, and their shape
    last. A single value stays one: the compiled core reads it for every
    element, and nobody copies it a million times."""
    try:
        together = np.broadcast_arrays(*arrays)
    except ValueError:
        shapes = " and ".join(str(np.shape(a)) for a in arrays)
        raise ValueError(f"{names}: shapes {shapes} do not broadcast") from None
    return [np.ascontiguousarray(a if np.size(a) == 1 else b).ravel() for a, b in zip(arrays, together)] + \
        [together[0].shape]


def at(values: np.ndarray, i: int) -> Any:
    """Element i of an array from broadcast(), a single value standing for every one."""
    return values[i if values.size > 1 else 0]


def shaped(result: np.ndarray, shape: tuple) -> Any:
    result = np.asarray(result).reshape(shape)
    return float(result) if result.ndim == 0 else result


def refuse_non_finite(what: str, T: np.ndarray, values: np.ndarray, computed: Callable[[], np.ndarray],
                      epsilon: Optional[np.ndarray] = None) -> None:
    """The program refuses a temperature where a result overflows or is lost.
    computed() gives the elements computed (no NaN among their inputs): only
    asked for when some value is not finite."""
    finite = np.isfinite(values)
    if finite.all():
        return
    bad = computed() & ~finite
    if np.any(bad):
        i = int(np.argmax(bad))
        reduced = "" if epsilon is None else f" (T/epsilon = {at(T, i) / at(epsilon, i)!r})"
        raise ValueError(f"T_K: at T = {at(T, i)!r} K{reduced} {what} is not a finite number ({values[i]!r}): "
                         f"outside the reach of the method")


def gas_model(epsilon_K: Any, sigma_A: Any, potential: str, gas: Optional[str], quantum: bool,
              molar_mass_g_per_mol: Any) -> tuple:
    """(potential, epsilon_K, sigma_A, molar mass or NaN, gas name or '') from the arguments."""
    if gas is not None:
        if epsilon_K is not None or sigma_A is not None:
            raise ValueError("gas: give either gas or epsilon_K and sigma_A, not both")
        if molar_mass_g_per_mol is not None:
            raise ValueError("molar_mass_g_per_mol: the gas sets its own molar mass")
        entry = _lennard.gas(str(gas))
        model = entry  # its default: the model with the lowest RMS residual
        if potential is not None:
            wanted = _lennard.check_potential(potential)
            if wanted != entry["potential"]:
                fits = [m for m in entry["models"] if m["potential"] == wanted]
                if not fits:
                    raise ValueError(f"potential: the library has no {wanted} fit for {entry['name']}; it has: "
                                     + ", ".join(m["potential"] for m in entry["models"]))
                model = fits[0]
        mass = entry["molar_mass_g_per_mol"] if quantum else math.nan
        return model["potential"], np.float64(model["epsilon_K"]), np.float64(model["sigma_A"]), mass, entry["name"]
    kind = _lennard.check_potential("lj" if potential is None else potential)
    if sigma_A is None:
        raise ValueError("sigma_A: required (or give gas)")
    sigma = positive_array("sigma_A", sigma_A)
    if kind == "hs" and epsilon_K is None:
        epsilon = np.float64(1.0)  # B of hard spheres does not depend on it
    elif epsilon_K is None:
        raise ValueError("epsilon_K: required (or give gas)")
    else:
        epsilon = positive_array("epsilon_K", epsilon_K)
    mass = math.nan
    if quantum:
        if molar_mass_g_per_mol is None:
            raise ValueError("molar_mass_g_per_mol: required with quantum=True (or give gas)")
        mass = positive("molar_mass_g_per_mol", molar_mass_g_per_mol)
    elif molar_mass_g_per_mol is not None:
        raise ValueError("molar_mass_g_per_mol: used only with quantum=True")
    return kind, epsilon, sigma, mass, ""


METHODS = ("series", "quadrature", "trapezoid")


def method(value: Any, kind: str, quantum: bool) -> str:
    """The method as given; None: the potential's exact B, as the program's default (series, or the
    quadrature for helium from first principles, which has no series)."""
    if value is None:
        value = "exact"
        _lennard.check_pure_gas(kind, value, quantum)
        return value
    if value not in METHODS:
        raise ValueError(f"method: expected one of {', '.join(METHODS)}, got {value!r}")
    _lennard.check_pure_gas(kind, value, quantum)
    return value


# The model's diagnostics, with the reasons the program warns of.
_DIAGNOSTICS = {
    "quantum_expansion_unreliable": "between T = {T_lo_K!r} K and T = {T_hi_K!r} K the quantum correction exceeds "
                                    "9% of |B_classical| (or of b0): the hbar^2 expansion is unreliable there: "
                                    "use quantum=\"exact\"",
    "quantum_fit_used_classically": "the parameters of {gas} were fitted with the quantum correction; without "
                                    "{quantum_option}, B drifts from the data at low temperatures",
    "no_gas_root": "the virial equation truncated after C has no gas root between T = {T_lo_K!r} K and "
                   "T = {T_hi_K!r} K ({count} temperatures): Z and V are NaN there",
    "condensed": "{gas} is not a gas between T = {T_lo_K!r} K and T = {T_hi_K!r} K ({count} temperatures): the "
                 "pressure exceeds its vapour (or sublimation) pressure; Z and V are NaN there",
    "below_triple_point": "between T = {T_lo_K!r} K and T = {T_hi_K!r} K ({count} temperatures), below the triple "
                          "point of {gas} and its pressure, whether it is a gas is not known (no sublimation line): "
                          "Z and V are NaN there",
    "dense_gas": "between T = {T_lo_K!r} K and T = {T_hi_K!r} K ({count} temperatures) the gas is denser than half "
                 "the critical density: the virial equation truncated after C is unreliable there",
    "outside_fitted_range": "the parameters of {gas} were fitted to B(T) between {range_lo_K!r} K and "
                            "{range_hi_K!r} K; between T = {T_lo_K!r} K and T = {T_hi_K!r} K ({count} temperatures) "
                            "B is an extrapolation of the model",
    "exact_continued_by_series": "above T = {range_lo_K!r} K the phase shifts would cost too much; between T = "
                                 "{T_lo_K!r} K and T = {T_hi_K!r} K ({count} temperatures) B follows the semiclassical "
                                 "series to hbar^4{junction}",
}

# Warnings about the model's validity rather than about the numbers computed.
_USER_WARNINGS = {"outside_fitted_range"}


def warn(diagnostics: list) -> None:
    """Warns at the caller of the public function."""
    for found in diagnostics:
        category = UserWarning if found["kind"] in _USER_WARNINGS else RuntimeWarning
        junction = found.get("junction_difference_cm3_per_mol")
        junction = (" (what it leaves out is not measured)" if junction != junction else
                    f", which differs from the exact B by {junction!r} cm3/mol at {found['range_lo_K']!r} K, and less above")
        message = _DIAGNOSTICS[found["kind"]].format(junction=junction, **found)
        if found.get("first_principles"):
            message = (f"{found['gas']} is a quantum gas: without quantum=\"exact\", B is the classical B of its "
                       "potential, far from the real one at low temperatures")
        if found["count"] == 1:
            # One temperature: "at T", as the program says it.
            between = f"between T = {found['T_lo_K']!r} K and T = {found['T_hi_K']!r} K"
            at = f"at T = {found['T_lo_K']!r} K"
            message = message.replace(between + " (1 temperatures)", at).replace(between, at)
        warnings.warn(message, category, stacklevel=3)
