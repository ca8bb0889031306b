"""The Python module against the command line's json (to the last bit), its
broadcasting, its refusals and warnings, threads, Ctrl-C and the fit."""
import json
import os
import pathlib
import signal
import subprocess
import sys
import threading
import warnings

import numpy as np
import pytest

import lennard

LENNARD = os.environ["LENNARD_EXE"]
SOURCE = pathlib.Path(os.environ["LENNARD_SOURCE_DIR"])


def program_json(*args):
    out = subprocess.run([LENNARD, *args, "-f", "json", "-o", "-"], check=True, capture_output=True, text=True).stdout
    return json.loads(out)


def column(table, key):
    # null (no value: a condensed gas's Z and V) as NaN
    return np.array([np.nan if row[key] is None else row[key] for row in table["rows"]], dtype=float)


# Each case: the program's arguments, and the same quantity asked of the module.
CASES = [
    (["-e", "120", "-s", "3.4", "-m", "series", "--derivative"], "B_cm3_per_mol",
     lambda T: lennard.second_virial(T, 120, 3.4)),
    (["-e", "120", "-s", "3.4", "-m", "series", "--derivative"], "dB_dT_cm3_per_mol_K",
     lambda T: lennard.second_virial(T, 120, 3.4, derivative=True)),
    (["-e", "120", "-s", "3.4"], "B_cm3_per_mol",
     lambda T: lennard.second_virial(T, 120, 3.4, method="trapezoid")),
    (["-e", "120", "-s", "3.4", "-p", "mie:14,6", "-m", "quadrature"], "B_cm3_per_mol",
     lambda T: lennard.second_virial(T, 120, 3.4, potential="mie:14,6", method="quadrature")),
    (["--gas", "neon", "--quantum", "--derivative"], "dB_dT_cm3_per_mol_K",
     lambda T: lennard.second_virial(T, gas="neon", quantum=True, derivative=True)),
    (["--gas", "neon", "--quantum", "2", "--derivative"], "B_cm3_per_mol",
     lambda T: lennard.second_virial(T, gas="neon", quantum=2)),
    (["--gas", "neon", "--quantum", "2", "--derivative"], "dB_dT_cm3_per_mol_K",
     lambda T: lennard.second_virial(T, gas="neon", quantum=2, derivative=True)),
    (["--gas", "argon", "--third", "--derivative", "--step", "20"], "dC_dT_cm6_per_mol2_K",
     lambda T: lennard.third_virial(T, gas="argon", derivative=True)),
    (["--gas", "nitrogen", "-m", "series", "--pressure", "50", "--step", "20"], "Z",
     lambda T: lennard.compressibility(T, 50, gas="nitrogen").Z),
    (["--gas", "nitrogen", "-m", "series", "--pressure", "50", "--step", "20"], "V_cm3_per_mol",
     lambda T: lennard.compressibility(T, 50, gas="nitrogen").V),
    (["--mix", "Ar:0.3,Kr:0.7", "--kij", "0.02"], "B_cm3_per_mol",
     lambda T: lennard.mixture_second_virial(T, ["argon", "krypton"], [0.3, 0.7], kij=0.02)),
]


@pytest.mark.parametrize("args,key,module", CASES)
def test_agrees_with_the_program_to_the_last_bit(args, key, module):
    table = program_json(*args)
    T = column(table, "T_K")
    assert np.array_equal(module(T), column(table, key), equal_nan=True)


def test_summary_and_library_agree_with_the_program():
    assert lennard.characteristic_temperatures(120, 3.4) == program_json("-e", "120", "-s", "3.4", "--summary")
    assert lennard.characteristic_temperatures(sigma_A=3.0, potential="hs") == \
        program_json("-s", "3", "-p", "hs", "--summary")
    assert lennard.characteristic_temperatures(gas="helium", quantum=True) == \
        program_json("--gas", "helium", "--quantum", "--summary")
    listed = json.loads(subprocess.run([LENNARD, "gases", "-f", "json"], check=True, capture_output=True,
                                       text=True).stdout)
    assert lennard.gases() == listed
    assert lennard.gas("ARGÓN") == next(entry for entry in listed if entry["name"] == "argon")


def test_fit_agrees_with_the_program():
    data = SOURCE / "examples" / "argon_B2.dat"
    expected = json.loads(subprocess.run([LENNARD, "fit", str(data), "-f", "json"], check=True,
                                         capture_output=True, text=True).stdout)
    points = np.loadtxt(data, comments="#", ndmin=2)
    u = points[:, 2] if points.shape[1] > 2 else None
    assert lennard.fit(points[:, 0], points[:, 1], u) == expected


def test_fit_round_trip():
    T = np.geomspace(150, 900, 25)
    B = lennard.second_virial(T, 143.2, 3.35, potential="mie:14,6")
    result = lennard.fit(T, B, potential="mie:14,6")
    assert result["epsilon_K"] == pytest.approx(143.2, rel=1e-9)
    assert result["sigma_A"] == pytest.approx(3.35, rel=1e-9)


def test_shapes_broadcast_and_scalars_are_floats():
    assert isinstance(lennard.second_virial(300, 120, 3.4), float)
    assert isinstance(lennard.second_virial(np.float64(300), 120, 3.4), float)
    grid = np.linspace(150, 600, 12).reshape(3, 4)
    B = lennard.second_virial(grid, 120, 3.4)
    assert B.shape == (3, 4) and B.dtype == np.float64
    assert np.array_equal(B.ravel(), lennard.second_virial(grid.ravel(), 120, 3.4))
    Z, V = lennard.compressibility(grid[:, :1], [1.0, 10.0, 100.0, 200.0], 120, 3.4)
    assert Z.shape == V.shape == (3, 4)
    assert lennard.third_virial([300], gas="argon").shape == (1,)


def test_rounded_mole_fractions_are_normalised_with_a_warning():
    with pytest.warns(UserWarning, match="normalised"):
        rounded = lennard.mixture_second_virial(300, ["ar", "kr", "xe"], [0.3333] * 3)
    assert rounded == pytest.approx(lennard.mixture_second_virial(300, ["ar", "kr", "xe"], [1 / 3] * 3), rel=1e-14)


@pytest.mark.parametrize("call,argument", [
    (lambda: lennard.second_virial(300, 120, 3.4, potential="mie:6,12"), "potential"),
    (lambda: lennard.second_virial(300, gas="argn"), "gas"),
    (lambda: lennard.second_virial(300, 0.0, 3.4), "epsilon_K"),
    (lambda: lennard.second_virial(300, 120, [3.4, -1.0]), "sigma_A"),
    (lambda: lennard.second_virial(300, [120, 100], [3.4, 3.0, 2.0]), "T_K, epsilon_K and sigma_A"),
    (lambda: lennard.second_virial([300, -1], 120, 3.4), "T_K"),
    (lambda: lennard.second_virial(300, 120, 3.4, quantum=True), "molar_mass_g_per_mol"),
    (lambda: lennard.second_virial(300, 120, 3.4, potential="sw:1.5", quantum=True, molar_mass_g_per_mol=4),
     "quantum"),
    (lambda: lennard.second_virial(300, 120, 3.4, potential="hs", method="trapezoid"), "method"),
    (lambda: lennard.second_virial(300, 120, 3.4, threads=0), "threads"),
    (lambda: lennard.second_virial(300, 120, 3.4, gas="argon"), "gas"),
    (lambda: lennard.compressibility([300, 400], [1, 2, 3], 120, 3.4), "T_K, pressure_bar, epsilon_K and sigma_A"),
    (lambda: lennard.third_virial(300, gas="argon", quantum=True), "quantum"),
    (lambda: lennard.third_virial(300, gas="neon", quantum="exact"), "quantum"),
    (lambda: lennard.second_virial(300, gas="neon", statistics="bose"), "statistics"),
    (lambda: lennard.second_virial(300, gas="neon", quantum="exact", spin=0.5), "spin"),
    (lambda: lennard.second_virial(300, gas="neon", quantum="exact", statistics="bosons"), "statistics"),
    (lambda: lennard.second_virial(300, gas="neon", quantum=3), "quantum"),
    (lambda: lennard.characteristic_temperatures(gas="neon", quantum=2), "quantum"),
    (lambda: lennard.fit([10, 20, 30], [-20, -3, 4], potential="sw:1.5", quantum="exact",
                         molar_mass_g_per_mol=4), "quantum"),
    (lambda: lennard.fit([10, 20, 30], [-20, -3, 4], statistics="bose"), "statistics"),
    (lambda: lennard.third_virial(300, gas="argon", method="quadrature"), "method"),
    # Where B* ~ -exp(epsilon/T) overflows the program refuses the temperature.
    (lambda: lennard.second_virial([300, 0.1], 120, 3.4), "T_K"),
    (lambda: lennard.mixture_second_virial([300, 0.1], ["argon", "krypton"], [0.5, 0.5]), "T_K"),
    (lambda: lennard.mixture_second_virial(300, None, [1.0]), "gases"),
    (lambda: lennard.mixture_second_virial(300, ["argon", "krypton"], [0.3, 0.6]), "mole_fractions"),
    (lambda: lennard.mixture_second_virial(300, ["argon", "Ar"], [0.5, 0.5]), "gases"),
    (lambda: lennard.mixture_second_virial(300, ["ar", "kr", "xe"], [0.2, 0.3, 0.5], kij=0.1), "kij"),
    (lambda: lennard.fit([300, 400, 500], [1.0, 2.0]), "T_K and B_cm3_per_mol"),
    (lambda: lennard.fit([300, 300, 300], [-10.0, -10.0, -10.0]), "T_K, B_cm3_per_mol"),
    (lambda: lennard.gas("unobtainium"), "gas"),
])
def test_bad_arguments_raise_value_error_naming_them(call, argument):
    with pytest.raises(ValueError) as refusal:
        call()
    assert str(refusal.value).startswith(argument)


def test_threads_get_the_values_of_one_thread():
    T = np.linspace(100, 1000, 200_000)
    expected = lennard.second_virial(T, 120, 3.4, potential="mie:14,6")
    results = [None] * 4

    def work(i):
        results[i] = lennard.second_virial(T, 120, 3.4, potential="mie:14,6")

    threads = [threading.Thread(target=work, args=(i,)) for i in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert all(np.array_equal(r, expected) for r in results)


def test_warns_as_the_program_does():
    with pytest.warns(RuntimeWarning, match="at T = 10.0 K the quantum correction exceeds 9% .* hbar\\^2 expansion"):
        lennard.second_virial([10.0, 300.0], gas="helium", quantum=True)
    with pytest.warns(RuntimeWarning, match="at T = 1500.0 K B follows the semiclassical series to hbar\\^4"):
        lennard.second_virial(1500.0, gas="helium-4", quantum="exact")
    with pytest.warns(RuntimeWarning, match="helium-3 is a quantum gas: without quantum=\"exact\""):
        lennard.second_virial(2.0, gas="helium-3")
    # Neon's Boyle temperature lies above what its phase shifts reach (71 K), as the program warns.
    with pytest.warns(RuntimeWarning, match="B follows the semiclassical series to hbar\\^4, which differs"):
        lennard.characteristic_temperatures(gas="neon", quantum="exact")
    with pytest.warns(RuntimeWarning, match="fitted with the quantum correction"):
        lennard.second_virial(300.0, gas="helium")
    with pytest.warns(RuntimeWarning, match="fitted with the quantum correction"):
        lennard.mixture_second_virial(300.0, ["helium", "argon"], [0.5, 0.5])
    with pytest.warns(RuntimeWarning, match="hbar\\^2 expansion is unreliable"):
        assert len(lennard.characteristic_temperatures(gas="helium", quantum=True)["boyle_temperatures_K"]) == 2
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        lennard.second_virial([100.0, 300.0], gas="argon")


def test_quantum_fit_warns_where_its_expansion_fails():
    points = np.loadtxt(SOURCE / "data" / "second_virial" / "helium.dat", comments="#", ndmin=2)
    with pytest.warns(RuntimeWarning, match="hbar\\^2 expansion is unreliable"):
        lennard.fit(points[:, 0], points[:, 1], points[:, 2] if points.shape[1] > 2 else None, quantum=True,
                    molar_mass_g_per_mol=4.0026)


def test_parameters_broadcast_with_T_and_nan_gives_nan():
    T = np.array([[150.0], [np.nan], [600.0]])
    epsilon = np.array([120.0, 90.0, np.nan, 150.0])
    sigma = np.array([3.4, 3.0, 3.4, 3.8])
    for quantity in (lennard.second_virial, lennard.third_virial):
        got = quantity(T, epsilon, sigma)
        assert got.shape == (3, 4)
        for (i, j), value in np.ndenumerate(got):
            if np.isnan(T[i, 0]) or np.isnan(epsilon[j]):
                assert np.isnan(value)
            else:
                assert value == quantity(T[i, 0], epsilon[j], sigma[j])
    with warnings.catch_warnings():
        warnings.simplefilter("error")  # a NaN pressure is no missing gas root
        Z, V = lennard.compressibility(300.0, [1.0, np.nan], 120, [3.4, 3.0])
    assert np.isnan(Z[1]) and np.isnan(V[1]) and Z[0] == lennard.compressibility(300.0, 1.0, 120, 3.4).Z


def test_derivative_is_a_bool():
    for wrong in (1, 0, "yes", None):
        with pytest.raises(TypeError, match="^derivative"):
            lennard.second_virial(300, 120, 3.4, derivative=wrong)
    assert lennard.second_virial(300, 120, 3.4, derivative=np.bool_(True)) == \
        lennard.second_virial(300, 120, 3.4, derivative=True)


def test_condensed_gas_warns_and_gives_nan():
    # Below its critical temperature (126 K) nitrogen at 100 bar is a liquid, above its vapour pressure.
    with pytest.warns(RuntimeWarning, match=r"nitrogen is not a gas between T = 70.0 K and T = 80.0 K \(2 temperatures"):
        Z, V = lennard.compressibility([70.0, 80.0, 300.0], 100.0, gas="nitrogen")
    assert np.isnan(Z[:2]).all() and np.isfinite(Z[2])


def test_no_gas_root_warns_and_gives_nan():
    # Argon-like parameters at 50 bar: the truncated equation has no gas root at 100 K.
    with pytest.warns(RuntimeWarning, match=r"no gas root at T = 100.0 K: Z and V are NaN"):
        Z, V = lennard.compressibility([100.0, 300.0], 50.0, 120.0, 3.4)
    assert np.isnan(Z[0]) and np.isfinite(Z[1])


def test_version_is_the_project_version():
    text = (SOURCE / "CMakeLists.txt").read_text()
    assert f"project(lennard VERSION {lennard.__version__} " in text


def test_fit_covariance_and_p_value():
    """Against the covariance (J^T W J)^-1 with J by central differences of the module's B, and the chi^2
    probability Q(dof/2, chi2/2) by mpmath (mp.dps = 30, regularised upper incomplete gamma)."""
    mpmath = pytest.importorskip("mpmath")
    points = np.loadtxt(SOURCE / "data" / "second_virial" / "argon.dat", comments="#", ndmin=2)
    T, B = points[:, 0], points[:, 1]
    u = 0.5 + 0.02 * np.abs(B)  # uncertainties of our own, to weight the points unequally
    result = lennard.fit(T, B, u)
    e, s = result["epsilon_K"], result["sigma_A"]
    J = np.column_stack([(lennard.second_virial(T, e * (1 + 1e-6), s) - lennard.second_virial(T, e * (1 - 1e-6), s))
                         / (2e-6 * e),
                         (lennard.second_virial(T, e, s * (1 + 1e-6)) - lennard.second_virial(T, e, s * (1 - 1e-6)))
                         / (2e-6 * s)])
    expected = np.linalg.inv(J.T @ (J / u[:, None] ** 2))
    assert result.covariance == pytest.approx(expected, rel=1e-5)
    mpmath.mp.dps = 30
    p = mpmath.gammainc(result["dof"] / 2, result["chi2"] / 2, mpmath.inf, regularized=True)
    assert result.p_value == pytest.approx(float(p), rel=1e-9)
    assert lennard.fit(T, B).p_value is None


def test_threads_keyword_gives_the_values_of_one_thread():
    T = np.linspace(50, 1000, 3001)
    one = lennard.second_virial(T, 120, 3.4, potential="mie:14,6", method="quadrature", threads=1)
    assert np.array_equal(lennard.second_virial(T, 120, 3.4, potential="mie:14,6", method="quadrature", threads=3),
                          one)
    C = lennard.third_virial(T[::100], gas="argon", threads=1)
    assert np.array_equal(lennard.third_virial(T[::100], gas="argon"), C)
    Z = lennard.compressibility(T[::10], 5.0, gas="argon", threads=1)
    assert np.array_equal(lennard.compressibility(T[::10], 5.0, gas="argon"), Z, equal_nan=True)  # NaN: condensed
    quantum = lennard.second_virial(T, gas="neon", quantum=True, derivative=True, threads=1)
    assert np.array_equal(lennard.second_virial(T, gas="neon", quantum=True, derivative=True), quantum)


# The child interrupts itself once its main thread has sat in the compiled loop
# for two looks in a row (its frame on the line that calls _lennard).
INTERRUPTED = """
import linecache, os, signal, sys, threading, time
import numpy as np, lennard
main = threading.get_ident()

def in_the_loop():
    frame = sys._current_frames().get(main)
    return frame is not None and "_lennard." in linecache.getline(frame.f_code.co_filename, frame.f_lineno)

def interrupt():
    seen = 0
    while seen < 2:
        seen = seen + 1 if in_the_loop() else 0
        time.sleep(0.05)
    os.kill(os.getpid(), signal.SIGINT)

threading.Thread(target=interrupt, daemon=True).start()
try:
    # T* = T/120 below 0.005, where C is the direct rule (a millisecond each), not its representation
    lennard.third_virial(np.linspace(0.52, 0.59, 10**6), 120, 3.4)  # minutes of work if not interrupted
except KeyboardInterrupt:
    print("interrupted")
"""


def test_ctrl_c_interrupts_a_long_call():
    child = subprocess.Popen([sys.executable, "-c", INTERRUPTED], stdout=subprocess.PIPE, text=True)
    try:
        out, _ = child.communicate(timeout=120)
    finally:
        child.kill()
    assert out == "interrupted\n"


def test_exact_quantum_b_is_the_programs_to_the_last_bit():
    # The Lennard-Jones helium at 10 K: cheap to prepare at so low a T.
    out = subprocess.run([LENNARD, "--gas", "helium", "--quantum", "exact", "-f", "csv", "-o", "-", "--tmin", "10",
                          "--tmax", "10"], check=True, capture_output=True, text=True).stdout
    header, row = out.splitlines()
    assert header.split(",")[2] == "B_cm3_per_mol"
    assert repr(lennard.second_virial(10.0, gas="helium", quantum="exact")) == row.split(",")[2]


@pytest.mark.parametrize("quantum", [2, "exact"])
def test_compressibility_with_the_quantum_b_is_the_programs(quantum):
    table = program_json("--gas", "helium", "--quantum", str(quantum), "--pressure", "5", "--tmin", "10", "--tmax",
                         "20", "--step", "10")
    Z, V = lennard.compressibility([10.0, 20.0], 5.0, gas="helium", quantum=quantum)
    assert np.array_equal(Z, column(table, "Z")) and np.array_equal(V, column(table, "V_cm3_per_mol"))


def test_helium_from_first_principles_needs_no_method_as_in_the_program():
    # Helium-3 has no series for B: the default is the quadrature, as the program's.
    row = program_json("--gas", "helium-3", "--tmin", "20", "--tmax", "20")["rows"][0]
    assert lennard.second_virial(20.0, gas="helium-3") == row["B_cm3_per_mol"]


def test_exact_quantum_characteristic_temperatures_are_the_programs():
    assert lennard.characteristic_temperatures(gas="helium", quantum="exact") == {
        key: value for key, value in program_json("--gas", "helium", "--quantum", "exact", "--summary").items()
        if key != "searched_T_K"}


def test_warnings_found_in_blocks_are_those_of_one_look():
    # Helium with its correction from 30 to 2000 K: the expansion unreliable in
    # the first block only, outside the fitted range (30 ... 1500 K) in the last
    # ones; found block by block on every core, merged as if seen at once.
    g = lennard.gas("helium")
    T = np.linspace(30.0, 2000.0, 3000)
    model = (g["potential"], g["epsilon_K"], g["sigma_A"], True, g["molar_mass_g_per_mol"], "helium")
    one_look = lennard._lennard.diagnostics(list(T), *model)
    assert [d["kind"] for d in one_look] == ["outside_fitted_range", "quantum_expansion_unreliable"]
    e, s = np.full_like(T, g["epsilon_K"]), np.full_like(T, g["sigma_A"])
    for threads in (1, 2):
        found = lennard._lennard.second_virial(T, e, s, g["potential"], "series", 1, g["molar_mass_g_per_mol"], False,
                                               "helium", threads, False, "", 0.0)[1]
        assert found == one_look
