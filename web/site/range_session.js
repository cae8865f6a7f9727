// The session: every shot the page knows, typed here or pushed by the range, in the
// order they came. Typed shots are kept in the browser's storage; a live shot's club,
// set or corrected here, is kept there too, by the shot's id in the range's history.
const SHOTS = 'vendrel-range-shots';
const CLUBS = 'vendrel-range-clubs';

function readJson(storage, key, fallback) {
  try {
    const value = JSON.parse(storage.getItem(key) ?? 'null');
    return value ?? fallback;
  } catch {
    return fallback;  // a damaged entry is left for the next write to replace
  }
}

// A kept shot the page can show again; anything else in the storage is left out.
const isShot = (s) => s !== null && typeof s === 'object' && Number.isInteger(s.id) && typeof s.key === 'string'
  && typeof s.club === 'string' && s.launch && s.result && Number.isFinite(s.result.carry)
  && s.conditions && typeof s.conditions.values === 'object';

/** A shot of the range's history (GET /shots, the stream's `shot` event) as the page keeps it. */
export function liveShot(stored) {
  const l = stored.launch;
  const values = {};
  for (const [key, value] of Object.entries(stored.conditions ?? {})) {
    if (typeof value === 'number') values[key] = value;
  }
  return {
    key: `live:${stored.id}`,
    source: 'live',
    id: stored.id,
    time: stored.time,
    club: stored.club ?? '',
    device: stored.device ?? '',
    launch: {
      speed: l.speed, angle: l.vertical_angle, direction: l.horizontal_angle,
      total_spin: l.total_spin, spin_axis: l.spin_axis, back_spin: l.back_spin, side_spin: l.side_spin,
    },
    conditions: { values, surface: '' },
    result: { ...stored.result },
  };
}

export class Session {
  constructor(storage = localStorage) {
    this.storage = storage;
    const typed = readJson(storage, SHOTS, []);
    const clubs = readJson(storage, CLUBS, {});
    this.typed = Array.isArray(typed) ? typed.filter(isShot) : [];
    this.clubs = typeof clubs === 'object' && !Array.isArray(clubs) ? clubs : {};
    this.live = [];
    this.listeners = [];
    this.nextNumber = this.typed.reduce((n, s) => Math.max(n, s.id + 1), 1);
  }

  onChange(listener) {
    this.listeners.push(listener);
  }

  changed(shot) {
    for (const listener of this.listeners) listener(shot);
  }

  /** Every shot, live and typed, oldest first. */
  all() {
    return [...this.live, ...this.typed].sort((a, b) => (a.time < b.time ? -1 : a.time > b.time ? 1 : 0));
  }

  find(key) {
    return this.live.find((s) => s.key === key) ?? this.typed.find((s) => s.key === key);
  }

  /** Adds a shot flown here; returns it with its key. */
  addTyped(shot) {
    const id = this.nextNumber++;
    const kept = { ...shot, key: `local:${id}`, source: 'typed', id, time: new Date().toISOString() };
    this.typed.push(kept);
    this.saveTyped();
    this.changed(kept);
    return kept;
  }

  /**
   * Puts the range's history in place (the stream's opening and its resets read it
   * again); pushed shots it does not hold yet, being newer than the reading, stay.
   */
  setLive(stored) {
    const ids = new Set(stored.map((s) => s.id));
    const newer = this.live.filter((s) => !ids.has(s.id));
    this.live = [...stored.map((s) => this.withClub(liveShot(s))), ...newer];
    this.changed(null);
  }

  /** A shot the stream pushed; one the page has already is not added twice. */
  addLive(stored) {
    if (this.live.some((s) => s.id === stored.id)) return null;
    const shot = this.withClub(liveShot(stored));
    this.live.push(shot);
    this.changed(shot);
    return shot;
  }

  withClub(shot) {
    if (Object.hasOwn(this.clubs, shot.key)) shot.club = this.clubs[shot.key];
    return shot;
  }

  setClub(key, club) {
    const shot = this.find(key);
    if (!shot) return;
    shot.club = club.trim();
    if (shot.source === 'typed') {
      this.saveTyped();
    } else {
      this.clubs[key] = shot.club;
      this.storage.setItem(CLUBS, JSON.stringify(this.clubs));
    }
    this.changed(null);
  }

  remove(key) {
    this.typed = this.typed.filter((s) => s.key !== key);
    this.saveTyped();
    this.changed(null);
  }

  clearTyped() {
    this.typed = [];
    this.saveTyped();
    this.changed(null);
  }

  saveTyped() {
    this.storage.setItem(SHOTS, JSON.stringify(this.typed));
  }
}
