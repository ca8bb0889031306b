// The page: reads the form, asks window.lennard (the program's physics) for
// the table, the characteristic temperatures and the fit, and shows them. A
// refusal goes to #error in the page's language; the table and the plot keep
// the last good result.
(function () {
  'use strict';

  const TEXT = {
    es: {
      lang: 'English', 'lang-name': 'en', title: 'Coeficientes del virial de un gas', 'gas-legend': 'Gas',
      gas: 'Gas de la biblioteca', 'own-gas': 'Vacío: ε, σ y potencial propios.', potential: 'Potencial', sweep: 'Temperaturas',
      tmin: 'T mínima (K)', tmax: 'T máxima (K)', quantities: 'Magnitudes', third: 'C (tercer coeficiente)',
      'z-at': 'Z a la presión', pressure: 'Presión (bar)', treatment: 'Cálculo', method: 'Método',
      series: 'serie exacta', quadrature: 'cuadratura adaptativa', trapezoid: 'regla del trapecio (solo lj)',
      quantum: 'Corrección cuántica', 'quantum-none': 'ninguna', 'quantum-exact': 'exacta (desfases; lenta)',
      mass: 'Masa molar (g/mol)', 'same-as': 'Lo mismo en la línea de órdenes:', download: 'Descargar CSV',
      'fit-title': 'Ajuste de ε y σ a sus medidas',
      'fit-help': 'Una medida por línea: T (K), B (cm3/mol) y, si la tiene, su incertidumbre u (cm3/mol).',
      'fit-run': 'Ajustar',
      boyle: 'Temperatura de Boyle (B = 0)', inversion: 'Temperatura de inversión de Joule-Thomson (B = T dB/dT)',
      'max-T': 'Temperatura del máximo de B', 'max-B': 'Máximo de B', none: 'no existe',
      'sign-changes': 'B cambia de signo a', reference: 'datos de referencia', 'fitted-range': 'intervalo ajustado',
      'not-a-number': (name, text) => name + ": '" + text + "' no es un número.",
      'data-source': 'datos', 'fit-data': 'medidas', 'fit-curve': 'ajuste', residuals: 'residuos (cm3/mol)',
      chi2: 'chi^2', reduced: 'chi^2 reducido', rms: 'residuo cuadrático medio (cm3/mol)', points: 'puntos',
      columns: {
        T_K: 'T (K)', inv_T_per_K: '1/T (1/K)', B_cm3_per_mol: 'B (cm3/mol)', dB_dT_cm3_per_mol_K: 'dB/dT (cm3/(mol K))',
        C_cm6_per_mol2: 'C (cm6/mol2)', dC_dT_cm6_per_mol2_K: 'dC/dT (cm6/(mol2 K))', V_cm3_per_mol: 'V (cm3/mol)',
        Z: 'Z = PV/(RT)', B_classical_cm3_per_mol: 'B clásico (cm3/mol)', B12_cm3_per_mol: 'B12 (cm3/mol)',
      },
    },
    en: {
      lang: 'Español', 'lang-name': 'es', title: 'Virial coefficients of a gas', 'gas-legend': 'Gas',
      gas: 'Library gas', 'own-gas': 'Empty: your own ε, σ and potential.', potential: 'Potential', sweep: 'Temperatures',
      tmin: 'Lowest T (K)', tmax: 'Highest T (K)', quantities: 'Quantities', third: 'C (third coefficient)',
      'z-at': 'Z at the pressure', pressure: 'Pressure (bar)', treatment: 'Computation', method: 'Method',
      series: 'exact series', quadrature: 'adaptive quadrature', trapezoid: 'trapezoid rule (lj only)',
      quantum: 'Quantum correction', 'quantum-none': 'none', 'quantum-exact': 'exact (phase shifts; slow)',
      mass: 'Molar mass (g/mol)', 'same-as': 'The same on the command line:', download: 'Download CSV',
      'fit-title': 'Fit ε and σ to your measurements',
      'fit-help': 'One measurement a line: T (K), B (cm3/mol) and, if it has one, its uncertainty u (cm3/mol).',
      'fit-run': 'Fit',
      boyle: 'Boyle temperature (B = 0)', inversion: 'Joule-Thomson inversion temperature (B = T dB/dT)',
      'max-T': 'Temperature of the maximum of B', 'max-B': 'Maximum of B', none: 'does not exist',
      'sign-changes': 'B changes sign at', reference: 'reference data', 'fitted-range': 'fitted range',
      'not-a-number': (name, text) => name + ": '" + text + "' is not a number",
      'data-source': 'data', 'fit-data': 'measurements', 'fit-curve': 'fit', residuals: 'residuals (cm3/mol)',
      chi2: 'chi^2', reduced: 'reduced chi^2', rms: 'root mean square residual (cm3/mol)', points: 'points',
      columns: {
        T_K: 'T (K)', inv_T_per_K: '1/T (1/K)', B_cm3_per_mol: 'B (cm3/mol)', dB_dT_cm3_per_mol_K: 'dB/dT (cm3/(mol K))',
        C_cm6_per_mol2: 'C (cm6/mol2)', dC_dT_cm6_per_mol2_K: 'dC/dT (cm6/(mol2 K))', V_cm3_per_mol: 'V (cm3/mol)',
        Z: 'Z = PV/(RT)', B_classical_cm3_per_mol: 'classical B (cm3/mol)', B12_cm3_per_mol: 'B12 (cm3/mol)',
      },
    },
  };

  // The program's diagnostics in English, as the Python module words them.
  const WARNINGS_EN = {
    quantum_expansion_unreliable: (d) => where(d) + ' the quantum correction exceeds 9% of |B_classical| (or of b0): ' +
      'the hbar^2 expansion is unreliable there; use the exact quantum B',
    quantum_fit_used_classically: (d) => d.first_principles
      ? d.gas + ' is a quantum gas: without the exact quantum B, B is the classical B of its potential, far from the ' +
        'real one at low temperatures'
      : 'the parameters of ' + d.gas + ' were fitted with the ' + (d.exact_quantum ? 'exact quantum B' : 'quantum correction') +
        '; without it, B drifts from the data at low temperatures',
    exact_continued_by_series: (d) => 'above T = ' + d.range_lo_K + ' K the phase shifts would cost too much; ' + where(d) +
      ' B follows the semiclassical series to hbar^4' + (d.junction_difference_cm3_per_mol === null
        ? ' (what it leaves out is not measured)'
        : ', which differs from the exact B by ' + d.junction_difference_cm3_per_mol + ' cm3/mol at ' + d.range_lo_K +
          ' K, and less above'),
    no_gas_root: (d) => 'at ' + d.pressure_bar + ' bar the virial equation truncated after C has no gas root ' + where(d) +
      ': Z and V are missing there',
    condensed: (d) => 'at ' + d.pressure_bar + ' bar ' + d.gas + ' is not a gas ' + where(d) +
      ': the pressure exceeds its vapour (or sublimation) pressure',
    below_triple_point: (d) => 'at ' + d.pressure_bar + ' bar, ' + where(d) + ', below the triple point of ' + d.gas +
      ', whether it is a gas is not known',
    dense_gas: (d) => 'at ' + d.pressure_bar + ' bar the gas is denser than half the critical density ' + where(d) +
      ': the virial equation truncated after C is unreliable there',
    outside_fitted_range: (d) => 'the parameters of ' + d.gas + ' were fitted to B(T) between ' + d.range_lo_K + ' K and ' +
      d.range_hi_K + ' K; ' + where(d) + ' B is an extrapolation of the model',
  };

  function where(d) {
    if (d.T_lo_K === d.T_hi_K) return 'at T = ' + d.T_lo_K + ' K';
    return 'between T = ' + d.T_lo_K + ' K and T = ' + d.T_hi_K + ' K (' + d.count + ' temperatures)';
  }

  const $ = (id) => document.getElementById(id);
  const state = {
    lang: 'es',
    gases: [],
    reference: {},       // gas name -> {T_K, B_cm3_per_mol}
    gas: null,           // the library gas chosen, if any
    shown: null,         // the last good result: {rows (csv cells), keys, csv, answer, characteristics, gas}
    error: null,         // the refusal on display, re-worded when the language changes
    fitError: null,
    fitShown: null,
    plot: null,
    fitPlot: null,
    residualPlot: null,
  };
  const t = (key) => TEXT[state.lang][key];

  // A refusal of the page's own, in both languages.
  function refusal(es, en) {
    const error = new Error(en);
    error.es = es;
    return error;
  }

  function numberFrom(id, name, englishName) {
    const text = $(id).value.trim();
    const value = text === '' ? NaN : Number(text);
    if (!Number.isFinite(value)) {
      throw refusal(TEXT.es['not-a-number'](name, text), TEXT.en['not-a-number'](englishName, text));
    }
    return value;
  }

  // The form as a request to the physics and as the command that asks the program the same.
  function readForm() {
    const request = {};
    const command = ['lennard'];
    const gas = $('gas').value.trim();
    const potential = $('potential').value.trim();
    if (gas !== '') {
      request.gas = gas;
      command.push('--gas', gas);
      const entry = state.gas;
      if (potential !== '' && (entry === null || potential !== entry.potential)) {
        request.potential = potential;
        command.push('-p', potential);
      }
    } else {
      request.potential = potential === '' ? 'lj' : potential;
      command.push('-p', request.potential);
      if (request.potential !== 'hs') {
        request.epsilon_K = numberFrom('epsilon', 'epsilon/k_B', 'epsilon_K');
        command.push('-e', String(request.epsilon_K));
      }
      request.sigma_A = numberFrom('sigma', 'sigma', 'sigma_A');
      command.push('-s', String(request.sigma_A));
    }
    request.method = $('method').value;
    command.push('-m', request.method);
    const quantum = $('quantum').value;
    request.quantum = quantum === 'exact' ? 'exact' : Number(quantum);
    if (request.quantum !== 0) {
      command.push('--quantum', String(quantum));
      if (gas === '') {
        request.molar_mass_g_per_mol = numberFrom('mass', 'masa molar', 'molar_mass_g_per_mol');
        command.push('--mass', String(request.molar_mass_g_per_mol));
      }
    }
    request.tmin_K = numberFrom('tmin', 'T mínima', 'tmin_K');
    request.tmax_K = numberFrom('tmax', 'T máxima', 'tmax_K');
    if (!(request.tmin_K > 0) || !(request.tmax_K > 0)) {
      throw refusal('las temperaturas deben ser positivas.', 'tmin_K, tmax_K: the temperatures must be positive');
    }
    command.push('--tmin', String(request.tmin_K), '--tmax', String(request.tmax_K));
    request.derivative = $('derivative').checked;
    if (request.derivative) command.push('--derivative');
    request.third = $('third').checked;
    if (request.third) command.push('--third');
    if ($('with-pressure').checked) {
      request.pressure_bar = numberFrom('pressure', 'presión', 'pressure_bar');
      if (!(request.pressure_bar > 0)) {
        throw refusal('la presión debe ser positiva.', 'pressure_bar: the pressure must be positive');
      }
      command.push('--pressure', String(request.pressure_bar));
    }
    command.push('-f', 'csv', '-o', '-');
    return { request, command: command.join(' ') };
  }

  function showError(box, error) {
    box.hidden = error === null;
    box.textContent = error === null ? '' : (state.lang === 'es' && error.es ? 'Error: ' + error.es : 'Error: ' + error.message);
  }

  // Computes and shows the table, the plot and the characteristic temperatures.
  function update() {
    let result;
    try {
      const { request, command } = readForm();
      const answer = lennard.request(Object.assign({ op: 'table' }, request));
      let characteristics = null;
      if (request.quantum !== 2) {
        const asked = Object.assign({}, request, { op: 'characteristics' });
        for (const key of ['method', 'tmin_K', 'tmax_K', 'derivative', 'third', 'pressure_bar']) delete asked[key];
        // They depend on the gas alone, not on the range of T: an edit of T asks for none (with the quantum
        // correction they take a third of a second).
        const key = JSON.stringify(asked);
        if (state.characteristicsKey !== key) {
          try {
            state.characteristics = lennard.request(asked);
          } catch (ignored) {
            state.characteristics = null; // the table's own refusal, if any, has been shown
          }
          state.characteristicsKey = key;
        }
        characteristics = state.characteristics;
      }
      const lines = answer.csv.trimEnd().split('\n');
      result = {
        keys: lines[0].split(','),
        rows: lines.slice(1).map((line) => line.split(',')),
        csv: answer.csv,
        command,
        answer,
        characteristics: characteristics && JSON.parse(characteristics.json),
        gas: state.gas === null ? '' : state.gas.name,
        tmin: request.tmin_K,
        tmax: request.tmax_K,
      };
    } catch (error) {
      state.error = error;
      showError($('error'), error);
      return;
    }
    state.error = null;
    showError($('error'), null);
    state.shown = result;
    render();
    if (state.firstTable === undefined) state.firstTable = performance.now(); // ms since the page began loading
  }

  function renderWarnings() {
    const list = $('warnings');
    list.textContent = '';
    const shown = state.shown;
    if (shown === null) return;
    const lines = state.lang === 'es'
      ? shown.answer.warnings_es.split('\n').filter((line) => line !== '')
      : shown.answer.diagnostics.map((d) => 'Warning: ' + WARNINGS_EN[d.kind](d) + '.');
    for (const line of lines) {
      const item = document.createElement('li');
      item.textContent = line;
      list.appendChild(item);
    }
  }

  function renderTable() {
    const shown = state.shown;
    const names = t('columns');
    const head = '<tr>' + shown.keys.map((k) => '<th data-key="' + k + '" title="' + k + '">' + (names[k] || k) + '</th>').join('') + '</tr>';
    // A value that does not exist (no gas root) is "nan" in the csv: shown as a dash.
    const body = shown.rows.map((cells) => '<tr>' + cells.map((c) => '<td>' + (c === 'nan' || c === '-nan' ? '—' : c) + '</td>').join('') + '</tr>').join('');
    $('results').tHead.innerHTML = head;
    $('results').tBodies[0].innerHTML = body;
  }

  function kelvin(value, unit) {
    return value === null ? t('none') : value + ' ' + unit;
  }

  function renderCharacteristics() {
    const box = $('characteristics');
    box.textContent = '';
    const c = state.shown.characteristics;
    if (c === null) return;
    const items = [[t('boyle'), kelvin(c.boyle_temperature_K, 'K')], [t('inversion'), kelvin(c.inversion_temperature_K, 'K')],
      [t('max-T'), kelvin(c.max_B_temperature_K, 'K')], [t('max-B'), kelvin(c.max_B_cm3_per_mol, 'cm3/mol')]];
    if (c.boyle_temperatures_K.length > 1) items.push([t('sign-changes'), c.boyle_temperatures_K.join(' K, ') + ' K']);
    for (const [name, value] of items) {
      const dt = document.createElement('dt');
      dt.textContent = name;
      const dd = document.createElement('dd');
      dd.textContent = value;
      box.append(dt, dd);
    }
  }

  // The plot's data: the table's T and B, and the gas's reference points within the table's range.
  function plotData() {
    const shown = state.shown;
    const iT = shown.keys.indexOf('T_K');
    const iB = shown.keys.indexOf('B_cm3_per_mol');
    const points = new Map();
    for (const cells of shown.rows) points.set(Number(cells[iT]), [Number(cells[iB]), null]);
    const reference = shown.gas ? state.reference[shown.gas] : null;
    if (reference) {
      reference.T_K.forEach((T, i) => {
        if (T < shown.tmin || T > shown.tmax) return;
        const at = points.get(T) || [null, null];
        at[1] = reference.B_cm3_per_mol[i];
        points.set(T, at);
      });
    }
    const x = Array.from(points.keys()).sort((a, b) => a - b);
    return [x, x.map((T) => points.get(T)[0]), x.map((T) => points.get(T)[1])];
  }

  // Vertical marks at the Boyle and inversion temperatures, and the fitted range shaded.
  function drawMarks(u) {
    const shown = state.shown;
    if (shown === null) return;
    const ctx = u.ctx;
    const { top, height } = u.bbox;
    ctx.save();
    const entry = shown.gas ? state.gases.find((g) => g.name === shown.gas) : null;
    if (entry && entry.fit_range_K) {
      const x0 = u.valToPos(Math.max(entry.fit_range_K[0], u.scales.x.min), 'x', true);
      const x1 = u.valToPos(Math.min(entry.fit_range_K[1], u.scales.x.max), 'x', true);
      if (x1 > x0) {
        ctx.fillStyle = 'rgba(60, 140, 60, 0.08)';
        ctx.fillRect(x0, top, x1 - x0, height);
        ctx.fillStyle = 'rgba(40, 110, 40, 0.9)';
        ctx.font = 12 * devicePixelRatio + 'px sans-serif';
        ctx.fillText(t('fitted-range'), x0 + 4, top + height - 6);
      }
    }
    const c = shown.characteristics;
    const marks = c ? [[c.boyle_temperature_K, 'T_Boyle', '#c33'], [c.inversion_temperature_K, 'T_inv', '#36c']] : [];
    ctx.font = 12 * devicePixelRatio + 'px sans-serif';
    for (const [T, name, colour] of marks) {
      if (T === null || T < u.scales.x.min || T > u.scales.x.max) continue;
      const x = u.valToPos(T, 'x', true);
      ctx.strokeStyle = colour;
      ctx.fillStyle = colour;
      ctx.setLineDash([6, 4]);
      ctx.beginPath();
      ctx.moveTo(x, top);
      ctx.lineTo(x, top + height);
      ctx.stroke();
      ctx.fillText(name + ' = ' + T.toPrecision(5) + ' K', x + 4, top + 14 * devicePixelRatio);
    }
    // B = 0
    const y0 = u.valToPos(0, 'y', true);
    if (y0 > top && y0 < top + height) {
      ctx.strokeStyle = '#999';
      ctx.setLineDash([]);
      ctx.beginPath();
      ctx.moveTo(u.bbox.left, y0);
      ctx.lineTo(u.bbox.left + u.bbox.width, y0);
      ctx.stroke();
    }
    ctx.restore();
  }

  function plotSize(box) {
    return { width: Math.max(320, box.clientWidth || 640), height: 340 };
  }

  function renderPlot() {
    const data = plotData();
    if (state.plot === null) {
      const box = $('plot');
      state.plot = new uPlot(Object.assign(plotSize(box), {
        scales: { x: { time: false } },
        axes: [{ label: 'T (K)' }, { label: 'B (cm3/mol)', size: 70 }],
        series: [{ label: 'T (K)' }, { label: 'B', stroke: '#234', width: 2, spanGaps: true, points: { show: false } },
          { label: t('reference'), stroke: '#d70', paths: () => null, points: { show: true, size: 6, fill: '#d70' } }],
        hooks: { draw: [drawMarks] },
      }), data, box);
      window.addEventListener('resize', () => state.plot.setSize(plotSize(box)));
    } else {
      state.plot.setData(data);
    }
    relabel(state.plot, [null, 'B', t('reference')]);
  }

  // uPlot keeps the legend's labels it was made with: the language switch renames them.
  function relabel(plot, labels) {
    const cells = plot.root.querySelectorAll('.u-legend .u-series .u-label');
    labels.forEach((label, i) => {
      if (label !== null && cells[i]) cells[i].textContent = label;
    });
  }

  function render() {
    document.documentElement.lang = state.lang;
    for (const element of document.querySelectorAll('[data-i18n]')) element.textContent = t(element.dataset.i18n);
    $('lang').textContent = t('lang');
    $('lang').lang = t('lang-name');
    showError($('error'), state.error);
    showError($('fit-error'), state.fitError);
    if (state.shown !== null) {
      renderWarnings();
      renderTable();
      renderCharacteristics();
      $('command').textContent = state.shown.command;
      $('download-csv').href = 'data:text/csv;charset=utf-8,' + encodeURIComponent(state.shown.csv);
      renderPlot();
    }
    if (state.fitShown !== null) renderFit();
  }

  // A library gas fixes epsilon/k_B, sigma and the mass; its potential may be another of its fitted models.
  // A name or alias the library does not know leaves the form as it is; the table's refusal says so.
  function chooseGas() {
    const typed = $('gas').value.trim();
    let entry = null;
    if (typed !== '') {
      try {
        entry = lennard.request({ op: 'gas', gas: typed });
      } catch (unknown) {
        entry = null;
      }
    }
    const changed = entry !== null && (state.gas === null || state.gas.name !== entry.name);
    state.gas = entry;
    for (const id of ['epsilon', 'sigma', 'mass']) $(id).disabled = typed !== '';
    if (changed) {
      const gas = entry.name;
      $('potential').value = entry.potential;
      $('epsilon').value = String(entry.epsilon_K);
      $('sigma').value = String(entry.sigma_A);
      $('mass').value = String(entry.molar_mass_g_per_mol);
      // What the program takes for the gas: its exact B (helium from first principles has no series, only
      // the quadrature) and, where its parameters were fitted with it, the first quantum correction.
      $('method').value = /^he3?-abinitio$/.test(entry.potential) ? 'quadrature' : 'series';
      $('quantum').value = entry.fitted_with_quantum_correction ? '1' : '0';
      // From about epsilon/k_B, where B is well negative, past the inversion temperature (some 6.4 epsilon/k_B
      // for Lennard-Jones), in 100 steps of a round size.
      const tmin = Math.max(1, Math.round(entry.epsilon_K / 10) * 10);
      $('tmin').value = String(tmin);
      $('tmax').value = String(tmin + 100 * Math.max(1, Math.ceil((8 * entry.epsilon_K - tmin) / 100)));
      if (!(gas in state.reference)) state.reference[gas] = lennard.request({ op: 'reference', gas });
    }
  }

  // The fit of the pasted (or uploaded) data, through the program's reader of data files.
  function runFit() {
    try {
      const answer = lennard.request({ op: 'fit', text: $('fit-data').value, source: t('data-source'),
        potential: $('fit-potential').value.trim() || 'lj' });
      state.fitShown = { answer, result: JSON.parse(answer.json) };
      state.fitError = null;
    } catch (error) {
      state.fitError = error;
    }
    render();
  }

  function renderFit() {
    const { answer, result } = state.fitShown;
    const box = $('fit-results');
    box.textContent = '';
    const items = [['epsilon/k_B (K)', answer.epsilon_text], ['sigma (Å)', answer.sigma_text], [t('potential'), result.potential],
      [t('chi2'), String(result.chi2)], [t('reduced'), String(result.reduced_chi2)], [t('rms'), String(result.rms_cm3_per_mol)],
      [t('points'), String(result.points.length)]];
    for (const [name, value] of items) {
      const dt = document.createElement('dt');
      dt.textContent = name;
      const dd = document.createElement('dd');
      dd.textContent = value;
      box.append(dt, dd);
    }
    // Data and curve on one axis of T: the union of both, each null where it has no value.
    const points = new Map();
    answer.curve.T_K.forEach((T, i) => points.set(T, [answer.curve.B_cm3_per_mol[i], null]));
    result.points.forEach((p) => {
      const at = points.get(p.T_K) || [null, null];
      at[1] = p.B_cm3_per_mol;
      points.set(p.T_K, at);
    });
    const x = Array.from(points.keys()).sort((a, b) => a - b);
    const data = [x, x.map((T) => points.get(T)[0]), x.map((T) => points.get(T)[1])];
    const residuals = [result.points.map((p) => p.T_K), result.points.map((p) => p.residual_cm3_per_mol)];
    const order = residuals[0].map((_, i) => i).sort((a, b) => residuals[0][a] - residuals[0][b]);
    const sorted = [order.map((i) => residuals[0][i]), order.map((i) => residuals[1][i])];
    if (state.fitPlot === null) {
      state.fitPlot = new uPlot(Object.assign(plotSize($('fit-plot')), {
        scales: { x: { time: false } },
        axes: [{ label: 'T (K)' }, { label: 'B (cm3/mol)', size: 70 }],
        series: [{ label: 'T (K)' }, { label: t('fit-curve'), stroke: '#234', width: 2, spanGaps: true, points: { show: false } },
          { label: t('fit-data'), stroke: '#d70', paths: () => null, points: { show: true, size: 6, fill: '#d70' } }],
      }), data, $('fit-plot'));
      state.residualPlot = new uPlot(Object.assign(plotSize($('fit-residuals')), { height: 180,
        scales: { x: { time: false } },
        axes: [{ label: 'T (K)' }, { label: t('residuals'), size: 70 }],
        series: [{ label: 'T (K)' }, { label: t('residuals'), stroke: '#a33', paths: () => null, points: { show: true, size: 6, fill: '#a33' } }],
      }), sorted, $('fit-residuals'));
    } else {
      state.fitPlot.setData(data);
      state.residualPlot.setData(sorted);
    }
    relabel(state.fitPlot, [null, t('fit-curve'), t('fit-data')]);
    relabel(state.residualPlot, [null, t('residuals')]);
  }

  async function start() {
    await lennard.ready;
    state.gases = lennard.gases();
    const names = $('gas-names');
    for (const g of state.gases) {
      const option = document.createElement('option');
      option.value = g.name;
      option.textContent = g.formula;
      names.appendChild(option);
    }
    chooseGas();
    update();
    $('gas').addEventListener('input', () => {
      chooseGas();
      update();
    });
    for (const id of ['potential', 'epsilon', 'sigma', 'tmin', 'tmax', 'pressure', 'mass']) $(id).addEventListener('input', update);
    for (const id of ['derivative', 'third', 'with-pressure', 'method', 'quantum']) $(id).addEventListener('change', update);
    $('lang').addEventListener('click', () => {
      state.lang = state.lang === 'es' ? 'en' : 'es';
      render();
    });
    // The fit panel starts with argon's reference data.
    const argon = state.reference.argon;
    $('fit-data').value = argon.T_K.map((T, i) => T + ' ' + argon.B_cm3_per_mol[i]).join('\n') + '\n';
    $('fit-run').addEventListener('click', runFit);
    $('fit-file').addEventListener('change', () => {
      const file = $('fit-file').files[0];
      if (!file) return;
      file.text().then((text) => {
        $('fit-data').value = text;
        runFit();
      });
    });
    setTimeout(runFit, 0);
    document.body.dataset.ready = 'true';
  }

  // For users' scripts and the tests: the state on display.
  window.lennardPage = { state, update, runFit };
  start();
})();
