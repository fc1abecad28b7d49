// The collectors' page: signs in, then shows one view at a time by the
// address's #part. Everything from the server is set with textContent only;
// every change carries the session's token. The views are in collect-views.js.
'use strict';

let csrf = '';
const views = {}; // name → function(argument) that fills the view when shown

function byId(id) { return document.getElementById(id); }

async function call(method, path, body) {
  const headers = { 'Content-Type': 'application/json' };
  if (csrf) headers['X-CSRF-Token'] = csrf;
  let response;
  try {
    response = await fetch(path, { method, headers, body: body === undefined ? undefined : JSON.stringify(body),
                                   credentials: 'same-origin' });
  } catch (e) {
    return { status: 0, answer: { error: '连不上服务器，请检查网络。' } };
  }
  let answer = {};
  try { answer = await response.json(); } catch (e) { answer = { error: '服务器没有回答（状态 ' + response.status + '）。' }; }
  if (response.status === 401 && path !== '/collect/api/session') signedOut();
  return { status: response.status, answer };
}

// The answer, or null with its refusal said on the page.
async function ask(method, path, body) {
  const { status, answer } = await call(method, path, body);
  byId('message').textContent = status === 200 ? '' : (answer.error || '请求失败。');
  return status === 200 ? answer : null;
}

// An element with its text (never markup) and class.
function el(tag, text, className) {
  const e = document.createElement(tag);
  if (text !== undefined && text !== null) e.textContent = String(text);
  if (className) e.className = className;
  return e;
}

// A row of cells: texts, or elements as they are.
function row(cells, className) {
  const tr = el('tr', null, className);
  for (const c of cells) {
    const td = el('td');
    if (c instanceof Node) td.appendChild(c); else td.textContent = c === undefined || c === null ? '' : String(c);
    if (typeof c === 'number') td.className = 'number';
    tr.appendChild(td);
  }
  return tr;
}

function fillBody(table, rows) {
  const body = table.tBodies[0];
  body.replaceChildren(...rows);
}

function link(text, href) {
  const a = el('a', text);
  a.href = href;
  return a;
}

function options(select, list, keep) {
  const first = keep ? [select.options[0]] : [];
  select.replaceChildren(...first, ...list.map(([value, text]) => {
    const o = el('option', text);
    o.value = value;
    return o;
  }));
}

function show() {
  const [name, argument] = (location.hash.slice(1) || 'overview').split('/');
  const view = views[name] ? name : 'overview';
  for (const section of document.querySelectorAll('.view')) section.hidden = section.id !== view;
  for (const a of document.querySelectorAll('header nav a'))
    a.classList.toggle('here', a.getAttribute('href') === '#' + (view === 'submission' ? 'submissions' : view));
  byId('message').textContent = '';
  views[view](argument);
}

function signedIn(me) {
  csrf = me.csrf;
  byId('who').textContent = me.name;
  byId('bar').hidden = false;
  byId('signin').hidden = true;
  show();
}

function signedOut() {
  csrf = '';
  byId('bar').hidden = true;
  byId('signin').hidden = false;
  for (const section of document.querySelectorAll('.view')) section.hidden = true;
}

byId('signin').addEventListener('submit', async (event) => {
  event.preventDefault();
  const { status, answer } = await call('POST', '/collect/api/session', { code: byId('code').value });
  byId('code').value = '';
  if (status === 200) {
    byId('signin-error').textContent = '';
    signedIn(answer);
  } else {
    byId('signin-error').textContent = answer.error || '登录失败。';
  }
});

byId('signout').addEventListener('click', async () => {
  await call('POST', '/collect/api/signout', {});
  signedOut();
});

window.addEventListener('hashchange', () => { if (csrf) show(); });

// The views register first (collect-views.js runs after this file).
document.addEventListener('DOMContentLoaded', () =>
  call('GET', '/collect/api/me').then(({ status, answer }) => (status === 200 ? signedIn(answer) : signedOut())));
