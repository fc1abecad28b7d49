// The collectors' page: signs in, then shows the desk. Everything from the
// server is set with textContent only; every change carries the session's token.
'use strict';

let csrf = '';

function byId(id) { return document.getElementById(id); }

async function call(method, path, body) {
  const headers = { 'Content-Type': 'application/json' };
  if (csrf) headers['X-CSRF-Token'] = csrf;
  const response = await fetch(path, { method, headers, body: body === undefined ? undefined : JSON.stringify(body),
                                       credentials: 'same-origin' });
  let answer = {};
  try { answer = await response.json(); } catch (e) { answer = { error: '服务器没有回答（状态 ' + response.status + '）。' }; }
  return { status: response.status, answer };
}

function signedIn(me) {
  csrf = me.csrf;
  byId('who').textContent = me.name;
  byId('bar').hidden = false;
  byId('signin').hidden = true;
  byId('desk').hidden = false;
}

function signedOut() {
  csrf = '';
  byId('bar').hidden = true;
  byId('desk').hidden = true;
  byId('signin').hidden = false;
}

byId('signin').addEventListener('submit', async (event) => {
  event.preventDefault();
  const { status, answer } = await call('POST', '/collect/api/session', { code: byId('code').value });
  byId('code').value = '';
  if (status === 200) signedIn(answer);
  else byId('signin-error').textContent = answer.error || '登录失败。';
});

byId('signout').addEventListener('click', async () => {
  await call('POST', '/collect/api/signout', {});
  signedOut();
});

call('GET', '/collect/api/me').then(({ status, answer }) => (status === 200 ? signedIn(answer) : signedOut()));
