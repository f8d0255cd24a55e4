// The page around the demo: the launch form, the data download's progress, the canvas,
// and at the end the log (shown and downloadable) with "Play again".
// URL parameters: size=WxH, nosound=1, run=1 (start at once), pass=N (play the script
// to pass N, drawing only the last passes before it, and hold it until Escape; past
// the end, the whole script plays undrawn), missing=FILE (remove a data file first, to
// see its message).
'use strict';

const params = new URLSearchParams(location.search);
const form = document.getElementById('launch');
const canvas = document.getElementById('canvas');
const progress = document.getElementById('progress');
const status = document.getElementById('status');
const runButton = document.getElementById('run');
const errors = [];
let runtimeReady = false;
let started = false;

var Module = {
  canvas: canvas,
  noInitialRun: true,
  print: text => console.log(text),
  printErr: text => { errors.push(text); console.warn(text); },
  setStatus: text => {
    // "Downloading data... (done/total)" while the data package loads.
    const m = text.match(/\((\d+(\.\d+)?)\/(\d+)\)/);
    if (m) {
      progress.max = Number(m[3]);
      progress.value = Number(m[1]);
    }
    if (text) status.textContent = text;
  },
  onRuntimeInitialized: () => {
    runtimeReady = true;
    window.quarnReadyAt = performance.now();
    progress.value = progress.max;
    status.textContent = 'Ready.';
    runButton.disabled = false;
    if (params.get('missing')) Module.FS.unlink('/' + params.get('missing'));
    if (params.get('run') === '1') start();
  },
  onExit: code => finish(code),
  quarnShowError: text => { errors.push(text); },
  quarnPass: (pass, total, frame) => {
    window.quarnProgress = {pass: pass, total: total, frame: frame, at: performance.now()};
  },
  quarnHeld: (rgba, width, height, pass) => { window.quarnHeld = {rgba: rgba, width: width, height: height, pass: pass}; },
};
window.Module = Module;

if (params.get('size')) {
  for (const radio of form.elements.size) radio.checked = radio.value === params.get('size');
  if (![...form.elements.size].some(r => r.checked)) {
    form.elements.size[0].value = params.get('size');
    form.elements.size[0].checked = true;
  }
}
if (params.get('nosound') === '1') form.elements.noSound.checked = true;

function start() {
  if (started || !runtimeReady) return;
  started = true;
  const [width, height] = form.elements.size.value.split('x').map(Number);
  const noSound = form.elements.noSound.checked;
  const fullScreen = form.elements.fullScreen.checked;
  // The click is the gesture browsers want before they play sound; No Sound makes no context.
  if (!noSound) {
    Module.quarnAudio = new AudioContext();
    Module.quarnAudio.resume();
  }
  Module.quarnSettings = {
    width: width, height: height, noSound: noSound ? 1 : 0, fullScreen: fullScreen ? 1 : 0,
    holdPass: params.has('pass') ? Number(params.get('pass')) : -1,
  };
  form.hidden = true;
  canvas.hidden = false;
  canvas.classList.toggle('fit', form.elements.fit.checked);
  if (fullScreen && canvas.requestFullscreen) canvas.requestFullscreen().catch(() => {});
  canvas.focus();
  Module.callMain([]);
}

form.addEventListener('submit', event => { event.preventDefault(); start(); });
document.getElementById('cancel').addEventListener('click', () => finish(1, 'Cancelled.'));
form.addEventListener('keydown', event => {
  if (event.key === 'Escape') finish(1, 'Cancelled.');
});
document.getElementById('again').addEventListener('click', () => location.reload());

function logBytes() {
  try {
    return Module.FS.readFile('/QuarnWin32.log');
  } catch (e) {
    return new Uint8Array(0);
  }
}

function finish(code, text) {
  if (window.quarnEnded) return;
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  if (Module.quarnAudio) Module.quarnAudio.close();
  form.hidden = true;
  canvas.hidden = true;
  const bytes = logBytes();
  // The log is Latin-1 text, as on the desktop.
  document.getElementById('log').textContent = new TextDecoder('latin1').decode(bytes);
  document.getElementById('download').href = URL.createObjectURL(new Blob([bytes], {type: 'text/plain'}));
  const message = text || (code === 0 ? 'The demo has ended.' : errors.join('\n'));
  document.getElementById('message').textContent = message;
  document.getElementById('end').hidden = false;
  window.quarnEnded = {code: code, message: message, log: Array.from(bytes)};
}
