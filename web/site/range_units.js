// Metric or imperial, remembered between visits, and how the page writes a value in
// the chosen system. The conversions themselves are the model's (flight/units.h).
const KEY = 'vendrel-range-units';

export class Units {
  constructor(model, storage = localStorage) {
    this.model = model;
    this.storage = storage;
    this.imperial = storage.getItem(KEY) === 'imperial';
    this.listeners = [];
  }

  set(imperial) {
    this.imperial = imperial;
    this.storage.setItem(KEY, imperial ? 'imperial' : 'metric');
    for (const listener of this.listeners) listener();
  }

  onChange(listener) {
    this.listeners.push(listener);
  }

  /** A model value of `key` ('distance', 'height', 'speed' or a row's key) in the person's units. */
  value(key, v) {
    return this.model.fromModel(key, this.imperial, v);
  }

  toModel(key, v) {
    return this.model.toModel(key, this.imperial, v);
  }

  unit(key) {
    return this.model.unit(key, this.imperial);
  }

  /** "183.4" for a model value of `key`, with `digits` decimals; "–" when not finite. */
  format(key, v, digits = 1) {
    if (v === null || v === undefined || !Number.isFinite(v)) return '–';
    return this.value(key, v).toFixed(digits);
  }

  /** The same with its unit: "183.4 yd". */
  withUnit(key, v, digits = 1) {
    const unit = this.unit(key);
    return unit ? `${this.format(key, v, digits)} ${unit}` : this.format(key, v, digits);
  }
}
