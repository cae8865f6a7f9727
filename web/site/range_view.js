// The shot drawn as it flies: a side view (downrange and height) and a top view
// (downrange and lateral, the target line along the middle), with distance marks in
// the chosen units, played at the real pace of the flight, its bounces and its roll.
const COLOURS = { flight: '#1a5fb4', bounce: '#c64600', roll: '#26734d' };
const FONT = '12px system-ui, sans-serif';

// A round step for marks: about five across `extent`, in the person's units.
function markStep(extent) {
  for (const step of [5, 10, 25, 50, 100]) if (extent / step <= 7) return step;
  return 100;
}

/** Where a point is `t` seconds after launch, between the points either side. */
export function pointAt(points, t) {
  if (points.length === 0) return null;
  if (t <= points[0].t) return points[0];
  for (let i = 1; i < points.length; ++i) {
    const b = points[i];
    if (b.t < t) continue;
    const a = points[i - 1];
    const f = b.t === a.t ? 1 : (t - a.t) / (b.t - a.t);
    return { t, x: a.x + f * (b.x - a.x), y: a.y + f * (b.y - a.y), z: a.z + f * (b.z - a.z), phase: b.phase, index: i };
  }
  return points[points.length - 1];
}

export class FlightView {
  constructor(side, top, units) {
    this.side = side;
    this.top = top;
    this.units = units;
    this.points = [];
    this.result = null;
    this.started = 0;
    this.frame = 0;
    /** What the views show of the last shot: its carry, total and lateral as flown here. */
    this.drawn = null;
    this.firstDraw = null;
    new ResizeObserver(() => this.draw()).observe(side);
  }

  /** Plays a flown shot ({result, points}) from its launch, or shows it landed. */
  show(flight, { animate = true } = {}) {
    cancelAnimationFrame(this.frame);
    this.points = flight.points;
    this.result = flight.result;
    this.drawn = { carry: flight.result.carry, total: flight.result.total, lateral: flight.result.lateral };
    const end = this.points.length ? this.points[this.points.length - 1].t : 0;
    this.started = performance.now() - (animate ? 0 : end * 1000);
    this.end = end;
    const step = () => {
      this.draw();
      if (this.elapsed() < this.end) this.frame = requestAnimationFrame(step);
    };
    step();
  }

  /** Shows no shot: the views' marks only. */
  clear() {
    cancelAnimationFrame(this.frame);
    this.points = [];
    this.result = null;
    this.drawn = null;
    this.end = 0;
    this.draw();
  }

  elapsed() {
    return (performance.now() - this.started) / 1000;
  }

  /** Whether the shot is still being played. */
  playing() {
    return this.points.length > 0 && this.elapsed() < this.end;
  }

  // The extent of both views in metres: the shot, with room around it.
  frameOf() {
    let xMax = 50;
    let zMax = 10;
    let yMax = 10;
    for (const p of this.points) {
      xMax = Math.max(xMax, p.x);
      zMax = Math.max(zMax, p.z);
      yMax = Math.max(yMax, Math.abs(p.y));
    }
    return { xMax: xMax * 1.08, zMax: zMax * 1.25, yMax: yMax * 1.3 };
  }

  draw() {
    const t = this.elapsed();
    const frame = this.frameOf();
    this.drawView(this.side, frame, t, (p) => p.z, frame.zMax, false);
    this.drawView(this.top, frame, t, (p) => p.y, frame.yMax, true);
    if (this.firstDraw === null) {
      this.firstDraw = performance.now();
      performance.mark('range-first-draw');
    }
  }

  // One view: `across` gives a point's second coordinate, up to ±`acrossMax` (top) or
  // from 0 (side).
  drawView(canvas, frame, t, across, acrossMax, centred) {
    const ratio = window.devicePixelRatio || 1;
    const width = canvas.clientWidth;
    const height = canvas.clientHeight;
    if (width === 0 || height === 0) return;
    if (canvas.width !== Math.round(width * ratio)) canvas.width = Math.round(width * ratio);
    if (canvas.height !== Math.round(height * ratio)) canvas.height = Math.round(height * ratio);
    const g = canvas.getContext('2d');
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    g.clearRect(0, 0, width, height);
    const left = 8;
    const right = width - 8;
    const bottom = centred ? height / 2 : height - 20;
    const topEdge = 8;
    const sx = (x) => left + (x / frame.xMax) * (right - left);
    const sy = centred
      ? (y) => height / 2 + (y / acrossMax) * (height / 2 - 20)  // right of the line is down the screen
      : (z) => bottom - (z / acrossMax) * (bottom - topEdge);

    // The ground or the target line, and the distance marks.
    g.font = FONT;
    g.lineWidth = 1;
    g.strokeStyle = '#8a8f98';
    g.beginPath();
    g.moveTo(left, bottom);
    g.lineTo(right, bottom);
    g.stroke();
    const toUnits = (m) => this.units.value('distance', m);
    const extent = toUnits(frame.xMax);
    const step = markStep(extent);
    g.fillStyle = '#4d5259';
    g.textAlign = 'center';
    g.textBaseline = 'top';
    for (let d = step; d < extent; d += step) {
      const x = sx(this.units.toModel('distance', d));
      g.strokeStyle = '#d0d4da';
      g.beginPath();
      g.moveTo(x, topEdge);
      g.lineTo(x, centred ? height - 4 : bottom);
      g.stroke();
      if (!centred) g.fillText(String(d), x, bottom + 4);
    }
    if (!centred) {
      g.textAlign = 'left';
      g.fillText(this.units.unit('distance'), left, bottom + 4);
    }
    if (this.points.length === 0) return;

    // The path so far, each piece in its phase's colour.
    const now = pointAt(this.points, t);
    const last = now.index ?? this.points.length;
    g.lineWidth = 2;
    for (let i = 1; i < last; ++i) {
      const a = this.points[i - 1];
      const b = this.points[i];
      g.strokeStyle = COLOURS[b.phase] ?? COLOURS.flight;
      g.beginPath();
      g.moveTo(sx(a.x), sy(across(a)));
      g.lineTo(sx(b.x), sy(across(b)));
      g.stroke();
    }
    if (now.index !== undefined) {
      const a = this.points[now.index - 1];
      g.strokeStyle = COLOURS[now.phase] ?? COLOURS.flight;
      g.beginPath();
      g.moveTo(sx(a.x), sy(across(a)));
      g.lineTo(sx(now.x), sy(across(now)));
      g.stroke();
    }
    // The ball, and once it has landed the landing point.
    g.fillStyle = '#111';
    g.beginPath();
    g.arc(sx(now.x), sy(across(now)), 4, 0, 2 * Math.PI);
    g.fill();
    const r = this.result;
    if (r && t >= r.flight_time) {
      const ground = this.points.findIndex((p) => p.phase !== 'flight');
      const landing = this.points[ground > 0 ? ground - 1 : this.points.length - 1];
      g.strokeStyle = '#111';
      g.lineWidth = 1.5;
      g.beginPath();
      g.arc(sx(landing.x), sy(across(landing)), 6, 0, 2 * Math.PI);
      g.stroke();
    }
    // What the shot has come to so far, in the corner: the carry once it lands, the
    // total once it rests.
    if (r && !centred) {
      const said = [];
      if (t >= r.flight_time) said.push(`carry ${this.units.withUnit('distance', r.carry)}`);
      if (t >= this.end) said.push(`total ${this.units.withUnit('distance', r.total)}`);
      g.fillStyle = '#16181b';
      g.textAlign = 'left';
      g.textBaseline = 'top';
      g.fillText(said.join(' · '), left + 4, topEdge + 2);
    }
  }
}
