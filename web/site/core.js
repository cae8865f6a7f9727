// The WebAssembly module and its functions, loaded once for the page and the API.
import createVendrelCore from './vendrel_core.js';

let loading = null;

/** Resolves to the module's functions; every later call gets the same instance. */
export function loadCore() {
  loading ??= createVendrelCore().then(wrap);
  return loading;
}

function wrap(m) {
  const text = (pointer) => m.UTF8ToString(pointer);
  const withString = (name, ret, types) => (...args) => m.ccall(name, ret, types, args);
  const fieldId = withString('vd_page_field_id', 'number', ['string']);
  const phaseNames = m.trajectoryPhases();
  return {
    /** The module itself, for the range page's own functions (web/core/range_exports.cpp). */
    module: m,
    /** The message of the last refusal. */
    message: () => text(m._vd_message()),
    page: {
      setText: withString('vd_page_set_text', null, ['number', 'string']),
      text: (id) => text(m._vd_page_text(id)),
      calculate: () => m._vd_page_calculate(),
      commit: (id) => m._vd_page_commit(id),
      apply: withString('vd_page_apply', 'number', ['number', 'string']),
      defaults: () => m._vd_page_defaults(),
      stop: () => m._vd_page_stop(),
      ticks: (count) => m._vd_page_ticks(count),
      running: () => m._vd_page_running() !== 0,
      carryShown: () => m._vd_page_carry_shown() !== 0,
      fieldId,
      /** The names in links of the values the form has a box for, in the parameter table's order. */
      names: m.parameters().map((p) => p.option).filter((name) => fieldId(name) !== 0),
    },
    surface: {
      width: m._vd_surface_width(),
      height: m._vd_surface_height(),
      /** The pixels as bytes, a view of the module's memory (renewed when it grows). */
      pixels() {
        const size = this.width * this.height * 4;
        return new Uint8ClampedArray(m.HEAPU8.buffer, m._vd_surface_pixels(), size);
      },
      /** [x, y, width, height] of what changed since the last call. */
      dirty() {
        const p = m._vd_surface_dirty() >> 2;
        return Array.from(m.HEAP32.subarray(p, p + 4));
      },
    },
    api: {
      reset: () => m._vd_api_reset(),
      check: () => m._vd_api_check(),
      setNumber: withString('vd_api_set_number', 'number', ['string', 'number']),
      setText: withString('vd_api_set_text', 'number', ['string', 'string']),
      /**
       * The flight: {ticks, end, landed, carryChanged, carry, distance, landing: {x, y, z}, apex,
       * ball}; with ball true also landingAngle, flightTime, lateral, total, roll, rest: {x, y},
       * bounces and timeToRest.
       */
      fly: () => m.apiFly(),
      /** The names of a trajectory row's values, in order. */
      columns: m.trajectoryColumns(),
      /** Every row's values one after the other, `columns.length` per row. */
      trajectory() {
        return this.trajectoryWithPhases().values;
      },
      /**
       * The same values, and the ball model's phase of each row ('flight', 'bounce' or
       * 'roll'; none for the form's model): {values, phases}.
       */
      trajectoryWithPhases() {
        m.apiTrajectory();
        const values = Float64Array.from(m.apiTrajectoryRows());
        const phases = Array.from(m.apiTrajectoryPhaseRows(), (i) => phaseNames[i]);
        m.apiReleaseRows();
        return { values, phases };
      },
    },
  };
}
