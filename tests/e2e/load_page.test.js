// The first page of the bundle in Chromium, its window.external backed by the real executable.
"use strict";
const test = require("node:test");
const assert = require("node:assert/strict");
const { startDevhost, callExternal, startBrowser } = require("./devhost");

test("Load.html sets a property through window.external that the host reads back", { timeout: 240000 }, async (t) => {
  const devhost = await startDevhost();
  t.after(() => devhost.kill());
  const browser = await startBrowser();
  t.after(() => browser.close());

  const page = await browser.context.newPage();
  const errors = [];
  page.on("pageerror", (e) => errors.push(String(e)));
  const response = await page.goto(devhost.url);
  assert.equal(response.status(), 200);

  // The page's own script took window.external (as appExternal) after the shim replaced it.
  const shape = await page.evaluate(() => ({
    sameObject: window.appExternal === window.external,
    kind: typeof window.external.setProperty,
  }));
  assert.deepEqual(shape, { sameObject: true, kind: "function" });

  await page.evaluate(() => window.appExternal.setProperty("e2eProbe", "set in the page \u00e9"));
  const answer = await callExternal(devhost, "getProperty", 3, ["e2eProbe"], true);
  assert.deepEqual(answer, { hresult: "0x00000000", result: "set in the page \u00e9" });

  // And back: the page reads what the host holds, results typed as the engine gives them.
  await callExternal(devhost, "setProperty", 1, ["fromTest", "42"], false);
  const seen = await page.evaluate(() => ({
    text: window.external.getProperty("fromTest"),
    none: window.external.setProperty("x", "y"),
  }));
  assert.deepEqual(seen, { text: "42", none: undefined });

  // A malformed call raises in the page, as the script engine raises a dispatch error.
  const raised = await page.evaluate(() => {
    try {
      window.external.getProperty(5);
      return "no exception";
    } catch (e) {
      return e.hresult;
    }
  });
  assert.equal(raised, "0x80020005");
  assert.deepEqual(errors, []);

  // closeWindow ends the run as in the stub: the process goes.
  await page.evaluate(() => window.external.closeWindow());
  let timer;
  const late = new Promise((r) => (timer = setTimeout(() => r("still running"), 60000)));
  const code = await Promise.race([devhost.exited, late]);
  clearTimeout(timer);
  assert.equal(typeof code, "number", devhost.output());
});
