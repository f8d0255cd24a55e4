// The browser build in headless Chromium (SwiftShader WebGL 2), driven by puppeteer-core:
// the page loads, Run! starts the demo with music, held passes match the desktop's
// offscreen frames, Escape ends it, the log equals the desktop's, a missing file shows
// the desktop's message, and no page shows an error on its console (WebGL's own
// complaints included). Run by scripts/test-web.sh, which makes the references:
//   node web_test.mjs SITE_DIR REFERENCE_DIR
// REFERENCE_DIR holds, per held pass N, pass-N.png and pass-N.log (the desktop's frame
// and log of a run stopped after pass N), end.log (the log of a run to the script's end)
// and missing.txt (the desktop's standard error without floor.jpg).
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [site, references] = process.argv.slice(2);
const SIZE = [320, 240];
// The browser's WebGL runs on another rasterizer (SwiftShader) than the desktop's
// reference (llvmpipe): lines, triangle edges and nearest-sampled texel borders may
// land a pixel apart. A pixel matches when the reference has a pixel within 8 per
// channel at its place or next to it; at most 2 % of the pixels may miss, and the mean
// channel difference at the same place stays within 2. Measured: 0.03 % to 1.4 %
// missed on the passes held here (README), the same passes on the desktop's two
// renderers (one rasterizer) differ by at most 8 pixels.
const CHANNEL_TOLERANCE = 8;
const MISSED_SHARE_ALLOWED = 0.02;
const MEAN_DIFFERENCE_ALLOWED = 2.0;
// The shipped soundtrack: 184.32 s at 44.1 kHz, stereo.
const SOUNDTRACK_SECONDS = 184.32;
// One pass of each part (1, 2, 3, 5 and 6), as scripts/test-web.sh chooses them.
const HELD_PASSES = (process.env.QUARN_WEB_PASSES || '600,1400,3400,5200,7200').split(',').map(Number);

const types = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
               '.png': 'image/png'};
function serve() {
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://localhost');
    const [root, name] = url.pathname.startsWith('/ref/') ? [references, url.pathname.slice(5)]
                                                           : [site, url.pathname.slice(1) || 'index.html'];
    const file = path.join(root, path.normalize(name));
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404);
        response.end();
        return;
      }
      response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
      response.end(data);
    });
  });
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve(server)));
}

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures += 1;
}

// The program's own lines reach the console as warnings (its standard error); errors,
// uncaught exceptions and anything WebGL reports are faults.
async function open(browser, base, query) {
  const page = await browser.newPage();
  page.faults = [];
  page.on('pageerror', error => page.faults.push(`uncaught: ${error.message}`));
  page.on('console', message => {
    if (process.env.QUARN_WEB_DEBUG) console.log(`page: ${message.text()}`);
    if (message.type() === 'error' || /WebGL|GL_INVALID|GL ERROR/.test(message.text()))
      page.faults.push(`${message.type()}: ${message.text()} ${message.location().url || ''}`.trim());
  });
  await page.goto(`${base}/?${query}`);
  await page.waitForFunction(() => !document.getElementById('run').disabled, {timeout: 60000});
  return page;
}

async function close(page, what) {
  await page.close();
  check(page.faults.length === 0, `no errors on the console (${what})${page.faults.map(f => '\n     ' + f).join('')}`);
}

// The held frame against the desktop's PNG of the same pass (decoded by the browser).
async function compareHeld(page, pass) {
  return page.evaluate(async (pass, tolerance) => {
    const held = window.quarnHeld;
    const blob = await (await fetch(`/ref/pass-${pass}.png`)).blob();
    const bitmap = await createImageBitmap(blob, {colorSpaceConversion: 'none', premultiplyAlpha: 'none'});
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    const ref = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
    // A pixel of the held frame matches when one of the reference's pixels at its place
    // or next to it is within the tolerance: two rasterizers may put an edge or a line
    // one pixel apart.
    const at = (x, y) => 4 * (y * held.width + x);
    let largest = 0, beyond = 0, sum = 0;
    for (let y = 0; y < held.height; ++y) {
      for (let x = 0; x < held.width; ++x) {
        const a = 4 * ((held.height - 1 - y) * held.width + x);
        let nearest = 255;
        for (let dy = -1; dy <= 1; ++dy) {
          for (let dx = -1; dx <= 1; ++dx) {
            const rx = x + dx, ry = y + dy;
            if (rx < 0 || ry < 0 || rx >= held.width || ry >= held.height) continue;
            const b = at(rx, ry);
            let d = 0;
            for (let c = 0; c < 3; ++c) d = Math.max(d, Math.abs(held.rgba[a + c] - ref[b + c]));
            if (dx === 0 && dy === 0) {
              largest = Math.max(largest, d);
              for (let c = 0; c < 3; ++c) sum += Math.abs(held.rgba[a + c] - ref[b + c]);
            }
            nearest = Math.min(nearest, d);
          }
        }
        if (nearest > tolerance) beyond += 1;
      }
    }
    return {pass: held.pass, width: bitmap.width, largest: largest, beyond: beyond,
            mean: sum / (3 * held.width * held.height)};
  }, pass, CHANNEL_TOLERANCE);
}

async function heldRun(browser, base, pass, sound) {
  const started = Date.now();
  const page = await open(browser, base, `size=${SIZE.join('x')}&pass=${pass}${sound ? '' : '&nosound=1'}`);
  await page.click('#run');
  await page.waitForFunction(() => window.quarnHeld, {timeout: 600000});
  const d = await compareHeld(page, pass);
  if (process.env.QUARN_WEB_DEBUG)
    fs.writeFileSync(`held-${pass}.rgba`, Buffer.from(await page.evaluate(() => Array.from(window.quarnHeld.rgba))));
  const share = d.beyond / (SIZE[0] * SIZE[1]);
  console.log(`     pass ${pass}: ${(100 * share).toFixed(2)} % of the pixels missed, mean channel difference ` +
              `${d.mean.toFixed(2)}, largest ${d.largest}` +
              ` (${((Date.now() - started) / 1000).toFixed(1)} s)`);
  check(d.pass === pass && d.width === SIZE[0] && share <= MISSED_SHARE_ALLOWED && d.mean <= MEAN_DIFFERENCE_ALLOWED,
        `pass ${pass} matches the desktop's frame`);
  const audio = await page.evaluate(() => Module.quarnAudio ? {state: Module.quarnAudio.state,
    seconds: Module.quarnMusic && Module.quarnMusic.duration, rate: Module.quarnMusic && Module.quarnMusic.sampleRate,
    channels: Module.quarnMusic && Module.quarnMusic.numberOfChannels} : null);
  if (sound)
    check(audio && audio.state === 'running' && Math.abs(audio.seconds - SOUNDTRACK_SECONDS) < 0.05 &&
          audio.channels === 2, `the music plays: ${JSON.stringify(audio)}`);
  else
    check(audio === null, 'No Sound makes no audio context');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.quarnEnded, {timeout: 30000});
  const ended = await page.evaluate(() => window.quarnEnded);
  check(ended.code === 0 && await page.$eval('#end', e => !e.hidden) && await page.$eval('#again', e => !!e),
        'Escape ends the demo and shows the log with "Play again"');
  const desktopLog = fs.readFileSync(path.join(references, `pass-${pass}.log`));
  check(Buffer.from(ended.log).equals(desktopLog), `the log equals the desktop's (${desktopLog.length} bytes)`);
  await close(page, `pass ${pass}`);
}

// A pass past the script's end: the whole script plays without a frame drawn and ends
// by itself, with the log of the desktop's run to the end.
async function playThrough(browser, base) {
  const page = await open(browser, base, `size=${SIZE.join('x')}&nosound=1&pass=1000000`);
  await page.click('#run');
  await page.waitForFunction(() => window.quarnEnded, {timeout: 120000});
  const ended = await page.evaluate(() => window.quarnEnded);
  const desktopLog = fs.readFileSync(path.join(references, 'end.log'));
  check(ended.code === 0 && Buffer.from(ended.log).equals(desktopLog),
        `played to its end, the log equals the desktop's (${desktopLog.length} bytes)`);
  await close(page, 'played to the end');
}

async function missingFile(browser, base) {
  const page = await open(browser, base, 'nosound=1&missing=floor.jpg');
  await page.click('#run');
  await page.waitForFunction(() => window.quarnEnded, {timeout: 120000});
  const ended = await page.evaluate(() => window.quarnEnded);
  // The message names the working folder searched: the desktop run's folder there, the
  // in-memory file system's root in the browser.
  const desktop = fs.readFileSync(path.join(references, 'missing.txt'), 'latin1').trim()
      .split(path.join(fs.realpathSync(references), 'run-missing')).join('/');
  const shown = await page.$eval('#message', e => e.textContent);
  check(ended.code === 1 && shown.includes(desktop), `a missing file shows the desktop's message: ${JSON.stringify(shown)}`);
  await close(page, 'missing file');
}

const server = await serve();
const base = `http://127.0.0.1:${server.address().port}`;
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  protocolTimeout: 900000,
  args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
         '--autoplay-policy=no-user-gesture-required'],
});
try {
  let sound = true;
  for (const pass of HELD_PASSES) {
    await heldRun(browser, base, pass, sound);
    sound = false;
  }
  await playThrough(browser, base);
  await missingFile(browser, base);
} catch (error) {
  check(false, `the browser test ran through: ${error.message}`);
} finally {
  await browser.close();
  server.close();
}
process.exit(failures ? 1 : 0);
