// The run's timer on the page. The desktop asks for a tick every millisecond; a
// browser's timers are clamped to 4 ms, so each animation frame takes as many ticks as
// milliseconds have passed since the one before, every tick with its own paint into
// the surface, and the frame shows the changed rectangle once.
const MAX_TICKS_PER_FRAME = 100;  // after a stall (a hidden tab) ticks do not pile up

export class TickHost {
  /**
   * @param page the module's dialog functions (ticks, running, carryShown)
   * @param view the canvas, shown once a frame
   * @param onCarry called when a landing has written a new carry
   */
  constructor(page, view, onCarry) {
    this.page = page;
    this.view = view;
    this.onCarry = onCarry;
    this.frame = null;
    this.last = 0;
    this.owed = 0;
    /** Ticks run since the page opened. */
    this.ticks = 0;
  }

  /** A run has started (or restarted): the timer's period starts again. */
  start() {
    this.last = performance.now();
    this.owed = 0;
    this.frame ??= requestAnimationFrame((now) => this.onFrame(now));
  }

  onFrame(now) {
    this.frame = null;
    this.owed = Math.min(this.owed + Math.max(0, now - this.last), MAX_TICKS_PER_FRAME);
    this.last = now;
    const due = Math.floor(this.owed);
    this.owed -= due;
    this.ticks += this.page.ticks(due);
    this.view.showChanged();
    if (this.page.carryShown()) this.onCarry();
    if (this.page.running()) this.frame = requestAnimationFrame((t) => this.onFrame(t));
  }
}
