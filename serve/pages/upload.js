// The upload page: sends each chosen file to the API and shows its answer.
// Everything from the server or a file is set with textContent only.
'use strict';

const code = decodeURIComponent(location.pathname.replace(/^\/u\//, ''));

function element(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}

function details(list, pairs) {
  for (const [term, value, className] of pairs) {
    list.append(element('dt', '', term), element('dd', className || '', value));
  }
}

function lineText(item) {
  const at = item.line > 0 ? '第 ' + item.line + ' 行：' : '';
  return at + item.what + (item.raw ? '（' + item.raw + '）' : '');
}

function show(card, status, answer) {
  if (!answer || typeof answer !== 'object') answer = { error: '服务器没有回答（状态 ' + status + '），请稍后重新上传。' };
  if (answer.error) {
    card.classList.add('refused');
    card.append(element('p', 'status', '未收到'), element('p', 'reason', answer.error));
    return;
  }
  const received = answer.accepted === true;
  card.classList.add(received ? 'received' : 'refused');
  card.append(element('p', 'status', received ? '已收到' : '未收到：不是完整的填报结果'));
  if (answer.repeated) card.append(element('p', 'repeated', '这个文件之前已经收到过，以下是当时的回执。'));
  if (!received) card.append(element('p', 'reason', answer.message));
  const list = element('dl');
  if (received) details(list, [['企业', answer.enterprise]]);
  details(list, [['收到时间', answer.receipt.receivedText], ['回执编号', String(answer.receipt.id)],
                 ['SHA-256', answer.receipt.sha256, 'hash']]);
  card.append(list);
  if (answer.replaces) card.append(element('p', 'replaces', answer.replaces.text));
  const checks = (answer.problems || []).map(lineText).concat((answer.findings || []).map((f) => f.question));
  if (checks.length) {
    card.append(element('p', 'advice', answer.message));
    const items = element('ul', 'checks');
    for (const text of checks) items.append(element('li', '', text));
    card.append(items);
  }
}

async function send(file) {
  const card = element('article', 'answer');
  card.append(element('h2', '', file.name), element('p', 'pending', '正在上传…'));
  document.getElementById('answers').prepend(card);
  let status = 0, answer = null;
  try {
    const response = await fetch('/api/v1/submissions', {
      method: 'POST',
      headers: { 'Authorization': 'Bearer ' + code, 'X-File-Name': encodeURIComponent(file.name),
                 'Content-Type': 'application/octet-stream' },
      body: file,
    });
    status = response.status;
    answer = await response.json().catch(() => null);
  } catch (e) {
    answer = { error: '连接服务器失败，文件未收到。请检查网络后重新上传。' };
  }
  card.querySelector('.pending').remove();
  show(card, status, answer);
}

function listChosen(input) {
  const chosen = document.getElementById('chosen');
  chosen.replaceChildren(...Array.from(input.files, (f) => element('li', '', f.name)));
}

document.addEventListener('DOMContentLoaded', () => {
  const input = document.getElementById('files');
  const drop = document.getElementById('drop');
  const button = document.getElementById('send');
  input.addEventListener('change', () => listChosen(input));
  drop.addEventListener('dragover', (e) => { e.preventDefault(); drop.classList.add('over'); });
  drop.addEventListener('dragleave', () => drop.classList.remove('over'));
  drop.addEventListener('drop', (e) => {
    e.preventDefault();
    drop.classList.remove('over');
    input.files = e.dataTransfer.files;
    listChosen(input);
  });
  document.getElementById('upload').addEventListener('submit', async (e) => {
    e.preventDefault();
    const files = Array.from(input.files);
    if (!files.length) return;
    button.disabled = true;
    await Promise.all(files.map(send));
    button.disabled = false;
  });
});
