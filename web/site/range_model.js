// The ball model for the range page: the rows of the parameter table the page shows,
// their units, and one shot flown in the module with its bounces and roll. Values go
// in and come out in the model's units (m, m/s, deg, rpm, °C).
import { loadCore } from './core.js';

// The rows the page's form has a box for, in its order: the shot, the air, the wind.
export const SHOT_KEYS = ['speed', 'angle', 'direction', 'total_spin', 'spin_axis'];
export const AIR_KEYS = ['temperature', 'altitude', 'humidity'];
export const WIND_KEYS = ['wind_speed', 'wind_direction'];

export class BallModel {
  /** Resolves to the model once the module has loaded. */
  static async load() {
    const core = await loadCore();
    return new BallModel(core.module);
  }

  constructor(module) {
    this.m = module;
    /** key → {key, label, help, unit, unitImperial, min, max, default}, model units. */
    this.rows = new Map(module.rangeParameters().map((row) => [row.key, row]));
    this.surfaces = module.rangeSurfaces();
    this.phases = module.trajectoryPhases();
  }

  /** `v` of `key` (a row's key, or 'distance', 'height', 'speed') from the person's units. */
  toModel(key, imperial, v) {
    return this.m.rangeConvert(key, imperial, true, v);
  }

  fromModel(key, imperial, v) {
    return this.m.rangeConvert(key, imperial, false, v);
  }

  unit(key, imperial) {
    return this.m.rangeUnit(key, imperial);
  }

  /** Back and side spin of a total spin about its axis, as the range derives them. */
  spinParts(total, axis) {
    return this.m.rangeSpinParts(total, axis);
  }

  /**
   * Flies `values` (keys of the ball's rows, model units) on `surface`. Returns
   * {result, points} with points as {t, x, y, z, phase} (phase 'flight', 'bounce',
   * 'roll'); throws an Error with the command line's message when refused.
   */
  fly(values, surface = '') {
    const result = this.m.rangeShot(values, surface);
    if (result.message !== undefined) throw new Error(result.message);
    const flat = this.m.rangePoints();
    const points = new Array(flat.length / 5);
    for (let i = 0; i < points.length; ++i) {
      const at = i * 5;
      points[i] = { t: flat[at], x: flat[at + 1], y: flat[at + 2], z: flat[at + 3], phase: this.phases[flat[at + 4]] };
    }
    return { result, points };
  }
}
