// The dialog's form on the page: the edit boxes and buttons of the template, bound to
// the module's dialog. The module reads and checks the boxes; this file passes their
// texts, shows its refusals and puts the focus back into the refused box.
const CARRY = 1015;

export class DialogForm {
  /**
   * @param root the dialog's <form>
   * @param core the module's functions
   * @param messages the message box
   * @param host the run's timer
   */
  constructor(root, core, messages, host) {
    this.core = core;
    this.page = core.page;
    this.messages = messages;
    this.host = host;
    this.boxes = new Map();
    for (const input of root.querySelectorAll('input[data-id]')) {
      this.boxes.set(Number(input.dataset.id), input);
    }
    this.carry = this.boxes.get(CARRY);
    this.calculateButton = root.querySelector('#calculate');
    this.restoring = false;

    this.calculateButton.addEventListener('click', () => this.calculate());
    root.querySelector('#stop').addEventListener('click', () => this.page.stop());
    root.querySelector('#defaults').addEventListener('click', () => this.defaults());
    for (const [id, input] of this.boxes) {
      if (input.readOnly || input.disabled) continue;
      input.addEventListener('blur', () => this.left(id));
      input.addEventListener('keydown', (e) => this.key(e));
    }
    this.showAll();
  }

  /** The boxes by the names the page, the URL and the command line share. */
  box(name) {
    return this.boxes.get(this.page.fieldId(name));
  }

  /** Every box shows the form's value. */
  showAll() {
    for (const [id, input] of this.boxes) input.value = this.page.text(id);
  }

  /** A landing wrote the carry: only its box changes. */
  showCarry() {
    this.carry.value = this.page.text(CARRY);
  }

  calculate() {
    if (this.exchange(() => this.page.calculate())) this.host.start();
  }

  defaults() {
    this.page.defaults();
    this.showAll();
  }

  /** Leaving a box commits it; the focus leaving the page is not leaving a box. */
  left(id) {
    if (this.messages.open || this.restoring || !document.hasFocus()) return;
    this.exchange(() => this.page.commit(id));
  }

  key(event) {
    // Enter in a box is the dialog's OK: the form is checked. The page has no window
    // to close, so nothing else happens.
    if (event.key === 'Enter') {
      event.preventDefault();
      this.exchange(() => this.page.commit(0));
    }
  }

  /**
   * Hands every box's text to the module and runs `step`, which exchanges the form.
   * A refusal shows its one message and puts the focus back into the refused box.
   * Returns whether the form passed.
   */
  exchange(step) {
    if (this.messages.open) return false;
    for (const [id, input] of this.boxes) {
      if (id !== CARRY) this.page.setText(id, input.value);
    }
    const refused = step();
    if (refused === 0) return true;
    this.refuse(refused, this.core.message());
    return false;
  }

  /** The message for box `id`; once it is closed the box has the focus, its text selected. */
  refuse(id, message) {
    const input = this.boxes.get(id);
    this.messages.show(message, () => {
      if (input && !input.hidden) {
        // The focus coming back is not the user leaving another box.
        this.restoring = true;
        input.focus();
        input.select();
        this.restoring = false;
      }
    });
  }
}
