// Large windows looked at with the server's default image budget: the
// image keeps to 1,568 px and 1 MiB of Base64 (a JPEG where the PNG would
// not fit), and a click at an element's centre in image pixels lands on it.
// Usage: node wine_budget_session.mjs <windows-build-dir> <title> <png|jpeg>

import { Buffer } from 'node:buffer';
import path from 'node:path';

import { byIdentifier, callOk, connect, decodePng, expect, run, waitListed } from './client.mjs';

const MAX_SIDE = 1568;
const MAX_BASE64 = 1 << 20;

// Width and height from a JPEG's start-of-frame segment.
function jpegSize(base64) {
  const jpeg = Buffer.from(base64, 'base64');
  expect(jpeg[0] === 0xff && jpeg[1] === 0xd8, 'JPEG start of image');
  for (let at = 2; at + 9 < jpeg.length;) {
    expect(jpeg[at] === 0xff, 'JPEG segment marker', at);
    const marker = jpeg[at + 1];
    if (marker >= 0xc0 && marker <= 0xcf && ![0xc4, 0xc8, 0xcc].includes(marker)) {
      return { height: jpeg.readUInt16BE(at + 5), width: jpeg.readUInt16BE(at + 7) };
    }
    at += 2 + jpeg.readUInt16BE(at + 2);
  }
  throw new Error('no JPEG frame header');
}

async function checkWindow(client, title, format) {
  const window = await waitListed(client, (w) => w.title === title);
  const look = await callOk(client, 'look', { rootRef: window.rootRef });
  const block = look.content.find((b) => b.type === 'image');
  const image = look.structuredContent.image;
  console.log(`${title}: ${window.bounds.width}x${window.bounds.height} window, ` +
    `${image.width}x${image.height} ${image.format}` +
    `${image.jpegQuality ? ` quality ${image.jpegQuality}` : ''}, ${block.data.length} bytes of Base64`);
  expect(block.mimeType === `image/${format}`, `the ${title} image is ${format}`, block.mimeType);
  expect(block.data.length <= MAX_BASE64, 'the image fits 1 MiB of Base64', block.data.length);
  const size = format === 'png' ? decodePng(block.data) : jpegSize(block.data);
  expect(Math.max(size.width, size.height) === MAX_SIDE, 'the longer side is 1568 px', size);
  expect(size.width === image.width && size.height === image.height, 'the result names the size',
    { size, image });
  expect(image.format === format && Math.abs(image.scale - size.width / window.bounds.width) < 1e-3,
    'the result names the format and the scale', image);

  // A click at the checkbox's centre in image pixels toggles it.
  const box = byIdentifier(look.structuredContent.outline, '1002').rect;
  await callOk(client, 'act', {
    lookId: look.structuredContent.lookId, action: 'click', policy: 'foreground',
    target: { x: box.x + box.w / 2, y: box.y + box.h / 2 },
  });
  await waitListed(client, (w) => w.title === `${title} - checked Enable feature`);
}

async function main() {
  const [buildDir, title, format] = process.argv.slice(2);
  const { client } = await connect('wine', [path.join(buildDir, 'winhelper-mcp.exe')]);
  try {
    await checkWindow(client, title, format);
  } finally {
    await client.close();
  }
}

run(main);
