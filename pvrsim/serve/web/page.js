// page.js - the page of pvrsim --serve.  pvrsim pushes what changes as
// server-sent events (/events): a new frame number (the page then fetches
// /screen.png once, however many frames came meanwhile), console text, the
// running TAPs, the tick, and the end of the run.  The remote control is
// drawn from pvrsim's own key table (/keys), so keys that pvrsim learns
// appear here without a change to the page.  window.pvrsim holds the page's
// state for a look from the browser's console (and for its test).
'use strict';

// Keyboard shortcuts for the common keys; each works only when pvrsim knows
// a key of that name.  The digits 0-9 are their own shortcuts.
const SHORTCUTS = {
  ArrowUp: 'up', ArrowDown: 'down', ArrowLeft: 'left', ArrowRight: 'right',
  Enter: 'ok', Escape: 'exit', Backspace: 'recall',
};

// The remote control's groups in drawing order; a key that no group takes
// is drawn under "more", so a new key always gets a button.
const oneOf = (...names) => (name) => names.includes(name);
// Keys that step up or down: chup, vol_down, pageup, p+ ...
const STEPPER = /^(ch|chan|channel|prog|vol|volume|page|p)[-_]?(up|down|plus|minus|\+|-)$/;
const GROUPS = [
  { id: 'system', takes: oneOf('power', 'exit', 'recall', 'menu', 'info', 'guide', 'list', 'option', 'fav',
                               'sat', 'tvradio', 'tv_radio', 'mute', 'sleep', 'back', 'ttx', 'text',
                               'subtitle', 'audio') },
  { id: 'colours', takes: oneOf('red', 'green', 'yellow', 'blue', 'white') },
  { id: 'nav', takes: oneOf('up', 'down', 'left', 'right', 'ok') },
  { id: 'channel', takes: (n) => STEPPER.test(n) },
  { id: 'digits', takes: (n) => /^[0-9]$/.test(n) },
  { id: 'media', takes: oneOf('play', 'pause', 'stop', 'record', 'rec', 'rwd', 'rewind', 'ffwd', 'forward',
                              'step', 'slow', 'jumpstart', 'jumpend', 'prev', 'next', 'skip') },
  { id: 'more', takes: () => true },
];
// Where a group's order matters; other keys follow in the table's order.
const ORDER = {
  system: ['power', 'exit', 'recall', 'menu', 'info', 'list', 'guide'],
  colours: ['red', 'green', 'yellow', 'blue', 'white'],
  digits: ['1', '2', '3', '4', '5', '6', '7', '8', '9', '0'],
  media: ['jumpstart', 'rwd', 'rewind', 'ffwd', 'forward', 'jumpend', 'play', 'pause', 'stop', 'record', 'rec'],
};
// Symbols instead of names (the name is in every button's tooltip).
const LABELS = {
  up: '\u25B2', down: '\u25BC', left: '\u25C0', right: '\u25B6', ok: 'OK',
  rwd: '\u25C0\u25C0', rewind: '\u25C0\u25C0', ffwd: '\u25B6\u25B6', forward: '\u25B6\u25B6',
  jumpstart: '|\u25C0\u25C0', jumpend: '\u25B6\u25B6|', play: '\u25B6', pause: '\u275A\u275A',
  stop: '\u25A0', record: '\u25CF', rec: '\u25CF',
};

const page = window.pvrsim = {
  keys: [],            // [{name, code, aliases}] from /keys, one per key code
  byName: new Map(),   // every name (aliases too) -> key
  run: '',
  live: false,
  ended: null,         // why the run ended, once it has
  wantedFrame: -1,     // newest frame announced
  shownFrame: -1,      // frame on the canvas
  shownTick: 0,
  loading: false,
  connection: 0,       // counts hellos; a frame fetched for an earlier one is dropped
  pendingKey: null,    // {name, sentAt, frameBefore}: waits for the next new screen
  latencies: [],       // [{key, ms, frame}]: key sent -> new screen drawn
  keysSent: 0,
};

const $ = (id) => document.getElementById(id);
const screenContext = $('screen').getContext('2d');

function setConnection(state, text) {
  const pill = $('connection');
  pill.className = 'pill ' + state;
  pill.textContent = text;
}

function showBanner(text, kind) {
  const banner = $('banner');
  banner.className = kind || '';
  banner.textContent = text;
  banner.hidden = !text;
}

// ---- the remote control ----

function keyLabel(name) {
  if (LABELS[name]) return LABELS[name];
  return ORDER.colours.includes(name) ? '' : name;
}

function shortcutOf(name) {
  if (/^[0-9]$/.test(name)) return name;
  for (const [key, target] of Object.entries(SHORTCUTS)) if (target === name) return key;
  return '';
}

function sortedForGroup(id, keys) {
  const order = ORDER[id];
  if (!order) return keys;
  const rank = (k) => (order.includes(k.name) ? order.indexOf(k.name) : order.length);
  return keys.slice().sort((a, b) => rank(a) - rank(b));
}

function keyButton(key) {
  const button = document.createElement('button');
  button.type = 'button';
  button.className = 'key';
  button.dataset.key = key.name;
  button.textContent = keyLabel(key.name);
  const shortcut = shortcutOf(key.name);
  button.title = key.name + ' (0x' + key.code.toString(16).toUpperCase() + ')' +
    (key.aliases.length ? ', also ' + key.aliases.join(', ') : '') +
    (shortcut ? ' \u2013 key ' + shortcut : '');
  button.setAttribute('aria-label', key.name);
  button.disabled = !!page.ended;
  // Keeps the keyboard's focus off the remote, so that Enter stays "ok".
  button.addEventListener('mousedown', (event) => event.preventDefault());
  button.addEventListener('click', () => pressKey(key.name));
  return button;
}

function buildRemote(table) {
  page.keys = [];
  page.byName = new Map();
  const byCode = new Map();
  for (const entry of table) {
    const name = entry.name.toLowerCase();
    let key = byCode.get(entry.code);
    if (key) {
      key.aliases.push(name);
    } else {
      key = { name, code: entry.code, aliases: [] };
      byCode.set(entry.code, key);
      page.keys.push(key);
    }
    page.byName.set(name, key);
  }
  const groups = new Map(GROUPS.map((g) => [g.id, []]));
  for (const key of page.keys) groups.get(GROUPS.find((g) => g.takes(key.name)).id).push(key);
  const box = $('remote-keys');
  box.textContent = '';
  for (const [id, keys] of groups) {
    if (!keys.length) continue;
    const group = document.createElement('div');
    group.className = 'key-group ' + id;
    for (const key of sortedForGroup(id, keys)) group.append(keyButton(key));
    box.append(group);
  }
}

// Once at the start, and again at a connection while the keys are missing.
let keysLoading = null;
function loadKeys() {
  if (keysLoading || page.keys.length) return;
  keysLoading = (async () => {
    try {
      const res = await fetch('/keys', { cache: 'no-store' });
      if (res.ok) buildRemote(await res.json());
    } catch (error) {
      $('remote-keys').textContent = 'pvrsim does not answer; the keys come when it does.';
    }
    keysLoading = null;
  })();
}

function flash(name) {
  const button = document.querySelector('.key[data-key="' + CSS.escape(name) + '"]');
  if (!button) return;
  button.classList.add('pressed');
  setTimeout(() => button.classList.remove('pressed'), 150);
}

async function pressKey(name) {
  if (page.ended) return;
  flash(name);
  const frameBefore = Math.max(page.shownFrame, page.wantedFrame);
  page.pendingKey = { name, sentAt: performance.now(), frameBefore };
  try {
    const headers = { 'Content-Type': 'text/plain' };
    const res = await fetch('/key', { method: 'POST', headers, body: name });
    if (res.ok) page.keysSent++;
    else $('saved').textContent = (await res.text()).trim();
  } catch (error) {
    $('saved').textContent = 'The key did not reach pvrsim: ' + error;
  }
}

document.addEventListener('keydown', (event) => {
  if (event.ctrlKey || event.altKey || event.metaKey || page.ended) return;
  const focus = document.activeElement;
  if (focus && focus.id === 'console') return;  // arrows scroll the console there
  const onControl = focus && (focus.tagName === 'BUTTON' || focus.tagName === 'A');
  if (onControl && (event.key === 'Enter' || event.key === ' ')) return;  // the control's own click
  const name = SHORTCUTS[event.key] || (/^[0-9]$/.test(event.key) ? event.key : null);
  if (!name || !page.byName.has(name)) return;
  event.preventDefault();
  pressKey(page.byName.get(name).name);
});

// ---- the screen ----

function frameShown(number, tick) {
  page.shownFrame = number;
  page.shownTick = tick;
  $('frame-info').textContent = 'frame ' + number + ' at tick ' + tick;
  const pending = page.pendingKey;
  if (pending && number > pending.frameBefore) {
    const ms = performance.now() - pending.sentAt;
    page.latencies.push({ key: pending.name, ms, frame: number });
    page.pendingKey = null;
    $('latency').textContent = pending.name + ' \u2192 new screen in ' + Math.round(ms) + ' ms';
  }
}

// Fetches the newest frame; frames announced while one loads are skipped
// up to the newest.
async function loadFrame() {
  if (page.loading || page.wantedFrame <= page.shownFrame) return;
  page.loading = true;
  const connection = page.connection;
  let fetched = false;
  try {
    const res = await fetch('/screen.png?frame=' + page.wantedFrame, { cache: 'no-store' });
    if (res.ok) {
      const number = Number(res.headers.get('X-Frame'));
      const tick = Number(res.headers.get('X-Tick'));
      // The pixels exactly as pvrsim made them: no colour management.
      const exact = { colorSpaceConversion: 'none', premultiplyAlpha: 'none' };
      const bitmap = await createImageBitmap(await res.blob(), exact);
      // A frame of an earlier connection (pvrsim may have been restarted) is not drawn.
      if (connection === page.connection) {
        screenContext.drawImage(bitmap, 0, 0);
        frameShown(number, tick);
        fetched = true;
      }
      bitmap.close();
    }
  } catch (error) {
    // The next frame event tries again.
  }
  page.loading = false;
  if ((fetched || connection !== page.connection) && page.wantedFrame > page.shownFrame) loadFrame();
}

async function saveScreenshot() {
  try {
    const res = await fetch('/screenshot', { method: 'POST' });
    const text = await res.text();
    $('saved').textContent = res.ok ? 'Saved ' + JSON.parse(text).file : text.trim();
  } catch (error) {
    $('saved').textContent = 'pvrsim does not answer: ' + error;
  }
}
$('save-screenshot').addEventListener('click', saveScreenshot);

// ---- console and TAPs ----

function appendConsole(text, cut) {
  const pre = $('console');
  const atBottom = pre.scrollTop + pre.clientHeight >= pre.scrollHeight - 4;
  if (cut) {
    const note = document.createElement('span');
    note.className = 'cut';
    note.textContent = '\u2026 earlier lines were dropped \u2026\n';
    pre.append(note);
  }
  pre.append(document.createTextNode(text));
  if (pre.textContent.length > 400000) pre.textContent = pre.textContent.slice(-300000);
  if (atBottom) pre.scrollTop = pre.scrollHeight;
}

function showTaps(taps) {
  const body = $('taps').tBodies[0];
  body.textContent = '';
  for (const tap of taps) {
    const row = body.insertRow();
    for (const value of [tap.slot, tap.file, tap.dir]) row.insertCell().textContent = value;
  }
  if (!taps.length) body.insertRow().insertCell().textContent = 'none';
}

// ---- the event stream ----

function ended(why) {
  page.ended = why;
  setConnection('stopped', 'stopped');
  showBanner('pvrsim has stopped: ' + why + '. The screen shows its last picture.', '');
  for (const button of document.querySelectorAll('.key, #save-screenshot')) button.disabled = true;
  $('download-screenshot').classList.add('disabled');
}

function connect() {
  const events = new EventSource('/events');
  const on = (name, handler) => events.addEventListener(name, (event) => handler(JSON.parse(event.data)));
  on('hello', (data) => {
    // Every connection starts from pvrsim's whole state (a new run, too).
    page.run = data.run;
    page.connection++;
    page.wantedFrame = page.shownFrame = -1;
    $('run-name').textContent = data.run;
    document.title = 'pvrsim \u2013 ' + data.run;
    $('console').textContent = '';
    setConnection('live', 'live');
    showBanner('');
    loadKeys();
  });
  on('frame', (data) => {
    page.wantedFrame = Math.max(page.wantedFrame, data.frame);
    loadFrame();
  });
  on('console', (data) => appendConsole(data.text, data.cut));
  on('taps', showTaps);
  on('status', (data) => {
    const seconds = (data.tick / 100).toFixed(2);
    $('clock').textContent = 'tick ' + data.tick + ' \u00B7 ' + seconds + ' s of box time';
  });
  on('end', (data) => {
    events.close();
    ended(data.why);
  });
  events.onerror = () => {
    if (page.ended || events.readyState === EventSource.CLOSED) return;
    setConnection('lost', 'no answer');
    showBanner('pvrsim does not answer: it has stopped or is busy. Trying again\u2026', 'lost');
  };
}

loadKeys();
connect();
