// The flight model for scripts: window.vendrel on the page, and this module under
// node. Every flight is the command line's: the same checks and messages, the same
// numbers to the last bit.
//
//   import vendrel from './vendrel.js';
//   await vendrel.ready;
//   vendrel.fly({angle: 30, speed: 70});   // as `vendrel-flight --format json` prints it
//   vendrel.trajectory({side_spin: 1500}); // the rows of `vendrel-flight --trajectory`
//   vendrel.fly({model: 'ball', total_spin: 6500, wind_speed: 4}); // `--model ball`
import { loadCore } from './core.js';

let core = null;

/** Resolves once the module has loaded; from then on every call is synchronous. */
export const ready = loadCore().then((loaded) => {
  core = loaded;
  return vendrel;
});

// Parameters: model ('form', the default, or 'ball'), the keys of the parameter table
// (angle, speed, side_spin, ...; each model has its own) and max_ticks (the form's
// only: a ball's flight ends by itself), any subset, numbers or text; the rest keep the
// model's defaults. The model is set first, so its ranges apply whatever the order of
// the keys. The ball model also takes surface
// ('fairway', 'rough', 'green', 'fairway-firm', ...: the ground's constants as a named
// set); a ground constant given with it keeps its own value.
function load(options) {
  if (core === null) throw new Error('vendrel is still loading: await vendrel.ready first');
  if (options === null || typeof options !== 'object') {
    throw new TypeError('vendrel: the parameters are an object, e.g. {angle: 30, speed: 70}');
  }
  core.api.reset();
  const entries = Object.entries(options).filter(([, value]) => value !== undefined);
  entries.sort(([a], [b]) => (b === 'model') - (a === 'model'));
  for (const [key, value] of entries) {
    const ok = typeof value === 'number'
      ? core.api.setNumber(key, value)
      : core.api.setText(key, String(value));
    if (!ok) throw new Error(core.message());
  }
  if (!core.api.check()) throw new Error(core.message());
}

// JSON has no infinities or NaN: the command line writes null for them.
const json = (v) => (Number.isFinite(v) ? v : null);

/**
 * One flight: {ticks, end, landed, carry, distance, landing: {x, y, z}, apex}, and with
 * the ball model also landing_angle, flight_time and lateral, then where the ball came
 * to rest after its bounces and roll: total, roll, rest: {x, y}, bounces and
 * time_to_rest.
 */
export function fly(options = {}) {
  load(options);
  const r = core.api.fly();
  const flight = {
    ticks: r.ticks,
    end: r.end,
    landed: r.landed,
    carry: r.carryChanged ? json(r.carry) : null,
    distance: json(r.distance),
    landing: { x: json(r.landing.x), y: json(r.landing.y), z: json(r.landing.z) },
    apex: json(r.apex),
  };
  if (r.ball) {
    flight.landing_angle = json(r.landingAngle);
    flight.flight_time = json(r.flightTime);
    flight.lateral = json(r.lateral);
    flight.total = json(r.total);
    flight.roll = json(r.roll);
    flight.rest = { x: json(r.rest.x), y: json(r.rest.y) };
    flight.bounces = r.bounces;
    flight.time_to_rest = json(r.timeToRest);
  }
  return flight;
}

/**
 * The flight row by row: {tick, t, x, y, z, vx, vy, vz}, the launch first. With the ball
 * model the rows go on through the bounces and the roll to the rest point, and each has
 * its phase: 'flight', 'bounce' or 'roll'.
 */
export function trajectory(options = {}) {
  load(options);
  const { values, phases } = core.api.trajectoryWithPhases();
  const columns = core.api.columns;
  const rows = new Array(values.length / columns.length);
  for (let i = 0; i < rows.length; ++i) {
    const row = {};
    for (let c = 0; c < columns.length; ++c) row[columns[c]] = values[i * columns.length + c];
    if (phases.length) row.phase = phases[i];
    rows[i] = row;
  }
  return rows;
}

const vendrel = { ready, fly, trajectory };
export default vendrel;
