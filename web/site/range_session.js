// The session: every shot the page knows, typed here or pushed by the range, in the
// order they came. Typed shots are kept in the browser's storage. A live shot's club is
// the range's: set or corrected here, it is sent there, and the page shows what the
// history holds.
const SHOTS = 'vendrel-range-shots';
// Where live shots' clubs were once kept in this browser only; dropped when seen.
const OLD_CLUBS = 'vendrel-range-clubs';

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
    this.typed = Array.isArray(typed) ? typed.filter(isShot) : [];
    if (storage.getItem(OLD_CLUBS) !== null) storage.removeItem?.(OLD_CLUBS);
    /** `(id, club)` → the range's answer {id, club}; throws with the reason it was refused. */
    this.remote = null;
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
    this.live = [...stored.map(liveShot), ...newer];
    this.changed(null);
  }

  /** A shot the stream pushed; one the page has already is not added twice. */
  addLive(stored) {
    if (this.live.some((s) => s.id === stored.id)) return null;
    const shot = liveShot(stored);
    this.live.push(shot);
    this.changed(shot);
    return shot;
  }

  /**
   * Names a shot's club (empty: none). A typed shot's is kept here; a live shot's is
   * sent to the range and, once stored, shown as it holds it. When the range refuses,
   * the table shows the stored club again and this throws the reason.
   */
  async setClub(key, club) {
    const shot = this.find(key);
    if (!shot) return;
    if (shot.source === 'typed') {
      shot.club = club.trim();
      this.saveTyped();
      this.changed(null);
      return;
    }
    try {
      if (!this.remote) throw new Error('the range is not connected');
      this.storedClub(await this.remote(shot.id, club));
    } finally {
      this.changed(null);
    }
  }

  /** A club the range stored: its answer to this page, or another page's (the stream's `club` event). */
  storedClub({ id, club }) {
    const shot = this.live.find((s) => s.id === id);
    if (!shot || shot.club === (club ?? '')) return;
    shot.club = club ?? '';
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
