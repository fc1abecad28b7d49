// The collectors' downloads: showDownloads(section) lists them; a file is
// made on the server while its progress shows, then the browser fetches it
// itself (saved as a file, never held by the page). Everything from the
// server is set with textContent only.
'use strict';

function downloadsElement(tag, text) {
  const element = document.createElement(tag);
  if (text !== undefined) element.textContent = text;
  return element;
}

async function downloadsAnswer(response) {
  try { return await response.json(); } catch (e) { return { error: '服务器没有回答（状态 ' + response.status + '）。' }; }
}

// Polls the file's job until it is made, then lets the browser download it.
async function fetchDownload(file, groupBy, progress, status, button) {
  const address = '/collect/api/downloads/' + encodeURIComponent(file.name);
  const params = new URLSearchParams({ progress: '1' });
  if (file.report && groupBy.length) params.set('by', groupBy.join(','));
  button.disabled = true;
  progress.hidden = false;
  try {
    for (;;) {
      const response = await fetch(address + '?' + params, { credentials: 'same-origin' });
      const answer = await downloadsAnswer(response);
      if (response.status === 202) {
        progress.value = answer.fraction;
        status.textContent = answer.words;
        params.set('job', answer.job);
        await new Promise((done) => setTimeout(done, 500));
        continue;
      }
      if (response.status === 200) {
        progress.value = 1;
        status.textContent = '已生成（' + answer.files + ' 个文件），开始下载。';
        params.delete('progress');
        params.set('job', answer.job);
        window.location.href = address + '?' + params;
      } else {
        status.textContent = answer.error || '下载失败（状态 ' + response.status + '）。';
      }
      return;
    }
  } finally {
    button.disabled = false;
  }
}

async function showDownloads(section) {
  const response = await fetch('/collect/api/downloads', { credentials: 'same-origin' });
  if (!response.ok) return;
  const { files, groupings } = await response.json();
  section.replaceChildren(downloadsElement('h2', '下载'),
    downloadsElement('p', '数据集、变量说明、问题清单、核查结果和报告都由与 csr-collect 相同的代码生成，'
      + '内容是此刻有效的文件（已接受、每个企业最新的一份、未退回）；原始文件的压缩包可以用 csr-collect 自己汇总。'));
  const label = downloadsElement('label', '报告按以下变量分组（可多选）：');
  const select = downloadsElement('select');
  select.multiple = true;
  select.id = 'downloads-by';
  label.htmlFor = select.id;
  for (const grouping of groupings) {
    const option = downloadsElement('option', grouping.label);
    option.value = grouping.name;
    select.append(option);
  }
  const list = downloadsElement('ul');
  for (const file of files) {
    const item = downloadsElement('li');
    const button = downloadsElement('button', file.caption);
    button.type = 'button';
    const progress = downloadsElement('progress');
    progress.max = 1;
    progress.value = 0;
    progress.hidden = true;
    const status = downloadsElement('span');
    status.setAttribute('aria-live', 'polite');
    button.addEventListener('click', () => {
      const groupBy = Array.from(select.selectedOptions, (option) => option.value);
      fetchDownload(file, groupBy, progress, status, button);
    });
    item.append(button, ' ', progress, ' ', status);
    list.append(item);
  }
  section.append(label, select, list);
}

views.downloads = () => showDownloads(document.getElementById('downloads'));
