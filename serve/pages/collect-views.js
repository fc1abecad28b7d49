// The views of the collectors' page: the overview (asked again every few
// seconds while shown), the submissions, one submission, the upload codes
// and the audit log. Texts from the server are set with textContent only.
'use strict';

let choices = null;        // the filters' choices, asked once
let overviewTimer = 0;
let chartVersion = -1;
let listFilter = {};       // the filter of the table shown
let listPages = [];        // the ids each shown page started before, for going back to the first
let listNext = 0;
const selected = new Set();
let shownId = 0;           // the submission shown

async function loadChoices() {
  if (choices) return choices;
  choices = await ask('GET', '/collect/api/choices');
  if (!choices) return null;
  const states = choices.states.map((s) => [s.value, s.text]);
  options(byId('f-state'), states, true);
  options(byId('f-check'), choices.checks.map((c) => [c.id, c.title]), true);
  options(byId('f-code'), choices.codes.map((c) => [c.id, c.name]), true);
  options(byId('batch-state'), states);
  options(byId('s-state'), states);
  return choices;
}

function counts(dl, pairs) {
  dl.replaceChildren(...pairs.map(([label, value, id]) => {
    const box = el('div');
    box.append(el('dt', label), el('dd', value));
    if (id) box.lastChild.id = id;
    return box;
  }));
}

// ---- Overview -------------------------------------------------------------

async function refreshOverview() {
  if (byId('overview').hidden) {
    clearInterval(overviewTimer);
    overviewTimer = 0;
    return;
  }
  const o = await ask('GET', '/collect/api/overview');
  if (!o) return;
  byId('nothing-yet').hidden = o.received > 0;
  byId('upload-address').textContent = location.origin + '/u/<上传代码>';
  counts(byId('counts'), [['收到的文件', o.received, 'count-received'], ['合格', o.accepted], ['不合格', o.rejected],
    ['企业', o.enterprises], ['计入数据', o.current, 'count-current'], ['被新文件替换', o.replaced], ['退回', o.sentBack]]);
  counts(byId('states'), o.states.map((s) => [s.text, s.count]));
  fillBody(byId('findings'), o.findings.filter((f) => f.open + f.checked > 0)
    .map((f) => row([f.title, f.severity, f.open, f.checked])));
  if (o.accepted !== chartVersion && o.accepted > 0) {
    chartVersion = o.accepted;
    byId('chart').src = '/collect/api/chart.svg?v=' + o.accepted;
    byId('chart').hidden = false;
  }
}

views.overview = () => {
  refreshOverview();
  if (!overviewTimer) overviewTimer = setInterval(refreshOverview, 5000);
};

// ---- Submissions ----------------------------------------------------------

function stateCell(state, text) {
  return el('span', text, 'state-' + state);
}

async function loadList(before) {
  const query = new URLSearchParams(listFilter);
  if (before) query.set('before', before);
  const page = await ask('GET', '/collect/api/submissions?' + query);
  if (!page) return;
  listNext = page.next;
  byId('next-page').disabled = !page.next;
  byId('first-page').disabled = !before;
  byId('total').textContent = '共 ' + page.total + ' 份';
  fillBody(byId('list'), page.rows.map((s) => {
    const box = el('input');
    box.type = 'checkbox';
    box.checked = selected.has(s.id);
    box.addEventListener('change', () => {
      if (box.checked) selected.add(s.id); else selected.delete(s.id);
      byId('selected').textContent = selected.size;
    });
    return row([box, link(s.id, '#submission/' + s.id), s.enterprise || s.fileName, s.receivedText, s.code,
      s.accepted ? '合格' : '不合格：' + s.reason, s.problems, s.findings, stateCell(s.state, s.stateText)]);
  }));
}

byId('filter').addEventListener('submit', (event) => {
  event.preventDefault();
  listFilter = {};
  for (const [key, id] of [['q', 'f-name'], ['accepted', 'f-accepted'], ['state', 'f-state'], ['check', 'f-check'],
    ['code', 'f-code']])
    if (byId(id).value) listFilter[key] = byId(id).value;
  loadList(0);
});
byId('next-page').addEventListener('click', () => loadList(listNext));
byId('first-page').addEventListener('click', () => loadList(0));
byId('select-all').addEventListener('change', () => {
  for (const box of byId('list').tBodies[0].querySelectorAll('input[type=checkbox]')) {
    box.checked = byId('select-all').checked;
    box.dispatchEvent(new Event('change'));
  }
});
byId('batch').addEventListener('submit', async (event) => {
  event.preventDefault();
  if (!selected.size) return;
  if (await ask('POST', '/collect/api/review', { ids: [...selected], state: byId('batch-state').value })) {
    selected.clear();
    byId('selected').textContent = '0';
    byId('select-all').checked = false;
    loadList(0);
  }
});

views.submissions = async () => {
  await loadChoices();
  loadList(0);
};

// ---- One submission -------------------------------------------------------

function findingCell(s, f) {
  if (f.checked) return el('span', '已核实（' + f.checked.by + '，' + f.checked.atText + '）');
  const button = el('button', '标为已核实', 'check-finding');
  button.type = 'button';
  button.addEventListener('click', async () => {
    if (await ask('POST', '/collect/api/finding', { id: s.receipt.id, key: f.key, checked: true })) showSubmission(s.receipt.id);
  });
  return button;
}

async function compare(from, to) {
  const c = await ask('GET', '/collect/api/submission/changes?id=' + to + '&from=' + from);
  if (!c) return;
  byId('s-changes').hidden = false;
  byId('s-changes-title').textContent = '从第 ' + from + ' 份到第 ' + to + ' 份改动的回答（' + c.changes.length + ' 处）';
  fillBody(byId('s-changes').querySelector('table'), c.changes.map((x) => row([x.line, x.label, x.before, x.after])));
}

function showReview(s) {
  byId('s-state').value = s.review.state;
  byId('s-note').value = s.review.note;
  byId('s-reviewed').textContent = s.review.by ? s.review.stateText + '（' + s.review.by + '，' + s.review.changedText + '）'
    : s.review.stateText;
  byId('s-reviewed').className = 'state-' + s.review.state;
}

async function showSubmission(id) {
  await loadChoices();
  const s = await ask('GET', '/collect/api/submission?id=' + encodeURIComponent(id));
  if (!s) return;
  shownId = s.receipt.id;
  byId('s-title').textContent = '第 ' + s.receipt.id + ' 份：' + (s.enterprise || s.receipt.fileName);
  const dl = byId('s-receipt');
  dl.replaceChildren();
  for (const [label, value] of [['文件', s.receipt.fileName], ['收到时间', s.receipt.receivedText], ['上传代码', s.code],
    ['大小', s.receipt.size + ' 字节'], ['SHA-256', s.receipt.sha256], ['替换', s.replaces ? s.replaces.text : '']])
    if (value) dl.append(el('dt', label), el('dd', value));
  byId('s-file').href = '/collect/api/submission/file?id=' + s.receipt.id;
  showReview(s);
  byId('s-verdict').textContent = s.accepted ? '合格' + (s.message ? '。' + s.message : '')
    : '不合格：' + s.reason + (s.line ? '（第 ' + s.line + ' 行）' : '');
  fillBody(byId('s-problems'), (s.problems || []).map((p) => row([p.line, p.variable, p.what, p.raw])));
  fillBody(byId('s-findings'), (s.findings || []).map((f) =>
    row([f.title, f.severity, f.values, findingCell(s, f)], f.checked ? 'checked' : '')));
  fillBody(byId('s-history'), s.history.map((h) => {
    const button = el('button', '比较');
    button.type = 'button';
    button.addEventListener('click', () => compare(h.id, s.receipt.id));
    return row([link(h.id, '#submission/' + h.id), h.receivedText, h.fileName, h.accepted ? '合格' : '不合格',
      stateCell(h.state, h.stateText), h.current ? '是' : '', h.id === s.receipt.id ? '' : button],
    h.current ? 'current' : '');
  }));
  byId('s-changes').hidden = true;
  fillBody(byId('s-answers'), s.answers.map((a) => row([a.line, a.label, a.value])));
}

byId('s-review').addEventListener('submit', async (event) => {
  event.preventDefault();
  const done = await ask('POST', '/collect/api/review',
    { ids: [shownId], state: byId('s-state').value, note: byId('s-note').value });
  if (done) showSubmission(shownId);
});

views.submission = (id) => showSubmission(id);

// ---- Upload codes ---------------------------------------------------------

async function loadCodes() {
  const c = await ask('GET', '/collect/api/codes');
  if (!c) return;
  fillBody(byId('code-list'), c.codes.map((code) => {
    let action = '';
    if (!code.revoked) {
      action = el('button', '停用');
      action.type = 'button';
      action.addEventListener('click', async () => {
        if (confirm('停用“' + code.name + '”？用它的链接将不能再上传。') &&
            await ask('POST', '/collect/api/codes/revoke', { id: code.id })) loadCodes();
      });
    }
    return row([code.name, code.createdText, code.files, code.revoked ? '已停用' : '有效', action]);
  }));
}

byId('new-code').addEventListener('submit', async (event) => {
  event.preventDefault();
  const made = await ask('POST', '/collect/api/codes', { name: byId('code-name').value });
  if (!made) return;
  byId('code-name').value = '';
  byId('new-code-link').textContent = location.origin + made.path;
  byId('new-code-shown').hidden = false;
  choices = null; // the filter's list of codes
  loadCodes();
});

views.codes = () => {
  byId('new-code-shown').hidden = true;
  loadCodes();
};

// ---- Audit log ------------------------------------------------------------

async function loadAudit(offset) {
  const a = await ask('GET', '/collect/api/audit?offset=' + offset);
  if (!a) return;
  const rows = a.entries.map((e) => row([e.atText, e.collector, e.actionText, e.subject, e.detail]));
  if (offset) byId('audit-list').tBodies[0].append(...rows); else fillBody(byId('audit-list'), rows);
  const more = byId('audit-more');
  more.hidden = !a.next;
  more.onclick = () => loadAudit(a.next);
}

views.audit = () => loadAudit(0);
