// The shot form: a box for each launch value, the air and the wind, named and bounded
// by the parameter table's rows, in the chosen units; the surface; and a club's tour
// average to start from.
import { AIR_KEYS, SHOT_KEYS, WIND_KEYS } from './range_model.js';
import { clubLaunch } from './range_clubs.js';

const capital = (text) => text.charAt(0).toUpperCase() + text.slice(1);

// Up to four decimals, no trailing zeros: how a converted value is shown in its box.
const boxText = (v) => String(Number(v.toFixed(4)));

export class ShotForm {
  /** `form`: the element holding fieldsets #shot-fields, #air-fields, #wind-fields, #surface, #club-average, #club. */
  constructor(form, model, units, clubs) {
    this.form = form;
    this.model = model;
    this.units = units;
    this.clubs = clubs;
    this.inputs = new Map();
    for (const [id, keys] of [['shot-fields', SHOT_KEYS], ['air-fields', AIR_KEYS], ['wind-fields', WIND_KEYS]]) {
      const box = form.querySelector(`#${id}`);
      for (const key of keys) box.append(this.field(key));
    }
    const surface = form.querySelector('#surface');
    for (const name of model.surfaces) surface.append(new Option(capital(name), name));
    const average = form.querySelector('#club-average');
    for (const club of clubs) average.append(new Option(club.name, club.name));
    average.addEventListener('change', () => this.useAverage(average.value));
    this.convertBoxes();
    units.onChange(() => this.convertBoxes());
  }

  field(key) {
    const row = this.model.rows.get(key);
    const wrap = document.createElement('div');
    wrap.className = 'field';
    const label = document.createElement('label');
    label.htmlFor = `f-${key}`;
    const input = document.createElement('input');
    input.id = `f-${key}`;
    input.name = key;
    input.type = 'text';
    input.inputMode = 'decimal';
    input.autocomplete = 'off';
    input.title = row.help;
    input.value = boxText(row.default);
    input.dataset.unitsShown = 'metric';
    wrap.append(label, input);
    this.inputs.set(key, { row, label, input });
    return wrap;
  }

  // Each label with its unit in the chosen system; the box's range as its description.
  labelUnits() {
    for (const { row, label, input } of this.inputs.values()) {
      const unit = this.units.unit(row.key);
      label.textContent = capital(row.label) + (unit ? ` (${unit})` : '');
      input.setAttribute('aria-description', `${boxText(this.units.value(row.key, row.min))} to ${boxText(this.units.value(row.key, row.max))}`);
    }
  }

  convertBoxes() {
    for (const { row, input } of this.inputs.values()) {
      const wasImperial = input.dataset.unitsShown === 'imperial';
      const v = Number(input.value);
      if (input.value.trim() !== '' && Number.isFinite(v) && wasImperial !== this.units.imperial) {
        const model = this.model.toModel(row.key, wasImperial, v);
        input.value = boxText(this.model.fromModel(row.key, this.units.imperial, model));
      }
      input.dataset.unitsShown = this.units.imperial ? 'imperial' : 'metric';
    }
    this.labelUnits();
  }

  /** Fills the shot's boxes with a club's tour average and names the club. */
  useAverage(name) {
    const club = this.clubs.find((c) => c.name === name);
    if (!club) return;
    const launch = clubLaunch(club, this.model);
    for (const key of SHOT_KEYS) {
      this.inputs.get(key).input.value = boxText(this.units.value(key, launch[key]));
    }
    this.form.querySelector('#club').value = club.name;
  }

  /**
   * The shot as the model takes it: {values (model units), surface, club}. Throws an
   * Error naming the box whose text is not a number; the box is marked invalid.
   */
  read() {
    const values = {};
    for (const { row, label, input } of this.inputs.values()) {
      input.removeAttribute('aria-invalid');
      const text = input.value.trim();
      if (text === '') continue;  // the model's default
      const v = Number(text);
      if (!Number.isFinite(v) || !/^[+-]?(\d+\.?\d*|\.\d+)$/.test(text)) {
        input.setAttribute('aria-invalid', 'true');
        input.focus();
        throw new Error(`${label.textContent}: '${text}' is not a number`);
      }
      values[row.key] = this.units.toModel(row.key, v);
    }
    return {
      values,
      surface: this.form.querySelector('#surface').value,
      club: this.form.querySelector('#club').value.trim(),
    };
  }

  /** Marks the box the model's message names (its option, e.g. "--speed"). */
  markRefused(message) {
    for (const { row, input } of this.inputs.values()) {
      if (message.startsWith(`--${row.key.replaceAll('_', '-')}:`)) {
        input.setAttribute('aria-invalid', 'true');
        input.focus();
      }
    }
  }
}
