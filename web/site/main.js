// The page: loads the module, puts window.vendrel in place, and ties the dialog's
// form, its canvas, the run's timer, the system menu and the address together.
import vendrel from './vendrel.js';
import { loadCore } from './core.js';
import { DialogForm } from './form.js';
import { TickHost } from './host.js';
import { MessageBox } from './messages.js';
import { SystemMenu } from './menu.js';
import { SurfaceView } from './surface.js';
import { UrlForm } from './url_form.js';

window.vendrel = vendrel;

const WIDTH = 971;  // the dialog's width in pixels

// A narrow screen shows the whole dialog, scaled down to its width.
function fitToWidth() {
  const scale = Math.min(1, document.documentElement.clientWidth / WIDTH);
  document.getElementById('window').style.zoom = scale === 1 ? '' : String(scale);
}

// A label too wide for one line breaks before its opening bracket, as the window's labels
// do, rather than inside a word.
function breakWideLabels() {
  for (const label of document.querySelectorAll('.dialog label')) {
    const text = label.textContent;
    const at = text.indexOf('（');
    if (at <= 0) continue;
    label.style.whiteSpace = 'nowrap';
    const tooWide = label.scrollWidth > label.clientWidth;
    label.style.whiteSpace = '';
    if (tooWide) label.replaceChildren(text.slice(0, at), document.createElement('br'), text.slice(at));
  }
}

async function copyLink(urlForm, messages) {
  const link = urlForm.link(location.href);
  if (link === null) return;
  try {
    await navigator.clipboard.writeText(link);
  } catch {
    // Without the clipboard the link is shown, to be copied by hand.
    messages.show(link);
  }
}

async function start() {
  fitToWidth();
  window.addEventListener('resize', fitToWidth);
  const core = await loadCore();
  await document.fonts.ready;
  breakWideLabels();

  const messages = new MessageBox(document.getElementById('message'));
  const view = new SurfaceView(document.querySelector('#dialog canvas'), core.surface);
  view.showAll();
  let form = null;
  const host = new TickHost(core.page, view, () => form.showCarry());
  form = new DialogForm(document.getElementById('dialog'), core, messages, host);
  const urlForm = new UrlForm(form, core.page);
  new SystemMenu(document.getElementById('system-menu'), document.getElementById('menu'),
                 document.getElementById('about'), { copyLink: () => copyLink(urlForm, messages) });

  // The focus starts on 計算, the first tab stop, as the dialog's does.
  form.calculateButton.focus();
  urlForm.apply(location.search);
  window.vendrelPage = { host, ready: true };
  document.documentElement.dataset.ready = 'true';
}

start();

if ('serviceWorker' in navigator) {
  navigator.serviceWorker.register('sw.js').catch(() => {});
}
