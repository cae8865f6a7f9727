// The session as CSV that `vendrel-flight fit --shots` reads, with the columns and
// conventions of `vendrel-flight history`: model units, the form's side spin (positive
// bends left), and the carry flown as the measured distance.

const HEADER = 'name,speed,angle,side_spin,back_spin,distance';

// RFC 4180: quoted when it holds a comma, a quote or a line break, quotes doubled.
export function csvField(text) {
  return /[",\r\n]/.test(text) ? `"${text.replaceAll('"', '""')}"` : text;
}

// A plain decimal (the reader takes no exponent); what is too small to write is 0.
export function csvNumber(v) {
  const text = String(v);
  if (!/e/i.test(text)) return text;
  const fixed = v.toFixed(20).replace(/\.?0+$/, '');
  return fixed === '-0' || fixed === '' ? '0' : fixed;
}

/** The shots' CSV text, one line a shot, CRLF line ends. */
export function shotsCsv(shots, spinParts) {
  const lines = [HEADER];
  for (const shot of shots) {
    const l = shot.launch;
    const parts = Number.isFinite(l.back_spin) && Number.isFinite(l.side_spin)
      ? { back_spin: l.back_spin, side_spin: l.side_spin }
      : spinParts(l.total_spin, l.spin_axis);
    const name = shot.club || `shot ${shot.id}`;
    const values = [l.speed, l.angle, 0 - parts.side_spin, parts.back_spin, shot.result.carry];
    lines.push([csvField(name), ...values.map(csvNumber)].join(','));
  }
  return `${lines.join('\r\n')}\r\n`;
}

/** Hands the text to the browser as a download. */
export function download(text, name = 'vendrel-shots.csv') {
  const url = URL.createObjectURL(new Blob([text], { type: 'text/csv' }));
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 0);
}
