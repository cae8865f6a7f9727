// The flight model for scripts: window.vendrel on the page, and this module under
// node. Every flight is the command line's: the same checks and messages, the same
// numbers to the last bit.
//
//   import vendrel from './vendrel.js';
//   await vendrel.ready;
//   vendrel.fly({angle: 30, speed: 70});   // as `vendrel-flight --format json` prints it
//   vendrel.trajectory({side_spin: 1500}); // the rows of `vendrel-flight --trajectory`
import { loadCore } from './core.js';

let core = null;

/** Resolves once the module has loaded; from then on every call is synchronous. */
export const ready = loadCore().then((loaded) => {
  core = loaded;
  return vendrel;
});

// Parameters: the keys of the parameter table (angle, speed, side_spin, ...) and
// max_ticks, any subset, numbers or text; the rest keep the form's defaults.
function load(options) {
  if (core === null) throw new Error('vendrel is still loading: await vendrel.ready first');
  if (options === null || typeof options !== 'object') {
    throw new TypeError('vendrel: the parameters are an object, e.g. {angle: 30, speed: 70}');
  }
  core.api.reset();
  for (const [key, value] of Object.entries(options)) {
    if (value === undefined) continue;
    const ok = typeof value === 'number'
      ? core.api.setNumber(key, value)
      : core.api.setText(key, String(value));
    if (!ok) throw new Error(core.message());
  }
}

// JSON has no infinities or NaN: the command line writes null for them.
const json = (v) => (Number.isFinite(v) ? v : null);

/** One flight: {ticks, end, landed, carry, distance, landing: {x, y, z}, apex}. */
export function fly(options = {}) {
  load(options);
  const r = core.api.fly();
  return {
    ticks: r.ticks,
    end: r.end,
    landed: r.landed,
    carry: r.carryChanged ? json(r.carry) : null,
    distance: json(r.distance),
    landing: { x: json(r.landing.x), y: json(r.landing.y), z: json(r.landing.z) },
    apex: json(r.apex),
  };
}

/** The flight row by row: {tick, t, x, y, z, vx, vy, vz}, the launch first. */
export function trajectory(options = {}) {
  load(options);
  const values = core.api.trajectory();
  const columns = core.api.columns;
  const rows = new Array(values.length / columns.length);
  for (let i = 0; i < rows.length; ++i) {
    const row = {};
    for (let c = 0; c < columns.length; ++c) row[columns[c]] = values[i * columns.length + c];
    rows[i] = row;
  }
  return rows;
}

const vendrel = { ready, fly, trajectory };
export default vendrel;
