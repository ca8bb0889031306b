// window.lennard: the program's physics, compiled to WebAssembly, with the
// Python module's functions and keyword names. Every number comes from the
// program's own json writer, so it is the program's to the last bit. Bad
// arguments throw an Error whose message starts with the argument's name
// (error.argument holds it, error.es the program's Spanish sentence).
// await lennard.ready before the first call.
(function () {
  'use strict';

  let core = null;

  // One request to the compiled core, as JSON both ways.
  function call(request) {
    if (core === null) throw new Error('lennard: the module is still loading; await lennard.ready first');
    const text = JSON.stringify(request);
    const size = core.lengthBytesUTF8(text) + 1;
    const pointer = core._malloc(size);
    let answer;
    try {
      core.stringToUTF8(text, pointer, size);
      answer = JSON.parse(core.UTF8ToString(core._lennard_call(pointer)));
    } finally {
      core._free(pointer);
    }
    if (answer !== null && typeof answer === 'object' && answer.error) {
      const error = new Error(answer.error.en);
      error.argument = answer.error.argument;
      error.es = answer.error.es;
      throw error;
    }
    return answer;
  }

  function refuse(argument, message) {
    const error = new Error(argument + ': ' + message);
    error.argument = argument;
    throw error;
  }

  const shown = (value) => (typeof value === 'string' ? "'" + value + "'" : String(value));

  function checkOptions(opts, allowed) {
    if (opts === undefined || opts === null) return {};
    if (typeof opts !== 'object' || Array.isArray(opts)) refuse('opts', 'expected an object of options, got ' + shown(opts));
    for (const key of Object.keys(opts)) {
      if (!allowed.includes(key)) refuse(key, 'not an option here; the options are ' + allowed.join(', '));
    }
    return opts;
  }

  function flag(name, value) {
    if (value === undefined) return false;
    if (typeof value !== 'boolean') refuse(name, 'expected true or false, got ' + shown(value));
    return value;
  }

  function positive(name, value) {
    if (typeof value !== 'number' || !Number.isFinite(value) || !(value > 0)) {
      refuse(name, 'expected a positive finite number, got ' + shown(value));
    }
    return value;
  }

  // Numbers, positive and finite where they are not NaN (NaN gives NaN), and whether one was given alone.
  function positiveArray(name, values) {
    const scalar = !Array.isArray(values) && !ArrayBuffer.isView(values);
    const list = scalar ? [values] : Array.from(values);
    for (const v of list) {
      if (typeof v !== 'number') refuse(name, 'expected numbers, got ' + shown(v));
      if (!Number.isNaN(v) && !(Number.isFinite(v) && v > 0)) refuse(name, 'expected positive finite values, got ' + v);
    }
    return { list, scalar };
  }

  // 0, 1 (true: hbar^2), 2 (adds hbar^4) or 'exact'.
  function quantumOrder(value, highest) {
    if (value === undefined || value === false || value === 0) return 0;
    if (value === true || value === 1) return 1;
    if (value === 2 || value === 'exact') {
      if (highest < 2) refuse('quantum', (value === 2 ? 'order 2' : "'exact'") + ' is computed for a pure gas only, not for mixtures');
      return value;
    }
    return refuse('quantum', "expected false, true, 1, 2 or 'exact', got " + shown(value));
  }

  const METHODS = ['series', 'quadrature', 'trapezoid'];

  // The request's gas: a library gas (with a potential of its fitted models) or epsilon_K, sigma_A, potential.
  function gasModel(opts, quantum) {
    const request = {};
    if (opts.gas !== undefined) {
      if (opts.epsilon_K !== undefined || opts.sigma_A !== undefined) {
        refuse('gas', 'give either gas or epsilon_K and sigma_A, not both');
      }
      if (opts.molar_mass_g_per_mol !== undefined) refuse('molar_mass_g_per_mol', 'the gas sets its own molar mass');
      if (typeof opts.gas !== 'string') refuse('gas', 'expected a gas name, got ' + shown(opts.gas));
      request.gas = opts.gas;
      if (opts.potential !== undefined) request.potential = String(opts.potential);
      return request;
    }
    const potential = opts.potential === undefined ? 'lj' : String(opts.potential);
    request.potential = potential;
    const hardSpheres = potential.trim() === 'hs';
    if (opts.sigma_A === undefined) refuse('sigma_A', 'required (or give gas)');
    request.sigma_A = positive('sigma_A', opts.sigma_A);
    if (opts.epsilon_K === undefined) {
      if (!hardSpheres) refuse('epsilon_K', 'required (or give gas)');
    } else {
      request.epsilon_K = positive('epsilon_K', opts.epsilon_K);
    }
    if (quantum) {
      if (opts.molar_mass_g_per_mol === undefined) refuse('molar_mass_g_per_mol', 'required with quantum (or give gas)');
      request.molar_mass_g_per_mol = positive('molar_mass_g_per_mol', opts.molar_mass_g_per_mol);
    } else if (opts.molar_mass_g_per_mol !== undefined) {
      refuse('molar_mass_g_per_mol', 'used only with quantum');
    }
    return request;
  }

  function method(value) {
    if (value === undefined) return ''; // the potential's exact B, as Python's default
    if (!METHODS.includes(value)) refuse('method', 'expected one of ' + METHODS.join(', ') + ', got ' + shown(value));
    return value;
  }

  function spinStatistics(opts, exact, request) {
    for (const name of ['statistics', 'spin']) {
      if (opts[name] !== undefined && !exact) refuse(name, "used only with quantum: 'exact'");
    }
    if (opts.statistics !== undefined) {
      if (!['bose', 'fermi', 'boltzmann'].includes(opts.statistics)) {
        refuse('statistics', "expected 'bose', 'fermi' or 'boltzmann', got " + shown(opts.statistics));
      }
      request.statistics = opts.statistics;
    }
    if (opts.spin !== undefined) {
      if (typeof opts.spin !== 'number' || !Number.isFinite(opts.spin)) {
        refuse('spin', 'expected a number (0, 0.5, 1, ...), got ' + shown(opts.spin));
      }
      request.spin = opts.spin;
    }
  }

  // The warnings of the last call (the program's diagnostics), also sent to console.warn.
  const api = { warnings: [] };

  function noteWarnings(answer) {
    api.warnings = answer.diagnostics || [];
    for (const d of api.warnings) console.warn('lennard: ' + d.kind + ' (' + JSON.stringify(d) + ')');
  }

  // The column `key` of a table computed at the temperatures given; NaN where T is NaN.
  function column(request, T, key) {
    const computed = T.list.filter((t) => !Number.isNaN(t));
    let values = [];
    if (computed.length > 0) {
      const answer = call(Object.assign({ op: 'table', T_K: computed }, request));
      noteWarnings(answer);
      values = JSON.parse(answer.json).rows.map((row) => (row[key] === null ? NaN : row[key]));
    } else {
      api.warnings = [];
    }
    let next = 0;
    const all = T.list.map((t) => (Number.isNaN(t) ? NaN : values[next++]));
    return T.scalar ? all[0] : all;
  }

  // B in cm^3/mol (dB/dT in cm^3/(mol K) with derivative: true) at T_K, a number or an array.
  api.secondVirial = function (T_K, opts) {
    opts = checkOptions(opts, ['epsilon_K', 'sigma_A', 'potential', 'gas', 'method', 'quantum', 'derivative',
      'molar_mass_g_per_mol', 'statistics', 'spin']);
    const derivative = flag('derivative', opts.derivative);
    const order = quantumOrder(opts.quantum, 2);
    const T = positiveArray('T_K', T_K);
    const request = gasModel(opts, order !== 0);
    spinStatistics(opts, order === 'exact', request);
    request.method = method(opts.method);
    request.quantum = order;
    request.derivative = derivative;
    return column(request, T, derivative ? 'dB_dT_cm3_per_mol_K' : 'B_cm3_per_mol');
  };

  // C in cm^6/mol^2 (dC/dT with derivative: true); C has its own rule and no quantum correction.
  api.thirdVirial = function (T_K, opts) {
    opts = checkOptions(opts, ['epsilon_K', 'sigma_A', 'potential', 'gas', 'method', 'quantum', 'derivative',
      'molar_mass_g_per_mol']);
    const derivative = flag('derivative', opts.derivative);
    if (opts.method !== undefined) {
      refuse('method', 'C has a rule of its own; the methods of B do not apply to it, got ' + shown(opts.method));
    }
    if (opts.quantum) refuse('quantum', 'the first quantum correction is computed for B only, not for C');
    const T = positiveArray('T_K', T_K);
    const request = gasModel(opts, false);
    request.third = true;
    request.derivative = derivative;
    return column(request, T, derivative ? 'dC_dT_cm6_per_mol2_K' : 'C_cm6_per_mol2');
  };

  // {Z, V}: Z = PV/(RT) and the molar volume in cm^3/mol at T_K and pressure_bar (one of them may be an array).
  api.compressibility = function (T_K, pressure_bar, opts) {
    opts = checkOptions(opts, ['epsilon_K', 'sigma_A', 'potential', 'gas', 'method', 'quantum',
      'molar_mass_g_per_mol', 'statistics', 'spin']);
    const T = positiveArray('T_K', T_K);
    const P = positiveArray('pressure_bar', pressure_bar);
    const order = quantumOrder(opts.quantum, 2);
    const request = gasModel(opts, order !== 0);
    spinStatistics(opts, order === 'exact', request);
    request.method = method(opts.method);
    request.quantum = order;
    if (!T.scalar && !P.scalar && T.list.length !== P.list.length) {
      refuse('T_K, pressure_bar', 'expected arrays of one length, got ' + T.list.length + ' and ' + P.list.length);
    }
    const n = T.scalar ? P.list.length : T.list.length;
    const Z = new Array(n).fill(NaN), V = new Array(n).fill(NaN);
    const warnings = [];
    // One table per pressure, as the program computes Z: its temperatures
    // together (the exact quantum B prepares its phase shifts once over them).
    const byPressure = new Map();
    for (let i = 0; i < n; ++i) {
      const t = T.scalar ? T.list[0] : T.list[i];
      const p = P.scalar ? P.list[0] : P.list[i];
      if (Number.isNaN(t) || Number.isNaN(p)) continue;
      if (!byPressure.has(p)) byPressure.set(p, []);
      byPressure.get(p).push(i);
    }
    for (const [p, indices] of byPressure) {
      const temperatures = indices.map((i) => (T.scalar ? T.list[0] : T.list[i]));
      const answer = call(Object.assign({ op: 'table', T_K: temperatures, pressure_bar: p }, request));
      warnings.push(...(answer.diagnostics || []));
      const rows = JSON.parse(answer.json).rows;
      indices.forEach((i, k) => {
        Z[i] = rows[k].Z === null ? NaN : rows[k].Z;
        V[i] = rows[k].V_cm3_per_mol === null ? NaN : rows[k].V_cm3_per_mol;
      });
    }
    noteWarnings({ diagnostics: warnings });
    return T.scalar && P.scalar ? { Z: Z[0], V: V[0] } : { Z, V };
  };

  // B of a mixture of library gases in cm^3/mol (Lorentz-Berthelot, exact series).
  api.mixtureSecondVirial = function (T_K, gases, mole_fractions, kij, opts) {
    opts = checkOptions(opts, ['quantum', 'derivative']);
    const derivative = flag('derivative', opts.derivative);
    const T = positiveArray('T_K', T_K);
    if (!Array.isArray(gases) || gases.some((g) => typeof g !== 'string')) {
      refuse('gases', 'expected an array of gas names, got ' + shown(gases));
    }
    const fractions = Array.isArray(mole_fractions) ? mole_fractions : [mole_fractions];
    if (gases.length === 0 || gases.length !== fractions.length) {
      refuse('mole_fractions', 'expected one per gas (' + gases.length + '), got ' + fractions.length);
    }
    const request = {
      mixture: gases.map((g, i) => [g, fractions[i]]),
      kij: kij === undefined ? 0 : kij,
      quantum: quantumOrder(opts.quantum, 1),
      derivative,
    };
    return column(request, T, derivative ? 'dB_dT_cm3_per_mol_K' : 'B_cm3_per_mol');
  };

  // Boyle, inversion and maximum-of-B temperatures (K) and the maximum of B, as 'lennard --summary -f json'.
  api.characteristicTemperatures = function (opts) {
    opts = checkOptions(opts, ['epsilon_K', 'sigma_A', 'potential', 'gas', 'quantum', 'molar_mass_g_per_mol',
      'statistics', 'spin']);
    const order = quantumOrder(opts.quantum, 2);
    if (order === 2) refuse('quantum', 'order 2 is computed for secondVirial and compressibility only');
    const request = gasModel(opts, order !== 0);
    spinStatistics(opts, order === 'exact', request);
    request.op = 'characteristics';
    request.quantum = order;
    const answer = call(request);
    noteWarnings(answer);
    return JSON.parse(answer.json);
  };

  // Fits epsilon_K and sigma_A to B(T): the keys of 'lennard fit -f json', with covariance and p_value.
  api.fit = function (T_K, B_cm3_per_mol, u_cm3_per_mol, opts) {
    opts = checkOptions(opts, ['potential', 'free_repulsion', 'quantum', 'molar_mass_g_per_mol', 'statistics', 'spin']);
    const T = Array.from(T_K || []);
    const B = Array.from(B_cm3_per_mol || []);
    if (T.length !== B.length || T.length === 0) {
      refuse('T_K and B_cm3_per_mol', 'expected two arrays of one length, got ' + T.length + ' and ' + B.length);
    }
    if (!T.every((t) => typeof t === 'number' && Number.isFinite(t) && t > 0)) {
      refuse('T_K', 'every value must be positive and finite');
    }
    if (!B.every((b) => typeof b === 'number' && Number.isFinite(b))) refuse('B_cm3_per_mol', 'every value must be finite');
    const request = { op: 'fit', T_K: T, B_cm3_per_mol: B, u_cm3_per_mol: null };
    if (u_cm3_per_mol !== undefined && u_cm3_per_mol !== null) {
      const u = Array.from(u_cm3_per_mol);
      if (u.length !== T.length) refuse('u_cm3_per_mol', 'expected ' + T.length + ' values, got ' + u.length);
      if (!u.every((x) => typeof x === 'number' && Number.isFinite(x) && x > 0)) {
        refuse('u_cm3_per_mol', 'every value must be positive and finite');
      }
      request.u_cm3_per_mol = u;
    }
    request.potential = opts.potential === undefined ? 'lj' : String(opts.potential);
    request.free_repulsion = flag('free_repulsion', opts.free_repulsion);
    const order = quantumOrder(opts.quantum, 2);
    if (order === 2) refuse('quantum', 'order 2 is computed for secondVirial and compressibility only');
    if (order !== 0) {
      if (request.free_repulsion) refuse('quantum', 'not with free_repulsion');
      if (opts.molar_mass_g_per_mol === undefined) refuse('molar_mass_g_per_mol', 'required with quantum');
      request.molar_mass_g_per_mol = positive('molar_mass_g_per_mol', opts.molar_mass_g_per_mol);
    } else if (opts.molar_mass_g_per_mol !== undefined) {
      refuse('molar_mass_g_per_mol', 'used only with quantum');
    }
    spinStatistics(opts, order === 'exact', request);
    request.quantum = order;
    const answer = call(request);
    noteWarnings(answer);
    const result = JSON.parse(answer.json);
    result.covariance = answer.covariance;
    result.p_value = answer.p_value;
    return result;
  };

  // The gas library: the keys of the Python module's lennard.gases().
  api.gases = function () {
    return call({ op: 'gases' });
  };

  // For the page: the whole request and answer, csv and json text included.
  api.request = call;

  api.ready = createLennardModule().then((m) => {
    core = m;
    return api;
  });
  window.lennard = api;
})();
