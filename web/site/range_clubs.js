// The clubs' tour averages, read from the example table the build puts on the site
// (docs/examples/tour-averages.csv: mph, degrees, rpm, yards).

/** The table's rows as {name, speed, angle, back_spin} in its own units; comment lines skipped. */
export function parseTourAverages(text) {
  const lines = text.split(/\r?\n/).filter((line) => line.trim() !== '' && !line.startsWith('#'));
  if (lines.length === 0) return [];
  const header = lines[0].split(',').map((h) => h.trim());
  const column = (name) => header.indexOf(name);
  const at = { name: column('name'), speed: column('speed'), angle: column('angle'), back_spin: column('back_spin') };
  if (Object.values(at).some((i) => i < 0)) return [];
  const clubs = [];
  for (const line of lines.slice(1)) {
    const cells = line.split(',');
    const club = { name: cells[at.name].trim() };
    for (const key of ['speed', 'angle', 'back_spin']) club[key] = Number(cells[at[key]]);
    if (club.name && ['speed', 'angle', 'back_spin'].every((k) => Number.isFinite(club[k]))) clubs.push(club);
  }
  return clubs;
}

/** The clubs of the site's table; none when it cannot be read. */
export async function loadTourAverages(url = 'tour-averages.csv') {
  try {
    const response = await fetch(url);
    return response.ok ? parseTourAverages(await response.text()) : [];
  } catch {
    return [];
  }
}

/** A club's average as the ball's launch values in the model's units: the spin is all back spin. */
export function clubLaunch(club, model) {
  return {
    speed: model.toModel('speed', true, club.speed),
    angle: club.angle,
    direction: 0,
    total_spin: club.back_spin,
    spin_axis: 0,
  };
}
