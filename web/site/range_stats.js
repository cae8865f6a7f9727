// Per club: how many shots, the averages and spreads of carry, total and lateral, and
// where the landing points lie: their 95 % ellipse. Plain numbers, in the model's units.

// χ² with two degrees of freedom at 95 %: −2 ln 0.05. A bivariate normal's points lie
// inside the ellipse of its covariance scaled by this with 95 % probability.
export const CHI2_95 = 5.991464547107979;

export function mean(values) {
  return values.reduce((s, v) => s + v, 0) / values.length;
}

/** The sample standard deviation; 0 for fewer than two values. */
export function spread(values) {
  if (values.length < 2) return 0;
  const m = mean(values);
  return Math.sqrt(values.reduce((s, v) => s + (v - m) ** 2, 0) / (values.length - 1));
}

/**
 * The 95 % ellipse of points [{x, y}]: centre, half axes a ≥ b and the angle of the
 * first (radians from the x axis). Null for fewer than three points, which fix none.
 */
export function ellipse95(points) {
  if (points.length < 3) return null;
  const cx = mean(points.map((p) => p.x));
  const cy = mean(points.map((p) => p.y));
  let sxx = 0;
  let syy = 0;
  let sxy = 0;
  for (const p of points) {
    sxx += (p.x - cx) ** 2;
    syy += (p.y - cy) ** 2;
    sxy += (p.x - cx) * (p.y - cy);
  }
  const n = points.length - 1;
  sxx /= n;
  syy /= n;
  sxy /= n;
  // The covariance's eigenvalues, largest first, and the first's direction.
  const half = (sxx + syy) / 2;
  const root = Math.sqrt(((sxx - syy) / 2) ** 2 + sxy ** 2);
  const l1 = half + root;
  const l2 = Math.max(0, half - root);
  const angle = 0.5 * Math.atan2(2 * sxy, sxx - syy);
  return { cx, cy, a: Math.sqrt(CHI2_95 * l1), b: Math.sqrt(CHI2_95 * l2), angle };
}

/** The shots grouped by club (named ones only), each with its figures; longest carry first. */
export function clubStats(shots) {
  const groups = new Map();
  for (const shot of shots) {
    if (!shot.club) continue;
    if (!groups.has(shot.club)) groups.set(shot.club, []);
    groups.get(shot.club).push(shot);
  }
  const stats = [];
  for (const [club, list] of groups) {
    const of = (key) => list.map((s) => s.result[key]).filter(Number.isFinite);
    const carry = of('carry');
    const total = of('total');
    const lateral = of('lateral');
    stats.push({
      club,
      count: list.length,
      carry: mean(carry),
      carrySpread: spread(carry),
      total: mean(total),
      totalSpread: spread(total),
      lateral: mean(lateral),
      lateralSpread: spread(lateral),
      landings: list.map((s) => ({ x: s.result.carry, y: s.result.lateral })),
      ellipse: ellipse95(list.map((s) => ({ x: s.result.carry, y: s.result.lateral }))),
    });
  }
  return stats.sort((a, b) => b.carry - a.carry);
}
