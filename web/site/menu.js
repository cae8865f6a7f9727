// The system menu's stand-in: the icon in the caption (or Alt+Space) opens a small
// menu with the about item and an item that copies a link to the current form.
export class SystemMenu {
  /**
   * @param button the caption's icon
   * @param menu the menu's element
   * @param about the about box's <dialog>
   * @param commands {copyLink: () => void}
   */
  constructor(button, menu, about, commands) {
    this.button = button;
    this.menu = menu;
    this.about = about;
    this.commands = commands;
    this.items = [...menu.querySelectorAll('[role=menuitem]')];
    this.returnFocus = null;

    // The icon takes no focus: the box being edited is not left.
    button.addEventListener('mousedown', (e) => e.preventDefault());
    button.addEventListener('click', () => (this.menu.hidden ? this.open() : this.close()));
    for (const item of this.items) {
      item.addEventListener('click', () => this.run(item.dataset.command));
    }
    menu.addEventListener('keydown', (e) => this.key(e));
    menu.addEventListener('focusout', (e) => {
      if (!menu.contains(e.relatedTarget) && e.relatedTarget !== button) this.close(false);
    });
    document.addEventListener('keydown', (e) => {
      if (e.altKey && e.code === 'Space') {
        e.preventDefault();
        this.open();
      }
    });
  }

  open() {
    if (!this.menu.hidden || document.querySelector('dialog[open]')) return;
    this.returnFocus = document.activeElement;
    this.menu.hidden = false;
    this.items[0].focus();
  }

  close(restoreFocus = true) {
    if (this.menu.hidden) return;
    this.menu.hidden = true;
    if (restoreFocus) this.returnFocus?.focus();
  }

  key(event) {
    const at = this.items.indexOf(document.activeElement);
    const move = { ArrowDown: 1, ArrowUp: -1 }[event.key];
    if (move) {
      event.preventDefault();
      this.items[(at + move + this.items.length) % this.items.length].focus();
    } else if (event.key === 'Escape') {
      event.preventDefault();
      this.close();
    } else {
      const item = this.items.find((i) => i.dataset.key === event.key.toLowerCase());
      if (item) {
        event.preventDefault();
        this.run(item.dataset.command);
      }
    }
  }

  run(command) {
    this.close();
    if (command === 'about') this.about.showModal();
    if (command === 'copy-link') this.commands.copyLink();
  }
}
