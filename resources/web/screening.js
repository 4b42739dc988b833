'use strict';
// The producer's screening page: the program's state comes as server-sent events, changes go
// as JSON requests carrying the session's token.
(function () {
  const $ = (id) => document.getElementById(id);
  let texts = {};
  let token = '';
  let events = null;
  let state = null;
  let receivedAt = 0;
  let notesDirty = false;
  let notesCall = '';

  const text = (key) => texts[key] || key;

  function applyTexts() {
    document.documentElement.lang = texts.lang || 'en';
    document.title = text('title') + ' - Parlona Control';
    document.querySelectorAll('[data-text]').forEach((el) => { el.textContent = text(el.dataset.text); });
    document.querySelectorAll('[data-placeholder]').forEach((el) => { el.placeholder = text(el.dataset.placeholder); });
  }

  async function request(path, body) {
    const response = await fetch(path, {
      method: 'POST', credentials: 'same-origin', cache: 'no-store',
      headers: { 'Content-Type': 'application/json', 'X-Screening-Token': token },
      body: JSON.stringify(body || {}),
    });
    let reply = {};
    try { reply = await response.json(); } catch (e) { reply = {}; }
    reply.status = response.status;
    reply.retryAfter = response.headers.get('Retry-After') || '';
    if (response.status === 401) showLogin();
    return reply;
  }

  function say(id, message, good) {
    $(id).textContent = message || '';
    $(id).classList.toggle('good', !!good);
  }

  function showLogin() {
    if (events) { events.close(); events = null; }
    token = '';
    $('screen').hidden = true;
    $('logout').hidden = true;
    $('offline').hidden = true;
    $('loginForm').hidden = false;
    $('password').focus();
  }

  function showScreen() {
    $('loginForm').hidden = true;
    $('screen').hidden = false;
    $('logout').hidden = false;
    if (events) events.close();
    events = new EventSource('/api/events');
    events.onmessage = (event) => { $('offline').hidden = true; render(JSON.parse(event.data)); };
    events.onerror = async () => {
      $('offline').hidden = false;
      // A session that ended is not retried: the page asks for the password again.
      try {
        const response = await fetch('/api/session', { cache: 'no-store' });
        if (response.status === 401) showLogin();
      } catch (e) { /* the program is away: EventSource keeps trying */ }
    };
  }

  async function login(event) {
    event.preventDefault();
    $('loginButton').disabled = true;
    const reply = await request('/api/login', { password: $('password').value });
    $('loginButton').disabled = false;
    $('password').value = '';
    if (reply.ok) {
      token = reply.token;
      say('loginMessage', '');
      showScreen();
    } else if (reply.status === 429) {
      say('loginMessage', text('wait').replace('%1', reply.retryAfter || '…'));
    } else {
      say('loginMessage', text('wrongPassword'));
    }
  }

  function clockText(ms) {
    const seconds = Math.max(0, Math.floor(ms / 1000));
    const two = (n) => String(n).padStart(2, '0');
    const h = Math.floor(seconds / 3600);
    const m = Math.floor(seconds / 60) % 60;
    return (h > 0 ? h + ':' : '') + two(m) + ':' + two(seconds % 60);
  }

  function tick() {
    if (!state || state.call === 'idle') { $('clock').textContent = ''; return; }
    $('clock').textContent = clockText(Date.now() - receivedAt + state.nowMs - state.sinceMs);
  }

  function historyText(s) {
    if (s.call === 'idle' || s.withheld || !s.historyKnown) return '';
    if (s.historyCount === 0) return text('neverBefore');
    const last = s.historyLast ? new Date(s.historyLast).toLocaleString(texts.lang || undefined,
      { dateStyle: 'medium', timeStyle: 'short' }) : '';
    return text('calledBefore').replace('%1', s.historyCount).replace('%2', last);
  }

  function render(s) {
    state = s;
    receivedAt = Date.now();
    $('unit').textContent = text(s.connected ? 'connected' : 'notConnected');
    $('unit').classList.toggle('on', s.connected);
    $('sim').textContent = texts['sim_' + s.sim] || s.sim;
    $('signal').textContent = s.signal === 99 ? '–' : s.dbm + ' dBm';
    const stateKey = s.connected && s.silent ? 'silent' : s.call;
    $('callState').textContent = text(stateKey);
    $('callState').className = 'state ' + stateKey;
    const party = s.call !== 'idle' || s.number;
    $('number').textContent = !party ? '' : (s.withheld ? text('withheld') : s.number);
    $('name').textContent = !party || s.withheld ? '' : (s.name || text('unknownName'));
    $('history').textContent = historyText(s);
    $('answer').disabled = s.call !== 'ringing';
    $('decline').disabled = s.call !== 'ringing';
    $('hangup').disabled = s.call === 'idle';
    $('dial').disabled = !s.connected || s.call !== 'idle';
    renderNotes(s);
    tick();
  }

  function renderNotes(s) {
    const call = s.call === 'idle' ? '' : s.number + '@' + s.sinceMs;
    if (call !== notesCall && s.call !== 'idle') { notesDirty = false; notesCall = call; }
    if (!notesDirty) {
      $('callerName').value = s.notes.callerName;
      $('place').value = s.notes.place;
      $('topic').value = s.notes.topic;
      $('readyForAir').checked = s.notes.readyForAir;
    }
    $('saveNotes').disabled = !s.hasCall;
    $('toPhonebook').disabled = !s.number || !!s.name;
  }

  async function act(path, body) {
    say('actionMessage', '');
    const reply = await request(path, body);
    if (!reply.ok && reply.status !== 401) say('actionMessage', reply.message || text('refused'));
    return reply;
  }

  async function saveNotes(event) {
    event.preventDefault();
    const reply = await request('/api/notes', {
      callerName: $('callerName').value, place: $('place').value,
      topic: $('topic').value, readyForAir: $('readyForAir').checked,
    });
    if (reply.ok) notesDirty = false;
    say('notesMessage', reply.ok ? text('notesSaved') : (reply.message || text('refused')), reply.ok);
  }

  async function toPhonebook() {
    const reply = await request('/api/phonebook', { name: $('callerName').value });
    say('notesMessage', reply.ok ? text('savedToPhonebook') : (reply.message || text('refused')), reply.ok);
  }

  async function start() {
    try { texts = await (await fetch('/api/texts', { cache: 'no-store' })).json(); } catch (e) { texts = {}; }
    applyTexts();
    $('loginForm').addEventListener('submit', login);
    $('answer').addEventListener('click', () => act('/api/answer'));
    $('decline').addEventListener('click', () => act('/api/decline'));
    $('hangup').addEventListener('click', () => act('/api/hangup'));
    $('dialForm').addEventListener('submit', (event) => {
      event.preventDefault();
      act('/api/dial', { number: $('dialNumber').value });
    });
    $('notesForm').addEventListener('submit', saveNotes);
    $('notesForm').addEventListener('input', () => { notesDirty = true; say('notesMessage', ''); });
    $('toPhonebook').addEventListener('click', toPhonebook);
    $('logout').addEventListener('click', async () => { await request('/api/logout'); showLogin(); });
    setInterval(tick, 250);
    const response = await fetch('/api/session', { cache: 'no-store' });
    if (response.ok) {
      token = (await response.json()).token;
      showScreen();
    } else {
      showLogin();
    }
  }

  start();
}());
