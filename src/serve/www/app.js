'use strict';
// The page is a client of the REST API like any other: every check is the
// API's, and every text it receives goes into the document as text only.

// Changes come pushed over a WebSocket; only an open board and the line's
// health are asked for, once a second and every few seconds.
const OPEN_MS = 1000;
const HEALTH_MS = 5000;
const RECONNECT_MS = [500, 1000, 2000, 4000, 8000]; // the last one again and again
const MODES = ['left', 'right', 'center', 'slow', 'medium', 'fast'];
const DAYS = ['mon', 'tue', 'wed', 'thu', 'fri', 'sat', 'sun'];

const $ = (id) => document.getElementById(id);
const el = (tag, text, cls) => {
  const node = document.createElement(tag);
  if (text !== undefined) node.textContent = text;
  if (cls) node.className = cls;
  return node;
};

let token = sessionStorage.getItem('varoToken') || '';
let clockOffset = 0; // the service's clock minus this browser's

class ApiError extends Error {
  constructor(status, message) {
    super(message);
    this.status = status;
  }
}

async function api(method, path, body) {
  const headers = {};
  if (token) headers.Authorization = 'Bearer ' + token;
  const init = { method, headers, cache: 'no-store' };
  if (body !== undefined) {
    headers['Content-Type'] = 'application/json';
    init.body = JSON.stringify(body);
  }
  let response;
  try {
    response = await fetch(path, init);
  } catch (e) {
    throw new ApiError(0, 'the service does not answer');
  }
  if (response.status === 401) askToken();
  const date = Date.parse(response.headers.get('Date') || '');
  // The Date header has whole seconds: a small difference is its rounding.
  if (!isNaN(date)) clockOffset = Math.abs(date - Date.now()) > 2000 ? date - Date.now() : 0;
  const type = response.headers.get('Content-Type') || '';
  if (!response.ok) {
    const answer = type.includes('json') ? await response.json().catch(() => null) : null;
    throw new ApiError(response.status, (answer && answer.error) || 'HTTP ' + response.status);
  }
  if (type.startsWith('image/')) return response;
  return response.status === 204 || !type.includes('json') ? null : response.json();
}

// ---- the token ----

function askToken() {
  const form = $('tokenForm');
  if (!form.hidden) return;
  $('tokenError').textContent = token ? 'The service refused that token: enter the right one.' : '';
  form.hidden = false;
  $('token').focus();
}

$('tokenForm').addEventListener('submit', (event) => {
  event.preventDefault();
  token = $('token').value.trim();
  sessionStorage.setItem('varoToken', token);
  $('token').value = '';
  $('tokenForm').hidden = true;
  start();
});

// ---- errors beside their fields ----

// The API names the field first in its answer: "brightness must be ...",
// "items[2].from must be ...", "text: unknown field {foo}".
function errorField(message) {
  const match = /^([A-Za-z]+(?:\[\d+\])?(?:\.[A-Za-z]+)?)(?=[ :])/.exec(message);
  return match ? match[1] : '';
}

function clearErrors(root) {
  for (const p of root.querySelectorAll('[data-error]')) p.textContent = '';
  for (const input of root.querySelectorAll('[aria-invalid]')) input.removeAttribute('aria-invalid');
}

function showError(root, message, field) {
  let name = field === undefined ? errorField(message) : field;
  let scope = root;
  const item = /^items\[(\d+)\]\.?(.*)$/.exec(name);
  if (item) {
    scope = root.querySelectorAll('.item')[Number(item[1])] || root;
    name = item[2];
  }
  name = name.replace(/\[\d+\]$/, '');
  let slot = name && scope.querySelector(`[data-error="${name}"]`);
  if (!slot) slot = scope.querySelector('[data-error=""]') || root.querySelector('[data-error=""]');
  slot.textContent = message;
  const input = name && scope.querySelector(`[data-field="${name}"]`);
  if (input) {
    input.setAttribute('aria-invalid', 'true');
    input.focus();
  }
}

// A number as typed goes to the API as a number; anything else as the text
// it is, so that the API's own check answers it.
function numberOrText(value) {
  const text = value.trim();
  return /^-?\d+$/.test(text) ? Number(text) : text;
}

// ---- the LED face ----
// A card's face is drawn here from the service's own glyphs and measures
// (GET /api/glyphs), as its renderer draws face.png. A preview is face.png
// itself, as its live fields are filled by the service: one pixel per LED,
// grey level = intensity; a crawling preview comes as strips of the whole
// text, which the page slides by one LED column per step.

const LED = 6; // screen pixels per LED
const COLUMNS = 20;
const FACE_W = COLUMNS * 6 - 1;
const FACE_H = 7;
const STRIP_CELLS = 256;
const BACKGROUND = [12, 10, 8];
const UNLIT = [34, 24, 6];
const AMBER = [255, 176, 0];

let glyphs = null;

function takeGlyphs(answer) {
  glyphs = { ...answer, glyphs: new Map(Object.entries(answer.glyphs)) };
}

// Where the text stands at ms after the frame that put it there: the left
// edge in LED columns, and the text drawn from there.
function placement(state, ms) {
  const { cellPitch, columns } = glyphs;
  const step = glyphs.stepMs[state.mode] || 0;
  const width = columns * cellPitch - 1;
  if (step > 0) {
    const cycle = width + state.text.length * cellPitch - 1;
    return { x: width - (Math.floor(Math.max(0, ms) / step) % cycle), text: state.text };
  }
  const text = state.text.slice(0, columns);
  const free = columns - text.length;
  return { x: state.mode === 1 ? free * cellPitch : state.mode === 2 ? Math.floor(free / 2) * cellPitch : 0, text };
}

function ledImage(state, place) {
  const width = glyphs.columns * glyphs.cellPitch - 1;
  const c = document.createElement('canvas');
  c.width = width;
  c.height = glyphs.height;
  const ctx = c.getContext('2d');
  const data = ctx.createImageData(width, glyphs.height);
  const grey = glyphs.intensity[Math.max(0, Math.min(99, state.brightness))] || 0;
  const lit = UNLIT.map((u, k) => Math.round(u + ((AMBER[k] - u) * grey) / 255));
  for (let i = 0; i < data.data.length; i += 4) data.data.set([...UNLIT, 255], i);
  for (let i = grey ? Math.max(0, Math.trunc(-place.x / glyphs.cellPitch)) : place.text.length; i < place.text.length; ++i) {
    const left = place.x + i * glyphs.cellPitch;
    if (left >= width) break;
    const rows = glyphs.glyphs.get(place.text[i]) || glyphs.placeholder;
    rows.forEach((bits, row) => {
      for (let col = 0; col < glyphs.width; ++col)
        if (bits & (0x10 >> col) && left + col >= 0 && left + col < width) data.data.set(lit, (row * width + left + col) * 4);
    });
  }
  ctx.putImageData(data, 0, 0);
  return c;
}

let dotMask;
function mask(ctx) {
  if (!dotMask) {
    const c = document.createElement('canvas');
    c.width = c.height = LED;
    const m = c.getContext('2d');
    m.fillStyle = `rgb(${BACKGROUND})`;
    m.fillRect(0, 0, LED, LED);
    m.globalCompositeOperation = 'destination-out';
    m.beginPath();
    m.arc(LED / 2, LED / 2, LED * 0.4, 0, 2 * Math.PI);
    m.fill();
    dotMask = c;
  }
  return ctx.createPattern(dotMask, 'repeat');
}

async function tinted(response) {
  const bitmap = await createImageBitmap(await response.blob());
  const c = document.createElement('canvas');
  c.width = bitmap.width;
  c.height = bitmap.height;
  const ctx = c.getContext('2d', { willReadFrequently: true });
  ctx.drawImage(bitmap, 0, 0);
  const data = ctx.getImageData(0, 0, c.width, c.height);
  const px = data.data;
  for (let i = 0; i < px.length; i += 4) {
    const g = px[i] / 255;
    for (let k = 0; k < 3; ++k) px[i + k] = Math.round(UNLIT[k] + (AMBER[k] - UNLIT[k]) * g);
    px[i + 3] = 255;
  }
  ctx.putImageData(data, 0, 0);
  return c;
}

const crawling = new Set();

class Face {
  constructor(canvas) {
    this.canvas = canvas;
    this.ctx = canvas.getContext('2d');
    this.ctx.imageSmoothingEnabled = false;
    this.serial = 0;
    this.clear();
  }

  clear() {
    this.ctx.fillStyle = `rgb(${UNLIT})`;
    this.ctx.fillRect(0, 0, this.canvas.width, this.canvas.height);
    this.ctx.fillStyle = mask(this.ctx);
    this.ctx.fillRect(0, 0, this.canvas.width, this.canvas.height);
  }

  paint(image) {
    this.clear();
    this.ctx.drawImage(image, 0, 0, FACE_W, FACE_H, 0, 0, FACE_W * LED, FACE_H * LED);
    this.ctx.fillStyle = mask(this.ctx);
    this.ctx.fillRect(0, 0, this.canvas.width, this.canvas.height);
  }

  // state: { text, mode (a number), brightness, sent (ms, the service's clock) }
  show(state) {
    this.stop();
    this.state = state;
    this.strips = null;
    const moving = (glyphs.stepMs[state.mode] || 0) > 0 && state.brightness > 0 && state.text.length > 0;
    this.shown = null;
    if (moving) {
      crawling.add(this);
      animate();
    } else this.paint(ledImage(state, placement(state, 0)));
  }

  // url: face.png with its query, without "first".
  async load(url) {
    const serial = ++this.serial;
    this.state = null;
    const response = await api('GET', url);
    const received = performance.now();
    const step = Number(response.headers.get('X-Face-Step-Ms') || 0);
    const elapsed = Number(response.headers.get('X-Face-Elapsed-Ms') || 0);
    const length = Number(response.headers.get('X-Face-Length') || 0);
    const image = await tinted(response);
    if (serial !== this.serial) return;
    crawling.delete(this);
    this.strips = null;
    if (step > 0 && length > 0) {
      Object.assign(this, { url, step, length, origin: received - elapsed, strips: new Map(), shown: null });
      crawling.add(this);
      animate();
    } else this.paint(image);
  }

  stop() {
    ++this.serial;
    crawling.delete(this);
  }

  strip(index) {
    if (!this.strips.has(index)) {
      const serial = this.serial;
      this.strips.set(index, null);
      const sep = this.url.includes('?') ? '&' : '?';
      api('GET', `${this.url}${sep}first=${index * STRIP_CELLS}`)
        .then(tinted)
        .then((image) => serial === this.serial && this.strips.set(index, image) && (this.shown = null))
        .catch(() => setTimeout(() => serial === this.serial && this.strips.delete(index), 1000));
    }
    return this.strips.get(index);
  }

  // The crawl as the board does it: the text starts just beyond the right
  // edge and moves one LED column left per step; once gone, it enters again.
  frame(now) {
    if (this.state) {
      const place = placement(this.state, Date.now() + clockOffset - this.state.sent);
      if (place.x !== this.shown) this.paint(ledImage(this.state, place));
      this.shown = place.x;
      return;
    }
    const cycle = FACE_W + this.length * 6 - 1;
    const x = FACE_W - (Math.floor((now - this.origin) / this.step) % cycle);
    if (x === this.shown) return;
    this.shown = x;
    this.ctx.fillStyle = `rgb(${UNLIT})`;
    this.ctx.fillRect(0, 0, this.canvas.width, this.canvas.height);
    const stripWidth = STRIP_CELLS * 6;
    const firstStrip = Math.max(0, Math.floor(-x / stripWidth));
    for (let i = firstStrip; i * stripWidth + x < FACE_W && i * STRIP_CELLS < this.length; ++i) {
      const image = this.strip(i);
      if (!image) continue;
      const left = x + i * stripWidth; // LED column of the strip's left edge
      const from = Math.max(0, -left);
      const to = Math.min(image.width, FACE_W - left);
      if (to > from)
        this.ctx.drawImage(image, from, 0, to - from, FACE_H, (left + from) * LED, 0, (to - from) * LED, FACE_H * LED);
    }
    this.ctx.fillStyle = mask(this.ctx);
    this.ctx.fillRect(0, 0, this.canvas.width, this.canvas.height);
  }
}

let animating = false;
function animate() {
  if (animating) return;
  animating = true;
  const step = (now) => {
    for (const face of crawling) if (face.canvas.isConnected) face.frame(now);
    else crawling.delete(face);
    if (crawling.size) requestAnimationFrame(step);
    else animating = false;
  };
  requestAnimationFrame(step);
}

// ---- what the API says, in words ----

const modeName = (mode) => (typeof mode === 'number' ? MODES[mode] || String(mode) : String(mode));

function why(showing) {
  if (!showing || !showing.source || showing.source === 'none') return 'nothing: an empty frame';
  const ends = Date.parse(showing.ends || '');
  const left = showing.secondsLeft ?? (isNaN(ends) ? undefined : Math.max(0, Math.ceil((ends - Date.now() - clockOffset) / 1000)));
  if (showing.source === 'alert') return `alert ${showing.alertId}` + (left === undefined ? '' : `, ${left} s left`);
  const k = (showing.itemIndex ?? 0) + 1;
  return `playlist item ${k} of ${showing.itemCount}` + (left === undefined ? '' : `, next in ${left} s`);
}

// A text may be 64 KiB long: a card shows its start and says how long it is.
// The list of boards sends only the start, with the whole length beside it.
const clip = (text, max = 400, length = String(text ?? '').length) =>
  length > max ? `${String(text).slice(0, max)}… (${length} characters)` : String(text ?? '');

// Frame bytes with the carriage returns made visible.
const frameText = (bytes, length) => clip(bytes, 400, length).replace(/\r/g, '⏎');

function timeText(iso) {
  if (!iso) return 'none yet';
  const t = new Date(iso);
  if (isNaN(t)) return String(iso);
  const ago = Math.max(0, Math.round((Date.now() - t) / 1000));
  return `${t.toLocaleTimeString()} (${ago} s ago)`;
}

function fillModes(select) {
  for (const [i, name] of MODES.entries()) {
    const option = el('option', name + (i >= 3 ? ' crawl' : i === 0 ? ' (default)' : ''));
    option.value = name;
    select.append(option);
  }
}

// The fields as the service lists them, each a button that inserts it.
function takeFields(fields) {
  const list = $('fieldsTemplate').content.querySelector('ul');
  for (const field of fields) {
    const written = `{${field.name}${field.argument ? ':' + field.argument : ''}}`;
    const button = el('button', written);
    button.type = 'button';
    button.dataset.insert = written;
    const row = el('li');
    row.append(button, ' ' + field.expands);
    list.insertBefore(row, list.lastElementChild);
  }
}

function addLiveFields(root) {
  for (const slot of root.querySelectorAll('.fields-slot')) {
    const box = slot.parentElement.querySelector('textarea');
    let list = $('fieldsTemplate').content.firstElementChild.cloneNode(true);
    for (const button of list.querySelectorAll('button')) {
      button.setAttribute('aria-label', 'Insert ' + button.dataset.insert);
      button.addEventListener('click', () => {
        box.setRangeText(button.dataset.insert, box.selectionStart, box.selectionEnd, 'end');
        box.focus();
      });
    }
    if ('collapsed' in slot.dataset) {
      const details = el('details', '', 'live-fields');
      details.append(el('summary', 'Live fields'), list);
      list = details;
    }
    slot.replaceWith(list);
  }
}

// A template's labels tied to their inputs by ids made unique with id.
function labelInputs(root, id) {
  for (const label of root.querySelectorAll('label[data-for]')) {
    const input = label.parentElement.querySelector('[data-field]');
    input.id = `${id}-${label.dataset.for}`;
    label.htmlFor = input.id;
  }
}

// ---- the board cards ----

const cardTitle = (board) => (board.name ? `${board.name} (${board.board})` : `Board ${board.board}`);

const cards = new Map(); // board -> { node, face, key }
const boards = new Map(); // board -> as last pushed
let openBoard = null;
let boardDetail = null;

function renderCards(list) {
  const seen = new Set();
  const container = $('cards');
  $('noBoards').hidden = list.length > 0;
  takeGroups(list);
  const filter = $('groupFilter').value;
  list.sort((a, b) => a.board - b.board);
  let previous = null;
  for (const board of list) {
    seen.add(board.board);
    let card = cards.get(board.board);
    if (!card) {
      card = newCard(board.board);
      cards.set(board.board, card);
    }
    card.node.hidden = filter !== '' && !(board.groups || []).includes(filter);
    const expected = previous ? previous.nextSibling : container.firstChild;
    if (expected !== card.node) container.insertBefore(card.node, expected);
    previous = card.node;
    updateCard(board.board, card, board);
  }
  for (const [number, card] of cards) {
    if (!seen.has(number)) {
      if (card.node.contains(document.activeElement)) $('openBoard').focus();
      card.face.stop();
      card.node.remove();
      cards.delete(number);
    }
  }
}

function newCard(number) {
  const node = $('cardTemplate').content.firstElementChild.cloneNode(true);
  node.dataset.board = number;
  const button = node.querySelector('.change');
  button.textContent = `Change board ${number}`;
  button.addEventListener('click', () => open(number));
  const details = node.querySelector('.declare');
  const form = details.querySelector('form');
  labelInputs(form, `board${number}`);
  details.querySelector('summary').setAttribute('aria-label', `Name and groups of board ${number}`);
  const input = (name) => form.querySelector(`[data-field="${name}"]`);
  const say = (text) => (form.querySelector('.note').textContent = text);
  details.addEventListener('toggle', () => {
    if (!details.open) return;
    const board = boards.get(number) || {};
    input('name').value = board.name ?? '';
    input('groups').value = (board.groups || []).join(', ');
    say('');
    clearErrors(form);
  });
  form.addEventListener('submit', (event) => {
    event.preventDefault();
    say('');
    const body = { name: input('name').value, groups: input('groups').value.split(/[\s,]+/).filter(Boolean) };
    submit(form, 'PUT', `/api/boards/${number}`, body, () => say('Saved.'));
  });
  node.querySelector('.forget').addEventListener('click', () => {
    say('');
    submit(form, 'DELETE', `/api/boards/${number}`, undefined, () => say('Forgotten: no name, no group.'));
  });
  return { node, face: new Face(node.querySelector('.face')), key: '' };
}

function updateCard(number, card, board) {
  const showing = board.showing || {};
  const sent = board.sent || {};
  const node = card.node;
  const title = cardTitle(board);
  node.querySelector('.card-title').textContent = title;
  node.querySelector('.groups').textContent = (board.groups || []).join(', ') || 'none';
  node.querySelector('.shows').textContent = clip(showing.text, 400, showing.textLength);
  node.querySelector('.why').textContent = why(showing);
  node.querySelector('.sent').textContent = timeText(sent.time);
  node.querySelector('.bytes').textContent = frameText(sent.bytes, sent.byteLength);
  const key = JSON.stringify([showing.text, showing.textLength, showing.mode, showing.brightness, sent.time, title]);
  if (key !== card.key && glyphs) {
    card.key = key;
    const label = clip(showing.text, 100, showing.textLength);
    card.face.canvas.setAttribute('aria-label', `${title} face: ${label}`);
    const state = {
      text: String(showing.text ?? ''),
      mode: Math.max(0, MODES.indexOf(showing.mode)),
      brightness: Number(showing.brightness ?? 99),
      sent: Date.parse(sent.time || '') || Date.now() + clockOffset,
    };
    card.face.show(state);
    // The list gives a text's start: a long crawl needs the whole of it.
    if (showing.textLength > state.text.length && glyphs.stepMs[state.mode] > 0)
      api('GET', `/api/boards/${number}`)
        .then((detail) => card.key === key && card.face.show({ ...state, text: String(detail.showing.text) }))
        .catch(() => (card.key = ''));
  }
}

// ---- groups: the filter, and one message or alert to many boards ----

// The groups are those of the boards the service lists, so they follow the push.
let groupsKey = '';
function takeGroups(list) {
  const groups = [...new Set(list.flatMap((board) => board.groups || []))].sort();
  if (groups.join(' ') === groupsKey) return;
  groupsKey = groups.join(' ');
  fillGroups($('groupFilter'), [['', 'All boards'], ...groups.map((g) => [g, 'Group ' + g])]);
  fillGroups($('groupTarget'), [...groups.map((g) => [g, g]), ['all', 'all: every board']]);
}

function fillGroups(select, choices) {
  const chosen = select.value;
  select.replaceChildren();
  for (const [value, text] of choices) {
    const option = el('option', text);
    option.value = value;
    select.append(option);
  }
  select.value = choices.some(([value]) => value === chosen) ? chosen : choices[0][0];
}

$('groupFilter').addEventListener('change', () => renderCards([...boards.values()]));

const groupAlert = () => $('groupKind').value === 'alert';

$('groupKind').addEventListener('change', () => {
  for (const field of document.querySelectorAll('#groupForm .alert-only')) field.hidden = !groupAlert();
});

function sendToGroup() {
  const form = $('groupForm');
  const alert = groupAlert();
  const body = formValues(form, ['text', 'mode', 'brightness'].concat(alert ? ['priority', 'seconds'] : []));
  const path = `/api/groups/${encodeURIComponent($('groupTarget').value)}/${alert ? 'alerts' : 'message'}`;
  $('groupConfirm').hidden = true;
  $('groupResult').textContent = '';
  submit(form, alert ? 'POST' : 'PUT', path, body, (answer) => {
    const names = answer.boards.map((n) => cardTitle(boards.get(n) || { board: n })).join(', ');
    $('groupResult').textContent =
      (alert ? `Alert ${answer.id} raised on` : 'Sent to') + ` ${answer.boards.length} board(s): ${names}.`;
  });
}

// Every board at once is asked for again, in the page.
$('groupForm').addEventListener('submit', (event) => {
  event.preventDefault();
  if ($('groupTarget').value !== 'all') return sendToGroup();
  $('groupConfirmText').textContent =
    `Send this ${groupAlert() ? 'alert' : 'message'} to every board (${boards.size} now)?`;
  $('groupConfirm').hidden = false;
  $('groupConfirmYes').focus();
});

const cancelGroup = () => {
  $('groupConfirm').hidden = true;
  $('groupForm').querySelector('[type=submit]').focus();
};
$('groupConfirmYes').addEventListener('click', sendToGroup);
$('groupConfirmNo').addEventListener('click', cancelGroup);
$('groupConfirm').addEventListener('keydown', (event) => event.key === 'Escape' && cancelGroup());
// What is confirmed is what the form holds: a change asks again.
$('groupForm').addEventListener('input', () => ($('groupConfirm').hidden = true));

// ---- the open board: message, playlist, alerts ----

async function open(number) {
  const form = $('openForm');
  clearErrors(form);
  const value = typeof number === 'number' ? number : numberOrText($('openBoard').value);
  try {
    boardDetail = await api('GET', `/api/boards/${encodeURIComponent(value)}`);
  } catch (e) {
    showError(form, e.message, 'board');
    return;
  }
  openBoard = Number(value);
  $('board').hidden = false;
  $('boardTitle').textContent = cardTitle(boardDetail);
  loadPlaylist(boardDetail.playlist || []);
  renderAlerts(true);
  $('boardTitle').focus();
}

$('openForm').addEventListener('submit', (event) => {
  event.preventDefault();
  open();
});

$('closeBoard').addEventListener('click', () => {
  $('board').hidden = true;
  openBoard = null;
  boardDetail = null;
  for (const item of $('items').children) item.face.stop();
  $('openBoard').focus();
});

function formValues(root, names) {
  const body = {};
  for (const name of names) {
    const input = root.querySelector(`[data-field="${name}"]`);
    const text = input.value;
    if (['brightness', 'seconds', 'priority', 'value'].includes(name)) {
      if (text.trim() !== '') body[name] = numberOrText(text);
    } else body[name] = text;
  }
  return body;
}

async function submit(form, method, path, body, done) {
  clearErrors(form);
  try {
    const answer = await api(method, path, body);
    if (done) done(answer);
  } catch (e) {
    showError(form, e.message);
  }
}

$('messageForm').addEventListener('submit', (event) => {
  event.preventDefault();
  const form = $('messageForm');
  const body = formValues(form, ['text', 'mode', 'brightness']);
  submit(form, 'PUT', `/api/boards/${openBoard}/message`, body, () => refreshOpen(true));
});

// The editor keeps what is typed: a playlist changed elsewhere is announced,
// and taken only on "Reload from board".
let editorBase = '';

function loadPlaylist(items) {
  for (const item of $('items').children) item.face.stop();
  $('items').replaceChildren();
  for (const item of items) addItem(item);
  // Each item's face is drawn at once, so a playlist of a few reads at a glance.
  if (items.length <= 20) for (const node of $('items').children) preview(node);
  editorBase = JSON.stringify(items);
  $('playlistNote').textContent = items.length ? '' : 'The playlist is empty.';
  clearErrors($('playlistForm'));
}

let itemSerial = 0;
function addItem(item = {}) {
  const node = $('itemTemplate').content.firstElementChild.cloneNode(true);
  labelInputs(node, 'item' + ++itemSerial);
  const days = node.querySelector('.days');
  const chosen = Array.isArray(item.days) ? item.days : typeof item.days === 'string' ? item.days.split(/[ ,]+/) : DAYS;
  for (const day of DAYS) {
    const label = el('label', '', 'day');
    const box = el('input');
    box.type = 'checkbox';
    box.value = day;
    box.checked = chosen.includes(day);
    label.append(box, ' ' + day);
    days.insertBefore(label, days.querySelector('.error'));
  }
  fillModes(node.querySelector('.mode'));
  const set = (name, value) => (node.querySelector(`[data-field="${name}"]`).value = value ?? '');
  set('text', item.text);
  set('mode', modeName(item.mode ?? 'left'));
  set('brightness', item.brightness ?? 99);
  set('seconds', item.seconds ?? 10);
  set('from', item.from ?? '00:00');
  set('until', item.until ?? '24:00');
  set('firstDate', item.firstDate);
  set('lastDate', item.lastDate);
  addLiveFields(node);
  node.face = new Face(node.querySelector('.preview'));
  node.addEventListener('click', (event) => {
    const act = event.target.dataset && event.target.dataset.act;
    if (act) itemAction(node, act, event.target);
  });
  $('items').append(node);
  numberItems();
  return node;
}

function numberItems() {
  const items = [...$('items').children];
  items.forEach((node, i) => {
    node.querySelector('.item-title').textContent = `Item ${i + 1} of ${items.length}`;
    for (const button of node.querySelectorAll('[data-act]'))
      button.setAttribute('aria-label', `${button.textContent}: item ${i + 1}`);
  });
}

function itemJson(node) {
  const body = formValues(node, ['text', 'mode', 'brightness', 'seconds', 'from', 'until']);
  body.days = [...node.querySelectorAll('.days input:checked')].map((box) => box.value);
  for (const name of ['firstDate', 'lastDate']) {
    const value = node.querySelector(`[data-field="${name}"]`).value;
    if (value) body[name] = value;
  }
  return body;
}

function itemAction(node, act, button) {
  const list = $('items');
  if (act === 'remove') {
    const next = node.nextElementSibling || node.previousElementSibling;
    node.face.stop();
    node.remove();
    (next ? next.querySelector('textarea') : $('addItem')).focus();
  } else if (act === 'up' && node.previousElementSibling) {
    list.insertBefore(node, node.previousElementSibling);
    button.focus();
  } else if (act === 'down' && node.nextElementSibling) {
    list.insertBefore(node.nextElementSibling, node);
    button.focus();
  } else if (act === 'preview') {
    preview(node);
  }
  numberItems();
}

// The service reads a query's + as itself, not as a space (URLSearchParams writes + for one).
const query = (text, mode, brightness) =>
  `text=${encodeURIComponent(text)}&mode=${encodeURIComponent(mode)}` +
  (brightness === undefined ? '' : `&brightness=${encodeURIComponent(brightness)}`);

async function preview(node) {
  clearErrors(node);
  const item = itemJson(node);
  node.face.canvas.setAttribute('aria-label', 'Preview: ' + clip(item.text, 100));
  try {
    await node.face.load(`/api/boards/${openBoard}/face.png?${query(item.text, item.mode, item.brightness)}`);
  } catch (e) {
    showError(node, e.message);
  }
}

$('addItem').addEventListener('click', () => addItem().querySelector('textarea').focus());

$('reloadPlaylist').addEventListener('click', () => refreshOpen(true));

$('playlistForm').addEventListener('submit', (event) => {
  event.preventDefault();
  const items = [...$('items').children].map(itemJson);
  submit($('playlistForm'), 'PUT', `/api/boards/${openBoard}/playlist`, items, () => {
    $('playlistNote').textContent = `Saved: ${items.length} item(s).`;
    refreshOpen(true);
  });
});

$('clearPlaylist').addEventListener('click', () => {
  submit($('playlistForm'), 'DELETE', `/api/boards/${openBoard}/playlist`, undefined, () => refreshOpen(true));
});

// Rows are kept and only their countdown changes, so that a focused button
// stays focused while the seconds run.
const alertRows = new Map();
function renderAlerts(fresh) {
  const alerts = (boardDetail && boardDetail.alerts) || [];
  const list = $('alerts');
  if (fresh) {
    alertRows.clear();
    list.replaceChildren(el('li', 'No live alert.', 'none'));
  }
  const ids = new Set(alerts.map((a) => a.id));
  for (const [id, row] of alertRows) {
    if (!ids.has(id)) {
      row.remove();
      alertRows.delete(id);
    }
  }
  let previous = list.firstElementChild;
  for (const alert of alerts) {
    let row = alertRows.get(alert.id);
    if (!row) {
      row = el('li');
      const button = el('button', 'Clear');
      button.type = 'button';
      button.dataset.needs = 'operate';
      button.setAttribute('aria-label', `Clear alert ${alert.id}: ${clip(alert.text, 60)}`);
      button.addEventListener('click', () =>
        submit($('alertForm'), 'DELETE', `/api/boards/${openBoard}/alerts/${alert.id}`, undefined, () => refreshOpen()));
      row.append(`#${alert.id} `, el('q', clip(alert.text)), el('span', '', 'countdown'), button);
      alertRows.set(alert.id, row);
    }
    row.querySelector('.countdown').textContent = ` priority ${alert.priority}, ${alert.secondsLeft} s left `;
    if (previous.nextElementSibling !== row) previous.after(row);
    previous = row;
  }
  list.firstElementChild.hidden = alerts.length > 0;
  $('clearAlerts').disabled = !alerts.length;
}

$('clearAlerts').addEventListener('click', async () => {
  const ids = ((boardDetail && boardDetail.alerts) || []).map((a) => a.id);
  for (const id of ids)
    await api('DELETE', `/api/boards/${openBoard}/alerts/${id}`).catch((e) => showError($('alertForm'), e.message, ''));
  refreshOpen();
});

$('alertForm').addEventListener('submit', (event) => {
  event.preventDefault();
  const form = $('alertForm');
  const body = formValues(form, ['text', 'mode', 'brightness', 'priority', 'seconds']);
  submit(form, 'POST', `/api/boards/${openBoard}/alerts`, body, () => refreshOpen());
});

async function refreshOpen(takePlaylist) {
  if (openBoard === null) return;
  const number = openBoard;
  const detail = await api('GET', `/api/boards/${number}`).catch(() => null);
  if (!detail || number !== openBoard) return;
  boardDetail = detail;
  $('boardTitle').textContent = cardTitle(detail);
  const playlist = JSON.stringify(detail.playlist || []);
  if (takePlaylist) loadPlaylist(detail.playlist || []);
  else if (playlist !== editorBase)
    $('playlistNote').textContent = 'The playlist was changed elsewhere: "Reload from board" shows it.';
  renderAlerts();
}

// ---- counters and journal ----

let countersKey = '';
function renderCounters(counters) {
  const entries = Object.entries(counters);
  const key = JSON.stringify(entries);
  if (key === countersKey) return;
  countersKey = key;
  const list = $('counterList');
  const focused = document.activeElement && list.contains(document.activeElement) ? document.activeElement.id : '';
  list.replaceChildren();
  if (!entries.length) list.append(el('li', 'No counter yet.'));
  entries.forEach(([name, value], i) => {
    const row = el('li', '', 'counter');
    const form = el('form', '', 'row');
    form.noValidate = true;
    const input = el('input');
    input.id = `counter${i}`;
    input.inputMode = 'numeric';
    input.size = 8;
    input.value = value;
    input.dataset.field = 'value';
    const label = el('label', `${name} =`);
    label.htmlFor = input.id;
    const set = el('button', 'Set');
    set.setAttribute('aria-label', `Set ${name}`);
    const add = el('button', 'Add one');
    add.type = 'button';
    add.id = `counterAdd${i}`;
    add.setAttribute('aria-label', `Add one to ${name}`);
    const error = el('p', '', 'error');
    error.dataset.error = '';
    error.setAttribute('role', 'alert');
    const path = `/api/counters/${encodeURIComponent(name)}`;
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      submit(form, 'PUT', path, { value: numberOrText(input.value) });
    });
    add.addEventListener('click', () => submit(form, 'POST', path + '/add', { by: 1 }));
    form.append(label, input, set, add, error);
    row.append(form);
    list.append(row);
  });
  if (focused && $(focused)) $(focused).focus();
}

$('counterForm').addEventListener('submit', (event) => {
  event.preventDefault();
  const form = $('counterForm');
  const name = $('counterName').value.trim();
  submit(form, 'PUT', `/api/counters/${encodeURIComponent(name)}`, { value: numberOrText($('counterValue').value) });
});

let journalKey = '';
function renderJournal(entries) {
  const key = JSON.stringify(entries);
  if (key === journalKey) return;
  journalKey = key;
  const list = $('journalList');
  list.replaceChildren();
  if (!entries.length) list.append(el('li', 'No frame sent yet.'));
  for (const entry of entries) {
    const row = el('li');
    row.append(
      el('span', timeText(entry.time).replace(/ \(.*/, ''), 'when'),
      el('span', `board ${entry.board}`, 'which'),
      el('span', entry.source ?? '', 'source'),
      el('q', clip(entry.text, 400, entry.textLength)),
      el('code', frameText(entry.bytes, entry.byteLength), 'bytes'),
    );
    list.append(row);
  }
}

// ---- the push ----

let socket = null;
let retries = 0;
let journal = [];

async function refreshJournal() {
  const answer = await api('GET', '/api/journal?limit=50').catch(() => null);
  if (!answer) return;
  const seen = new Set(journal.map((e) => `${e.time}/${e.board}`));
  journal = journal.concat((answer.journal || []).filter((e) => !seen.has(`${e.time}/${e.board}`)));
  showJournal();
}

function showJournal() {
  journal.sort((a, b) => String(b.time).localeCompare(String(a.time)));
  journal.length = Math.min(journal.length, 50);
  renderJournal(journal);
}

async function refreshHealth() {
  try {
    const health = await api('GET', '/api/health');
    $('health').textContent =
      `Line ${health.transport ?? ''}: ${health.open ? 'open' : 'not open'}` +
      (health.bytesWaiting ? `, ${health.bytesWaiting} bytes waiting` : '') +
      (health.lastFailure ? `; ${health.lastFailure}` : '');
  } catch (e) {
    if (e.status !== 401) $('health').textContent = 'Trouble: ' + e.message;
  }
}

// What changed: the boards listed replace what the page knew of them, and a
// frame sent since is a new line of the journal.
function received(message) {
  const now = Date.parse(message.now || '');
  if (!isNaN(now)) clockOffset = now - Date.now();
  if (message.all) boards.clear();
  let framed = false;
  for (const board of message.boards || []) {
    const before = boards.get(board.board);
    const sent = board.sent || {};
    if (!message.all && sent.time && (!before || (before.sent || {}).time !== sent.time)) {
      const showing = board.showing || {};
      journal.push({ time: sent.time, board: board.board, source: showing.source, text: showing.text,
                     textLength: showing.textLength, bytes: sent.bytes, byteLength: sent.byteLength });
      framed = true;
    }
    boards.set(board.board, board);
  }
  for (const number of message.gone || []) boards.delete(number);
  renderCards([...boards.values()]);
  if (framed) showJournal();
  if (message.counters) renderCounters(message.counters);
  if (message.all) {
    refreshJournal();
    refreshHealth();
  }
}

function linkLost(text) {
  $('link').textContent = text;
  $('link').hidden = !text;
}

function connect() {
  if (socket || !$('tokenForm').hidden) return;
  const ws = new WebSocket(`${location.protocol === 'https:' ? 'wss' : 'ws'}://${location.host}/api/push`);
  socket = ws;
  ws.addEventListener('open', () => ws.send(token));
  ws.addEventListener('message', (event) => {
    retries = 0;
    linkLost('');
    received(JSON.parse(event.data));
  });
  ws.addEventListener('close', (event) => {
    socket = null;
    if (event.code === 4401) return askToken();
    const wait = RECONNECT_MS[Math.min(retries++, RECONNECT_MS.length - 1)];
    linkLost(`The connection to the service is lost: trying again in ${wait / 1000} s.`);
    setTimeout(connect, wait);
  });
}

// What the token may do: the forms it may not use are hidden (by the
// stylesheet, from the body's data-role), and the page says why.
const MAY = {
  read: 'may look, not change anything',
  operate: 'may send messages and alerts and set counters, not change playlists or names',
  admin: 'may change everything',
};
function takeCaller(caller) {
  document.body.dataset.role = caller.role;
  $('who').textContent = `Token ${caller.name || ''} (${caller.role}): ${MAY[caller.role] || ''}.`;
}

// Who the token is, the service's own lists: its fields and glyphs; then the push.
async function start() {
  try {
    takeCaller(await api('GET', '/api/whoami'));
    if (!glyphs) {
      const [fields, faces] = await Promise.all([api('GET', '/api/fields'), api('GET', '/api/glyphs')]);
      takeFields(fields.fields || []);
      takeGlyphs(faces);
      addLiveFields(document);
    }
  } catch (e) {
    if (e.status !== 401) {
      $('health').textContent = 'Trouble: ' + e.message;
      setTimeout(start, RECONNECT_MS[RECONNECT_MS.length - 1]);
    }
    return;
  }
  $('tokenForm').hidden = true;
  connect();
}

for (const select of document.querySelectorAll('select.mode')) fillModes(select);
start();
// The cards' and the open board's countdowns run; its playlist may change elsewhere.
setInterval(() => {
  if (!socket) return;
  if (boards.size) renderCards([...boards.values()]);
  refreshOpen(false);
}, OPEN_MS);
setInterval(() => socket && refreshHealth(), HEALTH_MS);
