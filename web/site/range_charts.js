// Per club: the figures as a table (averages ± spread), a gapping chart of carry and
// total, and the landing points with their 95 % ellipse, each club in its own colour.
import { clubStats } from './range_stats.js';

const SVG = 'http://www.w3.org/2000/svg';
const PALETTE = ['#1a5fb4', '#c64600', '#26734d', '#813d9c', '#a51d2d', '#986a44', '#1c71d8', '#5e5c64'];

function el(name, attributes = {}, text = '') {
  const node = document.createElementNS(SVG, name);
  for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, String(value));
  if (text) node.textContent = text;
  return node;
}

export class ClubCharts {
  constructor({ table, gapping, landings }, units) {
    this.table = table;
    this.gapping = gapping;
    this.landings = landings;
    this.units = units;
  }

  render(shots) {
    const stats = clubStats(shots);
    this.renderTable(stats);
    this.renderGapping(stats);
    this.renderLandings(stats);
    return stats;
  }

  renderTable(stats) {
    const u = this.units;
    const d = u.unit('distance');
    const head = ['Club', 'Shots', `Carry (${d})`, `Total (${d})`, `Lateral (${d})`];
    const thead = document.createElement('thead');
    const tr = document.createElement('tr');
    for (const h of head) tr.append(Object.assign(document.createElement('th'), { scope: 'col', textContent: h }));
    thead.append(tr);
    const tbody = document.createElement('tbody');
    for (const s of stats) {
      const row = document.createElement('tr');
      const cells = [s.club, String(s.count),
        `${u.format('distance', s.carry)} ± ${u.format('distance', s.carrySpread)}`,
        `${u.format('distance', s.total)} ± ${u.format('distance', s.totalSpread)}`,
        `${u.format('distance', s.lateral)} ± ${u.format('distance', s.lateralSpread)}`];
      cells.forEach((text, i) => {
        const cell = document.createElement(i === 0 ? 'th' : 'td');
        if (i === 0) cell.scope = 'row';
        else cell.className = 'number';
        cell.textContent = text;
        row.append(cell);
      });
      tbody.append(row);
    }
    if (stats.length === 0) {
      const row = document.createElement('tr');
      const cell = Object.assign(document.createElement('td'), { colSpan: head.length, textContent: 'Name the club of some shots to see them here.' });
      row.append(cell);
      tbody.append(row);
    }
    this.table.replaceChildren(thead, tbody);
  }

  // Bars from the tee: carry solid, total behind it lighter, one row a club.
  renderGapping(stats) {
    const u = this.units;
    const width = 300;
    const rowHeight = 22;
    const height = Math.max(1, stats.length) * rowHeight + 24;
    const max = Math.max(1, ...stats.map((s) => u.value('distance', s.total || s.carry)));
    const svg = el('svg', { viewBox: `0 0 ${width} ${height}`, role: 'img',
      'aria-label': `Gapping: ${stats.map((s) => `${s.club} carry ${u.withUnit('distance', s.carry)}, total ${u.withUnit('distance', s.total)}`).join('; ') || 'no clubs yet'}` });
    const left = 64;
    const scale = (v) => left + (v / max) * (width - left - 8);
    stats.forEach((s, i) => {
      const y = 4 + i * rowHeight;
      svg.append(el('text', { x: left - 4, y: y + 14, 'text-anchor': 'end', 'font-size': 12 }, s.club));
      svg.append(el('rect', { x: left, y: y + 2, width: scale(u.value('distance', s.total)) - left, height: 16, fill: '#b5cdee' }));
      svg.append(el('rect', { x: left, y: y + 2, width: scale(u.value('distance', s.carry)) - left, height: 16, fill: '#1a5fb4' }));
    });
    svg.append(el('text', { x: left, y: height - 4, 'font-size': 12 }, `carry (dark) and total (light), ${u.unit('distance')}`));
    this.gapping.replaceChildren(svg);
  }

  // Landing points, downrange up the chart and lateral across it, with each club's
  // 95 % ellipse.
  renderLandings(stats) {
    const u = this.units;
    const width = 300;
    const height = 260;
    const all = stats.flatMap((s) => s.landings);
    const xMax = Math.max(10, ...all.map((p) => u.value('distance', p.x))) * 1.1;
    const yMax = Math.max(10, ...all.map((p) => Math.abs(u.value('distance', p.y)))) * 1.3;
    const px = (y) => width / 2 + (y / yMax) * (width / 2 - 8);
    const py = (x) => height - 20 - (x / xMax) * (height - 28);
    const svg = el('svg', { viewBox: `0 0 ${width} ${height}`, role: 'img',
      'aria-label': `Landing points of ${all.length} shots by club, with each club's 95 % ellipse` });
    svg.append(el('line', { x1: width / 2, y1: 4, x2: width / 2, y2: height - 20, stroke: '#8a8f98' }));
    svg.append(el('text', { x: 4, y: height - 4, 'font-size': 12 }, `downrange and lateral, ${u.unit('distance')}`));
    stats.forEach((s, i) => {
      const colour = PALETTE[i % PALETTE.length];
      for (const p of s.landings) {
        svg.append(el('circle', { cx: px(u.value('distance', p.y)), cy: py(u.value('distance', p.x)), r: 3, fill: colour }));
      }
      const e = s.ellipse;
      if (e) {
        // The ellipse in metres turned into the chart's axes: downrange is up, lateral across.
        const k = u.value('distance', 1);
        const sxScale = (width / 2 - 8) / yMax;
        const syScale = (height - 28) / xMax;
        const path = [];
        for (let j = 0; j <= 48; ++j) {
          const a = (j / 48) * 2 * Math.PI;
          const dx = e.a * Math.cos(a) * Math.cos(e.angle) - e.b * Math.sin(a) * Math.sin(e.angle);
          const dy = e.a * Math.cos(a) * Math.sin(e.angle) + e.b * Math.sin(a) * Math.cos(e.angle);
          const x = px(u.value('distance', e.cy)) + dy * k * sxScale;
          const y = py(u.value('distance', e.cx)) - dx * k * syScale;
          path.push(`${j === 0 ? 'M' : 'L'}${x.toFixed(1)},${y.toFixed(1)}`);
        }
        svg.append(el('path', { d: `${path.join('')}Z`, fill: 'none', stroke: colour, 'stroke-width': 1.5, 'data-club': s.club }));
      }
      svg.append(el('text', { x: 4, y: 14 + i * 14, 'font-size': 12, fill: colour }, s.club));
    });
    this.landings.replaceChildren(svg);
  }
}
