// The JavaScript API under node: the golden flights to the last bit, the command
// line's own output for the same values, and its refusals.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { DATA, SITE, goldenRuns, hexDouble, runFlight } from './support.mjs';

const { default: vendrel } = await import(join(SITE, 'vendrel.js'));
await vendrel.ready;

// The golden inputs use the API's own keys.
const same = (actual, expected, what) =>
  assert.ok(Object.is(actual, expected), `${what}: ${actual} is not ${expected}`);

test('golden flights, bit for bit', async () => {
  for (const run of await goldenRuns()) {
    const out = run.outputs;
    const flight = vendrel.fly(run.inputs);
    assert.equal(flight.ticks, out.ticks, run.name);
    same(flight.carry, hexDouble(out.carry.hex), `${run.name} carry`);
    same(flight.distance, hexDouble(out.distance.hex), `${run.name} distance`);
    ['x', 'y', 'z'].forEach((c, i) =>
      same(flight.landing[c], hexDouble(out.landing_pos[i].hex), `${run.name} landing ${c}`));
    same(flight.apex, hexDouble(out.apex_pos.hex), `${run.name} apex`);

    const rows = vendrel.trajectory(run.inputs);
    assert.equal(rows.length, out.ticks + 1, run.name);
    ['vx', 'vy', 'vz'].forEach((c, i) =>
      same(rows[0][c], hexDouble(out.launch_vel[i].hex), `${run.name} launch ${c}`));
    ['x', 'y', 'z'].forEach((c, i) =>
      same(rows[out.ticks][c], hexDouble(out.landing_posnext[i].hex), `${run.name} last ${c}`));
  }
});

// Options as the command line spells them, and as the API does.
const SHOTS = [
  [{}, {}],
  [{ angle: 30, speed: 70, 'side-spin': 1500 }, { angle: 30, speed: 70, side_spin: 1500 }],
  [{ angle: 90, 'max-ticks': 50 }, { angle: 90, max_ticks: 50 }],
  [{ mass: 0 }, { mass: 0 }],  // a flight whose height is not a number
  [{ angle: 0, speed: 0 }, { angle: 0, speed: 0 }],
  [{ 'back-spin': -100000, k: 10, 'k-prime': 0, dt: 0.1 }, { back_spin: '-100000', k: 10, k_prime: 0, dt: 0.1 }],
];

test('fly() is what --format json prints', () => {
  for (const [cli, api] of SHOTS) {
    let printed;
    try {
      printed = runFlight(cli, '--format', 'json');
    } catch (e) {
      printed = e.stdout;  // exit status 3: the tick bound
    }
    assert.deepEqual(vendrel.fly(api), JSON.parse(printed), JSON.stringify(api));
  }
});

// The launch's sine and cosine are the program's own, so no angle flies differently
// here: a C library's sin and cos would miss the last bit at some of them.
test("every 0.1° and 0.01° angle flies as the desktop's sweep flies it", () => {
  for (const range of ['0:90:0.1', '30:31:0.01']) {
    const [header, ...lines] = runFlight({}, 'sweep', '--angle', range).toString().trim().split('\n');
    const column = Object.fromEntries(header.split(',').map((name, i) => [name, i]));
    for (const line of lines) {
      const row = line.split(',');
      const flight = vendrel.fly({ angle: row[column.angle] });
      const what = `angle ${row[column.angle]}`;
      assert.equal(flight.ticks, Number(row[column.ticks]), what);
      for (const key of ['distance', 'apex']) same(flight[key], Number(row[column[key]]), `${what} ${key}`);
      same(flight.landing.y, Number(row[column.lateral]), `${what} lateral`);
    }
  }
});

test('trajectory() gives the rows of --trajectory', () => {
  const parse = (v) => ({ nan: NaN, inf: Infinity, '-inf': -Infinity })[v] ?? Number(v);
  for (const [cli, api] of SHOTS.slice(0, 4)) {
    let csv;
    try {
      csv = runFlight(cli, '--trajectory', '-');
    } catch (e) {
      csv = e.stdout;
    }
    const [header, ...lines] = csv.toString().trim().split('\n');
    const expected = lines.map((line) => {
      const values = line.split(',').map(parse);
      return Object.fromEntries(header.split(',').map((name, i) => [name, values[i]]));
    });
    assert.deepEqual(vendrel.trajectory(api), expected, JSON.stringify(api));
  }
});

test('refusals throw the command line\'s message and run nothing', () => {
  const refusals = [
    [{ angle: 95 }, "--angle: '95' is out of range (allowed: 0 to 90)"],
    [{ angle: 'abc' }, "--angle: 'abc' is not a number (allowed: 0 to 90)"],
    [{ dt: 0.2 }, "--dt: '0.2' is out of range (allowed: 0.00001 to 0.1)"],
    [{ dt: ' 0.05' }, "--dt: ' 0.05' is not a number (allowed: 0.00001 to 0.1)"],
    [{ speed: NaN }, "--speed: 'nan' is not a number (allowed: 0 to 100)"],
    [{ k: Infinity }, "--k: 'inf' is out of range (allowed: 0 to 10)"],
    [{ max_ticks: 1.5 }, "--max-ticks: '1.5' is not a whole number from 1 to 1000000000000"],
    [{ max_ticks: 0 }, "--max-ticks: '0' is not a whole number from 1 to 1000000000000"],
    [{ speed: null }, "--speed: 'null' is not a number (allowed: 0 to 100)"],
  ];
  for (const [options, message] of refusals) {
    assert.throws(() => vendrel.fly(options), { name: 'Error', message }, JSON.stringify(options));
    assert.throws(() => vendrel.trajectory(options), { message });
  }
  assert.throws(() => vendrel.fly({ spin: 1 }), /unknown parameter 'spin'/);
  assert.throws(() => vendrel.fly(42), TypeError);
  // A refusal leaves nothing behind for the next flight.
  assert.equal(vendrel.fly({}).carry, 183);
});

test('numbers in messages read as the desktop writes them', () => {
  // The shortest text that reads back, in plain decimals up to 17 digits and 4 zeros
  // after the point, else with an exponent.
  const cases = [
    [-2000, '-2000'], [-100001, '-100001'], [-1e-5, '-0.00001'], [-1e-6, '-1e-06'],
    [-1e21, '-1e+21'], [-123456789012345680000, '-1.2345678901234568e+20'], [-0.1, '-0.1'],
    [-5e-324, '-5e-324'], [-1e100, '-1e+100'], [-0.30000000000000004, '-0.30000000000000004'],
    [-46.5, '-46.5'],
  ];
  for (const [value, text] of cases) {
    assert.throws(() => vendrel.fly({ mass: value }), { message: `--mass: '${text}' is out of range (allowed: 0 to 10000)` }, text);
  }
});

test('a flight that never lands stops at max_ticks', () => {
  const flight = vendrel.fly({ gravity: 0, angle: 45, max_ticks: 2000 });
  assert.equal(flight.ticks, 2000);
  assert.equal(flight.end, 'max-ticks');
  assert.equal(flight.landed, false);
  assert.equal(vendrel.trajectory({ gravity: 0, max_ticks: 10 }).length, 11);
});

// Every row is kept in memory, so a trajectory that is never given a bound stops at a
// million ticks, not at the command line's ten million.
test('a trajectory that never lands stops at a million rows after the launch', () => {
  const rows = vendrel.trajectory({ gravity: 0, angle: 45, dt: 0.1 });
  assert.equal(rows.length, 1_000_001);
  assert.equal(rows[1_000_000].tick, 1_000_000);
  assert.ok(rows[1_000_000].z > 0, 'still up');
});

// The ball model: the flights every front end shares, to the last bit, and its refusals.
test("model: 'ball' flies the shared ball flights bit for bit", async () => {
  const { readFile } = await import('node:fs/promises');
  const { shots } = JSON.parse(await readFile(join(DATA, 'ball_flight.json'), 'utf8'));
  for (const shot of shots) {
    const out = shot.outputs;
    // The model given last still sets the ranges the other keys are read against.
    const flight = vendrel.fly({ ...shot.params, model: 'ball' });
    assert.equal(flight.ticks, out.ticks, shot.name);
    const keys = ['distance', 'apex', 'landing_angle', 'flight_time', 'lateral', 'total', 'roll', 'time_to_rest'];
    for (const key of keys) same(flight[key], hexDouble(out[key]), `${shot.name} ${key}`);
    same(flight.carry, flight.distance, `${shot.name} carry`);
    ['x', 'y', 'z'].forEach((c, i) => same(flight.landing[c], hexDouble(out.landing[i]), `${shot.name} landing ${c}`));
    ['x', 'y'].forEach((c, i) => same(flight.rest[c], hexDouble(out.rest[i]), `${shot.name} rest ${c}`));
    assert.equal(flight.bounces, out.bounces, shot.name);
    const rows = vendrel.trajectory({ model: 'ball', ...shot.params });
    assert.ok(rows.length > out.ticks + 1, shot.name);  // on through the bounces and the roll
    same(rows[out.ticks].t, hexDouble(out.flight_time), `${shot.name} landing t`);
    same(rows[out.ticks].x, hexDouble(out.landing[0]), `${shot.name} landing x`);
    assert.equal(rows[out.ticks].phase, 'flight', shot.name);
    assert.equal(rows[out.ticks + 1].phase, 'bounce', shot.name);
    const last = rows[rows.length - 1];
    assert.equal(last.phase, 'roll', shot.name);
    same(last.x, hexDouble(out.rest[0]), `${shot.name} rest row x`);
    same(last.t, hexDouble(out.time_to_rest), `${shot.name} rest row t`);
  }
  // The form's keys and rows stay the form's.
  assert.equal(vendrel.fly({}).landing_angle, undefined);
  assert.equal(vendrel.fly({}).total, undefined);
  assert.equal(vendrel.trajectory({ max_ticks: 3 })[1].phase, undefined);
});

// The phase column row for row as the command line writes it.
test("model: 'ball' trajectory phases are the command line's", () => {
  const params = { model: 'ball', total_spin: 3000, angle: 12 };
  const rows = vendrel.trajectory(params);
  const csv = runFlight({ model: 'ball', 'total-spin': 3000, angle: 12 }, '--trajectory', '-')
    .toString().trim().split('\n');
  assert.equal(csv[0], 'tick,t,x,y,z,vx,vy,vz,phase');
  assert.equal(rows.length, csv.length - 1);
  assert.deepEqual(rows.map((r) => r.phase), csv.slice(1).map((line) => line.split(',')[8]));
});

// A named surface, with a constant given on its own before or after it.
test("model: 'ball' surface gives the command line's rest", () => {
  for (const [surface, more] of [['green', {}], ['fairway-soft', { crater: 30 }]]) {
    const want = JSON.parse(runFlight({ model: 'ball', surface, ...more }, '--format', 'json').toString());
    for (const options of [{ model: 'ball', surface, ...more }, { ...more, surface, model: 'ball' }]) {
      const got = vendrel.fly(options);
      for (const key of ['total', 'roll', 'time_to_rest', 'bounces']) same(got[key], want[key], `${surface} ${key}`);
      assert.deepEqual(got.rest, want.rest);
    }
  }
  assert.throws(() => vendrel.fly({ model: 'ball', surface: 'ice' }),
    { message: "--surface: 'ice' is not one of fairway, rough, green, fairway-firm, fairway-soft, green-firm or green-soft" });
  assert.throws(() => vendrel.fly({ surface: 'green' }), { message: '--surface: only with --model ball' });
});

test('the ball model refuses what the command line refuses', () => {
  const refusals = [
    [{ model: 'ball', k: 0.1 }, '--k: only with --model form'],
    [{ total_spin: 3000 }, '--total-spin: only with --model ball'],
    [{ model: 'ball', spin_axis: 5, side_spin: 300 },
      '--back-spin/--side-spin: give the spin either as total spin and spin axis or as back and side spin, not both'],
    [{ model: 'ball', spin_axis: 185 }, "--spin-axis: '185' is out of range (allowed: -180 to 180)"],
    [{ model: 'ball', speed: '121' }, "--speed: '121' is out of range (allowed: 0 to 120)"],
    [{ model: 'round' }, "--model: 'round' is not one of form or ball"],
    [{ max_ticks: 100, model: 'ball' }, "--max-ticks: only with --model form (a ball's flight ends by itself within 60 s)"],
    [{ model: 'ball', cd0: -0.01 },
      '--cd0/--cd1/--cd2: the drag coefficient must not fall below 0 up to the spin ratio cap (it is -0.01 at spin ratio 0)'],
  ];
  for (const [options, message] of refusals) {
    assert.throws(() => vendrel.fly(options), { message }, JSON.stringify(options));
  }
});
