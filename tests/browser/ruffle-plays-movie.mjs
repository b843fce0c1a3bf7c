// Converts a clip of four colour blocks, serves the folder of the page written
// by default on 127.0.0.1 and opens it in headless Chromium as it comes (no
// autoplay switch), then with sound held back until a click: Ruffle must
// start the movie by itself both times (muted behind its unmute overlay the
// second), report the movie's own size and frame count and draw the first
// picture's colours.
// The clip's name holds a blank, '#', '&' and a non-ASCII letter, so the page
// only works when its links are encoded.
//
// Usage: node ruffle-plays-movie.mjs TESSALINE_CLI
import { execFileSync } from "node:child_process";
import { cpSync, mkdtempSync, readFileSync, rmSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { dirname, extname, join, normalize } from "node:path";
import { fileURLToPath } from "node:url";

const here = dirname(fileURLToPath(import.meta.url));
const cli = process.argv[2];
const name = "Übung #1 & Co";
const width = 96;
const height = 64;
// Quadrants of the first picture, each a centre point and its colour.
const blocks = [
  { x: 24, y: 16, rgb: [255, 0, 0] },
  { x: 72, y: 16, rgb: [0, 255, 0] },
  { x: 24, y: 48, rgb: [0, 0, 255] },
  { x: 72, y: 48, rgb: [255, 255, 255] },
];
const tolerance = 48;  // JPEG at the default quality, then the player's scaling

function requireInstalled(path, what) {
  try {
    readFileSync(path);
  } catch {
    throw new Error(`${what} fehlt (${path}): scripts/setup.sh installiert es`);
  }
}

function makeClip(folder) {
  const clip = join(folder, `${name}.avi`);
  const box = (x, y, colour) => `drawbox=x=${x}:y=${y}:w=48:h=32:c=${colour}:t=fill`;
  const picture = [`color=c=0xFF0000:s=${width}x${height}:r=5:d=1`, box(48, 0, "0x00FF00"), box(0, 32, "0x0000FF"),
                   box(48, 32, "0xFFFFFF")].join(",");
  execFileSync("ffmpeg", ["-v", "error", "-y", "-f", "lavfi", "-i", picture, "-c:v", "mpeg4", "-q:v", "2", clip]);
  return clip;
}

// Frame size in pixels and frame count from an uncompressed SWF's header.
function swfHeader(file) {
  const bytes = readFileSync(file);
  if (bytes.toString("latin1", 0, 3) !== "FWS") throw new Error(`${file} ist kein SWF`);
  const bitAt = (i) => (bytes[8 + (i >> 3)] >> (7 - (i & 7))) & 1;
  const unsigned = (start, count) => {
    let value = 0;
    for (let i = 0; i < count; ++i) value = value * 2 + bitAt(start + i);
    return value;
  };
  const signed = (start, count) => {
    const value = unsigned(start, count);
    return value >= 2 ** (count - 1) ? value - 2 ** count : value;
  };
  const bits = unsigned(0, 5);
  const [xMin, xMax, yMin, yMax] = [0, 1, 2, 3].map((n) => signed(5 + n * bits, bits));
  const rectBytes = Math.ceil((5 + 4 * bits) / 8);
  return { width: (xMax - xMin) / 20, height: (yMax - yMin) / 20, frames: bytes.readUInt16LE(8 + rectBytes + 2) };
}

const mimeTypes = { ".htm": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
                    ".swf": "application/x-shockwave-flash" };

function serve(folder) {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, "http://127.0.0.1").pathname));
    try {
      const body = readFileSync(join(folder, path));
      response.writeHead(200, { "Content-Type": mimeTypes[extname(path)] ?? "application/octet-stream" });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// The colour at each block's centre in a PNG, decoded by the browser itself.
async function coloursIn(page, png) {
  return page.evaluate(async ({ data, points }) => {
    const image = new Image();
    image.src = `data:image/png;base64,${data}`;
    await image.decode();
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext("2d");
    context.drawImage(image, 0, 0);
    return points.map(({ x, y }) => Array.from(context.getImageData(x, y, 1, 1).data.slice(0, 3)));
  }, { data: png.toString("base64"), points: blocks });
}

const near = (a, b) => a.every((value, i) => Math.abs(value - b[i]) <= tolerance);

// Sound held back until a click, as desktop browsers do on a page not yet
// clicked (headless Chromium lets every page's audio start, whatever its
// autoplay switch says): each AudioContext starts suspended and only a click
// lets it resume.
function holdSoundUntilClick() {
  let clicked = false;
  window.addEventListener("click", () => { clicked = true; }, { capture: true });
  const Real = window.AudioContext;
  window.AudioContext = class extends Real {
    constructor(...args) {
      super(...args);
      super.suspend();
    }
    resume() {
      return clicked ? super.resume() : new Promise(() => {});
    }
  };
}

// soundWaits: sound held back until a click; Ruffle must still play, muted
// behind its overlay.
async function playInChromium(url, expected, soundWaits) {
  const { chromium } = await import(join(here, "node_modules/playwright-core/index.mjs"));
  const browser = await chromium.launch({
    executablePath: "/usr/bin/chromium",
    // CI runs as root, where Chromium's sandbox cannot start.
    args: ["--no-sandbox"],
  });
  try {
    const page = await browser.newPage({ viewport: { width: 400, height: 300 }, deviceScaleFactor: 1 });
    const messages = [];
    if (soundWaits) await page.addInitScript(holdSoundUntilClick);
    page.on("console", (message) => messages.push(message.text()));
    page.on("pageerror", (error) => messages.push(String(error)));
    page.on("response", (response) => response.ok() || messages.push(`${response.status()} ${response.url()}`));
    await page.goto(url);
    const player = page.locator("ruffle-object, ruffle-embed").first();
    const handle = await page.waitForFunction(() => {
      const element = document.querySelector("ruffle-object, ruffle-embed");
      return element?.metadata ?? null;
    }, null, { timeout: 90000 }).catch((error) => {
      throw new Error(`Ruffle hat den Film nicht geladen: ${error.message}\n${messages.join("\n")}`);
    });
    const metadata = await handle.jsonValue();
    const reported = { width: metadata.width, height: metadata.height, frames: metadata.numFrames };
    if (JSON.stringify(reported) !== JSON.stringify(expected)) {
      throw new Error(`Ruffle meldet ${JSON.stringify(reported)}, der Kopf sagt ${JSON.stringify(expected)}`);
    }
    // Playing by itself; muted behind the overlay where sound waits for a click.
    const playerState = (wanted) => page.waitForFunction((overlayShown) => {
      const element = document.querySelector("ruffle-object, ruffle-embed");
      const overlay = element.shadowRoot?.getElementById("unmute-overlay");
      return element.isPlaying && overlay && (getComputedStyle(overlay).display !== "none") === overlayShown;
    }, wanted, { timeout: 20000 });
    await playerState(soundWaits).catch(() => {
      throw new Error(`Ruffle spielt nicht von selbst${soundWaits ? " (stumm, mit Ton-Knopf)" : ""}`);
    });
    // The movie plays under the overlay; looked at without it.
    if (soundWaits) {
      await page.evaluate(() => {
        const element = document.querySelector("ruffle-object, ruffle-embed");
        element.shadowRoot.getElementById("unmute-overlay").style.display = "none";
      });
    }
    let colours = [];
    for (let attempt = 0; attempt < 50; ++attempt) {
      colours = await coloursIn(page, await player.screenshot());
      if (colours.every((colour, i) => near(colour, blocks[i].rgb))) return;
      await page.waitForTimeout(200);
    }
    throw new Error(`Das erste Bild fehlt: Farben ${JSON.stringify(colours)} statt ` +
                    JSON.stringify(blocks.map((b) => b.rgb)));
  } finally {
    await browser.close();
  }
}

async function main() {
  const ruffle = join(here, "node_modules/@ruffle-rs/ruffle");
  requireInstalled(join(ruffle, "ruffle.js"), "Ruffle");
  requireInstalled("/usr/bin/chromium", "Chromium");
  const folder = mkdtempSync(join(tmpdir(), "tessaline-browser-"));
  let server;
  try {
    execFileSync(cli, ["-q", "--no-audio", makeClip(folder)], { stdio: "inherit" });
    cpSync(ruffle, join(folder, "ruffle"), { recursive: true });
    server = await serve(folder);
    const url = `http://127.0.0.1:${server.address().port}/${encodeURIComponent(name)}.htm`;
    await playInChromium(url, swfHeader(join(folder, `${name}.swf`)), false);
    await playInChromium(url, swfHeader(join(folder, `${name}.swf`)), true);
    console.log("Ruffle spielt den Film in Chromium von selbst, wo nötig stumm.");
  } finally {
    server?.close();
    rmSync(folder, { recursive: true, force: true });
  }
}

await main();
