// The range's live side, when the page is served by `vendrel-flight range --http-port`:
// the history the database holds (GET shots), then every new shot and every status of
// the launch monitors pushed over Server-Sent Events (shots/stream). The browser
// reconnects by itself and sends the last shot's id; a `reset`, or the stream opening
// again, means read the history again. A live shot's club is set on the range (PUT
// shots/{id}/club), which tells every open page (`club` events).

/** Whether the page's server is a range: its `shots` answers with the history. */
export async function readHistory(fetchFn = fetch) {
  try {
    const response = await fetchFn('shots', { headers: { Accept: 'application/json' }, cache: 'no-store' });
    if (!response.ok || !(response.headers.get('Content-Type') ?? '').includes('json')) return null;
    const shots = await response.json();
    return Array.isArray(shots) ? shots : null;
  } catch {
    return null;
  }
}

/**
 * Sets a stored shot's club on the range (empty: none); resolves with what it stored,
 * {id, club}, or throws with the range's reason.
 */
export async function sendClub(id, club, fetchFn = fetch) {
  const failed = (why) => new Error(`The club of shot #${id} was not stored: ${why}`);
  let response;
  try {
    response = await fetchFn(`shots/${id}/club`, {
      method: 'PUT', headers: { 'Content-Type': 'text/plain; charset=utf-8' }, body: club, cache: 'no-store',
    });
  } catch {
    throw failed('the range cannot be reached');
  }
  if (!response.ok) throw failed((await response.text().catch(() => '')).trim() || `HTTP ${response.status}`);
  return response.json();
}

export class LiveRange {
  /** `on`: {shot(stored), club({id, club}), history(stored[]), state()} */
  constructor(on) {
    this.on = on;
    this.connection = 'connecting';
    /** device → {ready, ballDetected, heard (ms since the epoch, this browser's clock)} */
    this.monitors = new Map();
    this.source = null;
    /** The club events heard by each reading of the history still on its way. */
    this.reading = new Set();
  }

  start() {
    const source = new EventSource('shots/stream');
    this.source = source;
    // The history is read again each time the stream opens: a shot stored between
    // the first reading and the stream's start (or while it was away) is in it.
    source.addEventListener('open', () => {
      this.setConnection('open');
      this.reread();
    });
    source.addEventListener('error', () => {
      this.setConnection(source.readyState === EventSource.CLOSED ? 'closed' : 'connecting');
    });
    source.addEventListener('shot', (e) => {
      try {
        this.on.shot(JSON.parse(e.data));
      } catch {
        // one event that cannot be read does not stop the others
      }
    });
    source.addEventListener('club', (e) => {
      let club;
      try {
        club = JSON.parse(e.data);
      } catch {
        return;  // as with shots
      }
      for (const heard of this.reading) heard.push(club);
      this.on.club(club);
    });
    source.addEventListener('monitor', (e) => {
      let status;
      try {
        status = JSON.parse(e.data);
      } catch {
        return;
      }
      // When the range last heard it: a stream that opens is sent each monitor's last
      // state, which may be old.
      const heard = Date.parse(status.time ?? '');
      this.monitors.set(status.device ?? '', {
        ready: status.ready ?? null,
        ballDetected: status.ball_detected ?? null,
        heard: Number.isFinite(heard) ? Math.min(heard, Date.now()) : Date.now(),
      });
      this.on.state();
    });
    source.addEventListener('reset', () => this.reread());
  }

  // A club set while the history was on its way may be older in it than the event
  // that told of it: such clubs are applied again over the history.
  async reread() {
    const heard = [];
    this.reading.add(heard);
    const history = await readHistory();
    this.reading.delete(heard);
    if (!history) return;
    this.on.history(history);
    for (const club of heard) this.on.club(club);
  }

  setConnection(state) {
    this.connection = state;
    this.on.state();
  }

  close() {
    this.source?.close();
  }
}

/** "ready", "not ready" or "unknown" of a status value. */
export function yesNo(value, yes, no) {
  return value === true ? yes : value === false ? no : 'unknown';
}

/** How long ago `ms` was, as a person reads it: "4 s ago", "3 min ago". */
export function ago(ms, now = Date.now()) {
  const s = Math.max(0, Math.round((now - ms) / 1000));
  return s < 120 ? `${s} s ago` : `${Math.round(s / 60)} min ago`;
}
