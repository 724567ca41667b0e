'use strict';
(() => {
  const PasswordCount = 16;
  const SeedNumberCount = 7;
  const MinLength = 4;
  const MaxLength = 99;
  const MaxSeedNumber = 4294967295;
  // The window's number edits take no more than this.
  const WindowMaxSeedNumber = 99999;
  const Field = { ownerName: 0, ownerKey: 1, seedText: 2, listText: 3 };

  const $ = (id) => document.getElementById(id);

  // The page speaks Japanese to a browser whose first language is Japanese
  // and English to every other, as the window does. A text is looked up by
  // its Japanese; %1, %2 ... stand for the arguments.
  const firstLanguage = (navigator.languages && navigator.languages[0]) || navigator.language || 'ja';
  const english = !/^ja(-|$)/i.test(firstLanguage);
  const texts = english ? JSON.parse($('texts-en').textContent) : {};
  const t = (text, ...args) =>
    (texts[text] ?? text).replace(/%([1-9])/g, (marker, n) => String(args[n - 1]));
  if (english) {
    document.documentElement.lang = 'en';
    document.title = t(document.title);
    const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
      const text = node.nodeValue.trim();
      if (Object.hasOwn(texts, text)) node.nodeValue = node.nodeValue.replace(text, () => texts[text]);
    }
  }
  const form = $('inputs');
  const generateButton = $('generate');
  const reportButton = $('report');
  const message = $('message');
  const copyStatus = $('copy-status');
  const results = $('results');

  // Controls made here so that their ids follow one pattern.
  const seedNumbers = [];
  for (let k = 1; k <= SeedNumberCount; ++k) {
    const cell = document.createElement('div');
    const label = document.createElement('label');
    label.id = `seed-number-${k}-label`;
    label.htmlFor = `seed-number-${k}`;
    label.textContent = String(k);
    const input = document.createElement('input');
    input.id = `seed-number-${k}`;
    input.type = 'text';
    input.inputMode = 'numeric';
    input.autocomplete = 'off';
    input.value = '0';
    input.disabled = true;
    input.setAttribute('aria-labelledby', `mode-numeric-label seed-number-${k}-label`);
    input.setAttribute('aria-describedby', 'seed-numbers-error seed-numbers-note');
    cell.append(label, input);
    $('seed-numbers').append(cell);
    seedNumbers.push(input);
  }

  const passwordItems = [];
  for (let k = 1; k <= PasswordCount; ++k) {
    const item = document.createElement('li');
    item.hidden = true;
    const number = document.createElement('span');
    number.className = 'number';
    number.textContent = String(k);
    number.setAttribute('aria-hidden', 'true');
    const text = document.createElement('code');
    text.id = `password-${k}`;
    const copy = document.createElement('button');
    copy.type = 'button';
    copy.textContent = t('コピー');
    copy.setAttribute('aria-label', t('パスワード %1 をコピー', k));
    copy.addEventListener('click', () =>
      copyText(text.textContent, t('パスワード %1 をコピーしました。', k)));
    item.append(number, text, copy);
    results.append(item);
    passwordItems.push({ item, text });
  }

  // ---- the engine -------------------------------------------------------

  let engine = null;

  function decodeBase64(text) {
    const binary = atob(text.replace(/\s+/g, ''));
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  async function loadEngine() {
    let memory = null;
    const imports = {
      wasi_snapshot_preview1: {
        // The C library asks for the environment (none) and may exit.
        environ_sizes_get(countAt, sizeAt) {
          const view = new DataView(memory.buffer);
          view.setUint32(countAt, 0, true);
          view.setUint32(sizeAt, 0, true);
          return 0;
        },
        environ_get() { return 0; },
        proc_exit(code) { throw new Error(`engine exit ${code}`); },
      },
      env: { emscripten_notify_memory_growth() {} },
    };
    const { instance } = await WebAssembly.instantiate(
      decodeBase64($('engine-wasm').textContent), imports);
    const exports = instance.exports;
    memory = exports.memory;
    if (exports._initialize) exports._initialize();
    return exports;
  }

  function writeText(field, text) {
    const at = engine.tovrik_input(field, text.length);
    const units = new Uint16Array(engine.memory.buffer, at, text.length);
    for (let i = 0; i < text.length; ++i) units[i] = text.charCodeAt(i);
  }

  function readOutput(length) {
    const units = new Uint16Array(engine.memory.buffer, engine.tovrik_output(), length);
    let text = '';
    for (let i = 0; i < length; i += 4096)
      text += String.fromCharCode.apply(null, units.subarray(i, i + 4096));
    return text;
  }

  // request: { ownerName, ownerKey, stringSeedMode, seedText, seedNumbers,
  // complexity, charList, length }. The sixteen passwords, or null when the
  // normalised list is empty or the length lies outside 4..99.
  function generatePasswords(request) {
    writeText(Field.ownerName, request.ownerName);
    writeText(Field.ownerKey, request.ownerKey);
    writeText(Field.seedText, request.seedText);
    writeText(Field.listText, request.charList);
    const numbers = new Uint32Array(engine.memory.buffer, engine.tovrik_seed_numbers(),
                                    SeedNumberCount);
    for (let i = 0; i < SeedNumberCount; ++i) numbers[i] = request.seedNumbers[i] || 0;
    if (!engine.tovrik_generate(request.stringSeedMode ? 1 : 0, request.complexity ? 1 : 0,
                                request.length))
      return null;
    const passwords = [];
    for (let k = 1; k <= PasswordCount; ++k)
      passwords.push(readOutput(engine.tovrik_password(k)));
    return passwords;
  }

  function listDisplay(text) {
    writeText(Field.listText, text);
    return readOutput(engine.tovrik_list_display());
  }

  // The list field's text as the window's list edit holds it: a text area
  // gives its line breaks as LF, the edit as CR LF, and each of CR and LF
  // counts towards the list's first 200 characters.
  function listFieldText() {
    return $('char-list').value.replace(/\r?\n/g, '\r\n');
  }

  // ---- checks, as the command-line tool makes them -------------------------

  // A whole decimal number up to max, or null.
  function parseWhole(text, max) {
    const trimmed = text.trim();
    if (!/^[0-9]+$/.test(trimmed)) return null;
    const value = Number(trimmed);
    return value <= max ? value : null;
  }

  function setFieldError(inputs, errorElement, text) {
    errorElement.textContent = text;
    for (const input of inputs) {
      if (text) input.setAttribute('aria-invalid', 'true');
      else input.removeAttribute('aria-invalid');
    }
  }

  function stringMode() {
    return $('mode-string').checked;
  }

  // The request of the page's inputs, or null after showing what is wrong.
  function readRequest() {
    const errors = [];
    let firstInvalid = null;
    const fail = (input, text) => {
      errors.push(text);
      if (!firstInvalid) firstInvalid = input;
    };

    const lengthInput = $('length');
    const length = parseWhole(lengthInput.value, MaxLength);
    let lengthError = '';
    if (length === null || length < MinLength) {
      lengthError = t('文字数は %1 から %2 までの整数で入力してください。', MinLength, MaxLength);
      fail(lengthInput, lengthError);
    }
    setFieldError([lengthInput], $('length-error'), lengthError);

    const listInput = $('char-list');
    listInput.value = listDisplay(listFieldText());
    let listError = '';
    if (listInput.value.replace(/[\r\n]/g, '') === '') {
      listError = t('文字リストが空のため、パスワードを生成できません。文字リストに文字を入力してください。');
      fail(listInput, listError);
    }
    setFieldError([listInput], $('char-list-error'), listError);

    const numbers = [];
    const badNumbers = [];
    const largeNumbers = [];
    // The numbers count only in numeric mode, as --numbers only with it.
    seedNumbers.forEach((input, i) => {
      const value = stringMode() ? 0 : parseWhole(input.value, MaxSeedNumber);
      if (value === null) badNumbers.push(i + 1);
      else if (value > WindowMaxSeedNumber) largeNumbers.push(i + 1);
      numbers.push(value === null ? 0 : value);
      if (value === null) input.setAttribute('aria-invalid', 'true');
      else input.removeAttribute('aria-invalid');
    });
    let numbersError = '';
    if (badNumbers.length) {
      numbersError = t('数字 %1: 0 から %2 までの整数を入力してください。',
                       badNumbers.join(t('、')), MaxSeedNumber);
      fail(seedNumbers[badNumbers[0] - 1], numbersError);
    }
    $('seed-numbers-error').textContent = numbersError;
    $('seed-numbers-note').textContent = largeNumbers.length && !badNumbers.length
      ? t('数字 %1 は %2 を超えています。このまま生成しますが、ウィンドウで入力できるのは %2 までです。',
          largeNumbers.join(t('、')), WindowMaxSeedNumber)
      : '';

    message.textContent = errors.join('\n');
    if (errors.length) {
      firstInvalid.focus();
      return null;
    }
    return {
      ownerName: $('owner-name').value,
      ownerKey: $('owner-key').value,
      stringSeedMode: stringMode(),
      seedText: $('seed-text').value,
      seedNumbers: numbers,
      complexity: $('complexity').checked,
      charList: listFieldText(),
      length,
    };
  }

  // ---- results ---------------------------------------------------------

  let shownLevel = -1; // the spread level of the shown results; -1: none

  function clearResults() {
    for (const { item, text } of passwordItems) {
      text.textContent = '';
      item.hidden = true;
    }
    shownLevel = -1;
    reportButton.disabled = true;
  }

  function generate() {
    copyStatus.textContent = '';
    const request = readRequest();
    if (!request) {
      clearResults();
      return;
    }
    const passwords = generatePasswords(request);
    if (!passwords) {
      clearResults();
      return;
    }
    const level = Number($('spread').value);
    const shown = 1 << level;
    passwordItems.forEach(({ item, text }, i) => {
      text.textContent = i < shown ? passwords[i] : '';
      item.hidden = i >= shown;
    });
    shownLevel = level;
    reportButton.disabled = false;
  }

  function reportText() {
    const now = new Date();
    const length = engine.tovrik_report(shownLevel, now.getFullYear(), now.getMonth() + 1,
                                        now.getDate(), now.getHours(), now.getMinutes(),
                                        now.getSeconds());
    return readOutput(length);
  }

  // ---- clipboard ---------------------------------------------------------

  // Through a copy event, which keeps the text exactly (CR LF included).
  function copyThroughEvent(text) {
    let copied = false;
    const onCopy = (event) => {
      event.clipboardData.setData('text/plain', text);
      event.preventDefault();
      copied = true;
    };
    document.addEventListener('copy', onCopy);
    try {
      document.execCommand('copy');
    } catch (error) {
      copied = false;
    } finally {
      document.removeEventListener('copy', onCopy);
    }
    return copied;
  }

  async function copyText(text, done) {
    let copied = false;
    if (navigator.clipboard && navigator.clipboard.writeText) {
      try {
        await navigator.clipboard.writeText(text);
        copied = true;
      } catch (error) {
        copied = false;
      }
    }
    if (!copied) copied = copyThroughEvent(text);
    copyStatus.textContent = copied ? done : t('コピーできませんでした。');
  }

  // ---- wiring ------------------------------------------------------------

  function followSeedMode() {
    const string = stringMode();
    $('seed-text').disabled = !string;
    for (const input of seedNumbers) input.disabled = string;
  }

  function generateSafely() {
    try {
      generate();
    } catch (error) {
      clearResults();
      message.textContent = t('パスワードを生成できませんでした (%1)。', error.message);
    }
  }

  form.addEventListener('submit', (event) => {
    event.preventDefault();
    if (engine) generateSafely();
  });
  $('mode-string').addEventListener('change', followSeedMode);
  $('mode-numeric').addEventListener('change', followSeedMode);
  $('show-key').addEventListener('change', () => {
    $('owner-key').type = $('show-key').checked ? 'text' : 'password';
  });
  $('char-list').addEventListener('change', () => {
    if (engine) $('char-list').value = listDisplay(listFieldText());
  });
  // As the window's spread button: a new count generates again.
  $('spread').addEventListener('change', () => {
    if (engine && shownLevel >= 0) generateSafely();
  });
  reportButton.addEventListener('click', () => {
    if (shownLevel >= 0) copyText(reportText(), t('レポートをコピーしました。'));
  });

  followSeedMode();
  loadEngine().then((exports) => {
    engine = exports;
    $('char-list').value = readOutput(engine.tovrik_default_list_display());
    globalThis.tovrikEngine = Object.freeze({ generatePasswords });
    generateButton.disabled = false;
  }, (error) => {
    message.textContent = t('このブラウザではパスワードを生成できません (%1)。', error.message);
  });
})();
