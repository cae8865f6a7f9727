// The range page: ties the model, the form, the views, the session and, when a range
// serves the page, its live shots together. Standalone, it flies what is typed; live,
// it also shows every shot the range stores, as it is stored.
import { BallModel, SHOT_KEYS } from './range_model.js';
import { Units } from './range_units.js';
import { loadTourAverages } from './range_clubs.js';
import { Session } from './range_session.js';
import { ShotForm } from './range_form.js';
import { FlightView } from './range_view.js';
import { SessionTable } from './range_table.js';
import { ClubCharts } from './range_charts.js';
import { LiveRange, readHistory, sendClub, yesNo, ago } from './range_live.js';
import { download, shotsCsv } from './range_csv.js';

const $ = (id) => document.getElementById(id);

// The shot's numbers: [label, value of the shot, quantity, decimals].
const NUMBERS = [
  ['Carry', (s) => s.result.carry, 'distance'],
  ['Total', (s) => s.result.total, 'distance'],
  ['Apex', (s) => s.result.apex, 'distance'],
  ['Landing angle', (s) => s.result.landing_angle, 'angle'],
  ['Lateral', (s) => s.result.lateral, 'distance'],
  ['Flight time', (s) => s.result.flight_time, 'dt', 2],
  ['Ball speed', (s) => s.launch.speed, 'speed'],
  ['Launch angle', (s) => s.launch.angle, 'angle'],
  ['Direction', (s) => s.launch.direction, 'direction'],
  ['Total spin', (s) => s.launch.total_spin, 'total_spin', 0],
  ['Spin axis', (s) => s.launch.spin_axis, 'spin_axis'],
];

class RangePage {
  constructor(model, clubs) {
    this.model = model;
    this.units = new Units(model);
    this.session = new Session();
    this.form = new ShotForm($('shot-form'), model, this.units, clubs);
    this.view = new FlightView($('side-view'), $('top-view'), this.units);
    this.table = new SessionTable($('session-table'), this.session, this.units, (shot) => this.show(shot),
      (text) => { $('session-message').textContent = text; });
    this.charts = new ClubCharts({ table: $('club-table'), gapping: $('gapping'), landings: $('landings') }, this.units);
    this.shown = null;
    this.live = null;
    this.clubNames = clubs.map((c) => c.name);

    for (const radio of document.querySelectorAll('input[name=units]')) {
      radio.checked = (radio.value === 'imperial') === this.units.imperial;
      radio.addEventListener('change', () => this.units.set(radio.value === 'imperial'));
    }
    this.units.onChange(() => this.refresh());
    this.session.onChange(() => this.refreshSession());
    $('shot-form').addEventListener('submit', (e) => {
      e.preventDefault();
      this.flyTyped();
    });
    $('export').addEventListener('click', () => download(shotsCsv(this.session.all(), (t, a) => model.spinParts(t, a))));
    $('clear').addEventListener('click', () => this.session.clearTyped());
    this.refresh();
  }

  flyTyped() {
    const message = $('form-message');
    message.textContent = '';
    let shot;
    try {
      const typed = this.form.read();
      const flight = this.model.fly(typed.values, typed.surface);
      const launch = {};
      for (const key of SHOT_KEYS) launch[key] = typed.values[key] ?? this.model.rows.get(key).default;
      Object.assign(launch, this.model.spinParts(launch.total_spin, launch.spin_axis));
      shot = this.session.addTyped({
        club: typed.club, launch, conditions: { values: typed.values, surface: typed.surface }, result: flight.result,
      });
      this.show(shot, flight);
    } catch (e) {
      message.textContent = e.message;
      this.form.markRefused(e.message);
    }
  }

  /** Shows a shot: flies it here for its path (a live one with the range's conditions) and plays it. */
  show(shot, flight = null) {
    if (!shot) return;
    if (flight === null) {
      const { values, surface } = shot.conditions;
      const launch = {};
      for (const key of SHOT_KEYS) launch[key] = shot.launch[key];
      try {
        flight = this.model.fly({ ...values, ...launch }, surface);
      } catch (e) {
        // The values set here may make a ball the model refuses with this shot (too
        // coarse a step for its speed): its numbers are still the shot's, and the
        // previous path is no longer.
        this.shown = shot;
        this.view.clear();
        this.showNumbers(shot);
        const why = `Shot ${shot.source === 'live' ? `#${shot.id}` : shot.id} cannot be drawn: ${e.message}`;
        $('shot-message').textContent = why;
        $('announce').textContent = why;
        return;
      }
    }
    this.shown = shot;
    this.view.show(flight);
    this.showNumbers(shot);
    $('shot-message').textContent = '';
  }

  showNumbers(shot) {
    const list = $('numbers');
    list.replaceChildren();
    if (!shot) return;
    const u = this.units;
    for (const [label, value, quantity, digits = 1] of NUMBERS) {
      const row = document.createElement('div');
      const dt = document.createElement('dt');
      dt.textContent = label;
      const dd = document.createElement('dd');
      dd.dataset.number = label.toLowerCase().replaceAll(' ', '_');
      dd.textContent = u.withUnit(quantity, value(shot), digits);
      row.append(dt, dd);
      list.append(row);
    }
    const r = shot.result;
    const said = `${shot.club ? `${shot.club}: ` : ''}carry ${u.withUnit('distance', r.carry)}, total ${u.withUnit('distance', r.total)}, lateral ${u.withUnit('distance', r.lateral)}`;
    $('side-view').setAttribute('aria-label', `Side view: ${said}, apex ${u.withUnit('distance', r.apex)}`);
    $('top-view').setAttribute('aria-label', `Top view: ${said}`);
    $('announce').textContent = `Shot ${shot.source === 'live' ? `#${shot.id}` : shot.id}: ${said}`;
  }

  refreshSession() {
    this.table.render();
    this.charts.render(this.session.all());
    const names = new Set([...this.clubNames, ...this.session.all().map((s) => s.club).filter(Boolean)]);
    $('club-names').replaceChildren(...[...names].map((name) => new Option(name)));
  }

  refresh() {
    this.refreshSession();
    this.showNumbers(this.shown);
    this.view.draw();
    this.showLive();
  }

  /** Serves as a live page: the history, then the stream. */
  startLive(history) {
    $('live').hidden = false;
    this.session.remote = (id, club) => sendClub(id, club);
    this.session.setLive(history);
    const last = this.session.live[this.session.live.length - 1];
    if (last) this.show(last, null);
    this.live = new LiveRange({
      shot: (stored) => {
        const shot = this.session.addLive(stored);
        if (shot) this.show(shot);
      },
      club: (stored) => this.session.storedClub(stored),
      history: (stored) => this.session.setLive(stored),
      state: () => this.showLive(),
    });
    this.live.start();
    setInterval(() => this.showLive(), 1000);
  }

  showLive() {
    const live = this.live;
    if (!live) return;
    const names = { open: 'Connected to the range', connecting: 'Connecting to the range…', closed: 'Not connected to the range' };
    const connection = $('connection');
    connection.textContent = names[live.connection];
    connection.className = `state-${live.connection}`;
    const items = [];
    for (const [device, m] of live.monitors) {
      const li = document.createElement('li');
      li.textContent = `${device || 'Launch monitor'}: ${yesNo(m.ready, 'ready', 'not ready')}, ball ${yesNo(m.ballDetected, 'detected', 'not detected')}, last heard ${ago(m.heard)}`;
      items.push(li);
    }
    if (items.length === 0) items.push(Object.assign(document.createElement('li'), { textContent: 'No launch monitor heard yet' }));
    $('monitors').replaceChildren(...items);
  }
}

async function start() {
  const [model, clubs, history] = await Promise.all([BallModel.load(), loadTourAverages(), readHistory()]);
  const page = new RangePage(model, clubs);
  if (history) {
    $('mode').textContent = 'Live: shots from the range as they are stored.';
    page.startLive(history);
  } else {
    $('mode').textContent = 'Standalone: type a shot or pick a club, and fly it.';
  }
  window.rangePage = page;
  document.documentElement.dataset.ready = 'true';
}

start().catch((e) => {
  $('mode').textContent = `The range page could not start: ${e.message}`;
});

if ('serviceWorker' in navigator) {
  navigator.serviceWorker.register('sw.js').catch(() => {});
}
