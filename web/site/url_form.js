// Shareable shots: the form taken from the page's address (?angle=30&speed=70, names
// as the command line's options, from the module's parameter table), and a link that
// gives the current form back.

export class UrlForm {
  constructor(form, page) {
    this.form = form;
    this.page = page;
    // What the boxes show before anything changes them: the defaults a link can leave out.
    this.defaults = new Map(page.names.map((name) => [name, this.text(name)]));
  }

  text(name) {
    return this.page.text(this.page.fieldId(name));
  }

  /**
   * Takes the form's values from `search`. Each value is checked as if typed into its
   * box: a refused one gets its message and the box keeps what it had.
   */
  apply(search) {
    for (const [name, value] of new URLSearchParams(search)) {
      const id = this.page.fieldId(name);
      if (id === 0) continue;  // not a form value (the carry is a result)
      const refused = this.page.apply(id, value);
      if (refused !== 0) this.form.refuse(refused, this.form.core.message());
      else this.form.box(name).value = this.text(name);
    }
  }

  /** A link to `base` with the form's values that differ from the defaults, or null
   *  when a box refuses its value (its message is shown). */
  link(base) {
    if (!this.form.exchange(() => this.page.commit(0))) return null;
    const url = new URL(base);
    url.search = '';
    url.hash = '';
    for (const name of this.page.names) {
      const value = this.text(name);
      if (value !== this.defaults.get(name)) url.searchParams.set(name, value);
    }
    return url.href;
  }
}
