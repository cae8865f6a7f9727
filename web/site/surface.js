// The canvas: shows the dialog's surface, which the module draws into its own memory.
// Only what changed since the last frame is copied to the screen.
export class SurfaceView {
  constructor(canvas, surface) {
    this.surface = surface;
    this.context = canvas.getContext('2d');
    this.image = null;
  }

  /** An ImageData over the module's pixels, made again if the memory has grown. */
  imageData() {
    const pixels = this.surface.pixels();
    if (this.image === null || this.image.data.buffer !== pixels.buffer) {
      this.image = new ImageData(pixels, this.surface.width, this.surface.height);
    }
    return this.image;
  }

  /** The whole surface, as at the start. */
  showAll() {
    this.surface.dirty();
    this.context.putImageData(this.imageData(), 0, 0);
  }

  /** The rectangle the paints since the last call have changed. */
  showChanged() {
    const [x, y, width, height] = this.surface.dirty();
    if (width > 0 && height > 0) this.context.putImageData(this.imageData(), 0, 0, x, y, width, height);
  }
}
