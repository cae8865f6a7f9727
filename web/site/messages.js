// Message boxes: one modal <dialog> at a time, closed with OK, Enter, Space or Esc.
// What was waiting behind an open message waits its turn.
export class MessageBox {
  constructor(dialog) {
    this.dialog = dialog;
    this.text = dialog.querySelector('.text');
    this.queue = [];
    this.afterClose = null;
    dialog.addEventListener('close', () => this.closed());
  }

  get open() {
    return this.dialog.open;
  }

  /** Shows `message`; `afterClose` runs once the user has closed it. */
  show(message, afterClose = null) {
    if (this.open) {
      this.queue.push([message, afterClose]);
      return;
    }
    this.text.textContent = message;
    this.afterClose = afterClose;
    this.dialog.showModal();
  }

  closed() {
    const after = this.afterClose;
    this.afterClose = null;
    if (after) after();
    if (this.queue.length > 0 && !this.open) this.show(...this.queue.shift());
  }
}
