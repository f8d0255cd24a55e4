// Figures for the README: the page's download size, its load time, and frames and
// passes per second at 1280x720 in headless Chromium (SwiftShader), and a picture of
// the launch form. Serve dist/quarn-web first (scripts/serve-web.sh), then:
//   node measure.mjs http://127.0.0.1:8080 [picture.png]
import puppeteer from 'puppeteer-core';

const [base, picture] = process.argv.slice(2);
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, protocolTimeout: 600000,
  args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
});
const page = await browser.newPage();
await page.setViewport({width: 1400, height: 900});
let bytes = 0;
page.on('response', async response => {
  try { bytes += (await response.buffer()).length; } catch (e) { /* redirects carry no body */ }
});
await page.goto(`${base}/?size=1280x720&nosound=1`);
await page.waitForFunction(() => window.quarnReadyAt, {timeout: 120000});
const ready = await page.evaluate(() => window.quarnReadyAt);
const clicked = await page.evaluate(() => performance.now());
await page.click('#run');
await page.waitForFunction(() => window.quarnProgress, {timeout: 120000});
const first = await page.evaluate(() => window.quarnProgress);
await new Promise(resolve => setTimeout(resolve, 15000));
const later = await page.evaluate(() => window.quarnProgress);
const seconds = (later.at - first.at) / 1000;
console.log(`download ${(bytes / 1e6).toFixed(2)} MB; ready to run after ${(ready / 1000).toFixed(2)} s; ` +
            `first frame ${((first.at - clicked) / 1000).toFixed(2)} s after Run!; at 1280x720: ` +
            `${((later.frame - first.frame) / seconds).toFixed(1)} frames/s, ` +
            `${((later.pass - first.pass) / seconds).toFixed(1)} passes/s over ${seconds.toFixed(1)} s`);
if (picture) {
  await page.goto(base);
  await page.waitForFunction(() => window.quarnReadyAt, {timeout: 120000});
  await page.screenshot({path: picture, clip: await (await page.$('#launch')).boundingBox()});
}
await browser.close();
