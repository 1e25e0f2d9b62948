// Starts IdeagroveSetup-devhost.exe under Wine and headless Chromium on its URL.
"use strict";
const { spawn } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { chromium } = require("playwright-core");

const root = path.resolve(__dirname, "..", "..");
const buildDir = path.resolve(process.env.IG_BUILD_DIR || path.join(root, "build", "windows"));
const wineRun = path.join(root, "tests", "wine", "run");
const devhostExe = path.join(buildDir, "bin", "IdeagroveSetup-devhost.exe");

const chromiumFlags = [
  "--headless",
  "--no-sandbox",
  "--disable-gpu",
  "--disable-quic",
  "--no-first-run",
  "--disable-background-networking",
  "--disable-component-update",
  "--disable-sync",
];

// The devhost process, its URL line and its whole output. `args` go to the program.
async function startDevhost(args = []) {
  const child = spawn(wineRun, [devhostExe, "--devhost-answer=ok", ...args], {
    env: { ...process.env, IG_BUILD_DIR: buildDir },
    stdio: ["ignore", "pipe", "pipe"],
  });
  let output = "";
  const exited = new Promise((resolve) => child.on("exit", (code) => resolve(code)));
  const url = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error("no URL line from the devhost:\n" + output)), 90000);
    child.stdout.on("data", (chunk) => {
      output += chunk;
      const match = /devhost: (http:\/\/127\.0\.0\.1:(\d+)\/Load\.html\?token=([0-9a-f]+))/.exec(output);
      if (match) {
        clearTimeout(timer);
        resolve(match[1]);
      }
    });
    child.stderr.on("data", (chunk) => (output += chunk));
    exited.then((code) => reject(new Error("the devhost ended with " + code + " before its URL line:\n" + output)));
  });
  const parsed = new URL(url);
  return {
    url,
    origin: parsed.origin,
    token: parsed.searchParams.get("token"),
    output: () => output,
    exited,
    kill: () => {
      if (child.exitCode === null) child.kill("SIGKILL");
    },
  };
}

// A call as the shim makes it, from the test's side.
async function callExternal(devhost, name, flags, args, wantResult) {
  const response = await fetch(devhost.origin + "/external/call", {
    method: "POST",
    headers: { "X-Devhost-Token": devhost.token, "Content-Type": "application/json" },
    body: JSON.stringify({ name, flags, args, wantResult }),
  });
  if (response.status !== 200) throw new Error("/external/call answered " + response.status);
  return response.json();
}

// Chromium with a fresh profile; close() removes it again.
async function startBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "ig-e2e-profile-"));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.IG_CHROMIUM || "/usr/bin/chromium",
    headless: true,
    args: chromiumFlags,
  });
  return {
    context,
    close: async () => {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

module.exports = { startDevhost, callExternal, startBrowser };
