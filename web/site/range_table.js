// The session table: one row a shot, sorted by any column (its header is a button),
// the club of each shot set or corrected in its own box, and a button that shows the
// shot again in the views (the shot's own cell). Columns marked wide are left out on
// a phone's width.
const COLUMNS = [
  { key: 'id', label: 'Shot', value: (s) => s.id, text: (s) => (s.source === 'live' ? `#${s.id}` : `T${s.id}`) },
  { key: 'club', label: 'Club', value: (s) => s.club.toLowerCase() },
  { key: 'carry', label: 'Carry', quantity: 'distance', value: (s) => s.result.carry },
  { key: 'total', label: 'Total', quantity: 'distance', value: (s) => s.result.total },
  { key: 'apex', label: 'Apex', quantity: 'distance', value: (s) => s.result.apex, wide: true },
  { key: 'lateral', label: 'Lateral', quantity: 'distance', value: (s) => s.result.lateral },
  { key: 'speed', label: 'Speed', quantity: 'speed', value: (s) => s.launch.speed, wide: true },
  { key: 'angle', label: 'Launch', quantity: 'angle', value: (s) => s.launch.angle, wide: true },
];

export class SessionTable {
  /** `message`: says why a club was not stored (empty once one is). */
  constructor(table, session, units, onShow, message) {
    this.table = table;
    this.session = session;
    this.units = units;
    this.onShow = onShow;
    this.sortKey = 'id';
    this.descending = true;
    this.table.addEventListener('change', async (e) => {
      const key = e.target.dataset?.shot;
      if (!key) return;
      try {
        await this.session.setClub(key, e.target.value);
        message('');
      } catch (error) {
        message(error.message);
      }
    });
    this.table.addEventListener('click', (e) => {
      const button = e.target.closest('button');
      if (!button) return;
      if (button.dataset.sort) this.sortBy(button.dataset.sort);
      else if (button.dataset.show) this.onShow(this.session.find(button.dataset.show));
    });
  }

  sortBy(key) {
    this.descending = this.sortKey === key ? !this.descending : key !== 'club';
    this.sortKey = key;
    this.render();
  }

  sorted() {
    const column = COLUMNS.find((c) => c.key === this.sortKey) ?? COLUMNS[0];
    const shots = this.session.all();
    // Live shots come before typed ones of the same number.
    const order = (s) => [column.value(s), s.source === 'live' ? 0 : 1];
    shots.sort((a, b) => {
      const [va, sa] = order(a);
      const [vb, sb] = order(b);
      const c = va < vb ? -1 : va > vb ? 1 : sa - sb;
      return this.descending ? -c : c;
    });
    return shots;
  }

  render() {
    const head = document.createElement('tr');
    for (const column of COLUMNS) {
      const th = document.createElement('th');
      th.scope = 'col';
      const sorted = column.key === this.sortKey;
      th.setAttribute('aria-sort', sorted ? (this.descending ? 'descending' : 'ascending') : 'none');
      const button = document.createElement('button');
      button.type = 'button';
      button.dataset.sort = column.key;
      const unit = column.quantity ? this.units.unit(column.quantity) : '';
      button.textContent = `${column.label}${unit ? ` (${unit})` : ''}${sorted ? (this.descending ? ' ↓' : ' ↑') : ''}`;
      th.append(button);
      if (column.wide) th.className = 'wide';
      head.append(th);
    }
    const thead = document.createElement('thead');
    thead.append(head);

    const tbody = document.createElement('tbody');
    for (const shot of this.sorted()) {
      const row = document.createElement('tr');
      row.dataset.shot = shot.key;
      for (const column of COLUMNS) {
        const td = document.createElement('td');
        if (column.key === 'club') {
          const input = document.createElement('input');
          input.value = shot.club;
          input.dataset.shot = shot.key;
          input.setAttribute('list', 'club-names');
          input.setAttribute('aria-label', `Club of shot ${COLUMNS[0].text(shot)}`);
          td.append(input);
        } else if (column.text) {
          const button = document.createElement('button');
          button.type = 'button';
          button.dataset.show = shot.key;
          button.textContent = column.text(shot);
          button.setAttribute('aria-label', `Show shot ${column.text(shot)}`);
          td.append(button);
        } else {
          td.textContent = this.units.format(column.quantity, column.value(shot));
          td.className = column.wide ? 'number wide' : 'number';
        }
        row.append(td);
      }
      tbody.append(row);
    }
    this.table.replaceChildren(thead, tbody);
  }
}
