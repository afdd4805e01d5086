// The end-to-end scenario: the official MCP client spawns `wine
// winhelper-mcp.exe` and drives the test application, which
// test_mcp_sdk_client.py has started with the test UI Automation server
// registered and "secret" typed into its password field.
// Usage: node wine_session.mjs <windows-build-dir> <test-app-title>

import path from 'node:path';

import {
  byIdentifier, callOk, checkSchemas, connect, decodePng, expect, nodes, run, textOf, waitListed,
} from './client.mjs';

// The test application's notes (controls.cpp): 40 numbered lines, CR LF between them.
const NOTES_CHARS = Array.from({ length: 40 },
  (_, i) => `Line ${String(i + 1).padStart(2, '0')}: The quick brown fox jumps over the lazy dog.`)
  .join('\r\n').length;
const LOOK_TEXT_BUDGET = 0.35;

function checkLook(look, window) {
  const image = look.content.find((block) => block.type === 'image');
  expect(image?.mimeType === 'image/png', 'the look carries a PNG', look.content.map((b) => b.type));
  const size = decodePng(image.data);
  expect(size.width === window.framePoints.width && size.height === window.framePoints.height,
    "the image has the window's size", { size, frame: window.framePoints });

  const text = textOf(look);
  for (const name of ['Open Dialog', 'Enable feature', 'Name:', 'Password:', 'Fruit:', 'Notes:']) {
    expect(text.includes(`"${name}"`), `the outline text names ${name}`);
  }
  const outline = look.structuredContent.outline;
  for (const node of nodes(outline)) {
    expect(text.includes(node.ref), 'the text keeps every ref', node.ref);
  }
  const ratio = text.length / JSON.stringify(outline).length;
  console.log(`look text ${text.length} bytes, outline JSON ${JSON.stringify(outline).length} bytes ` +
    `(${(100 * ratio).toFixed(1)}%), ${[...nodes(outline)].length} nodes`);
  expect(ratio <= LOOK_TEXT_BUDGET, 'the look text is at most 35% of the outline JSON', ratio);
  expect(!JSON.stringify(look).includes('secret'), 'the password appears in no block');
}

async function checkDialog(client, app, lookId) {
  const opener = byIdentifier(app.outline, '1001');
  const pressed = await callOk(client, 'act',
    { lookId, action: 'press', target: { ref: opener.ref } });
  const appeared = (pressed.structuredContent.rootDelta ?? []).filter((c) => c.change === 'appeared');
  expect(appeared.some((c) => c.title === 'Test Dialog'), 'the dialog appears in the result',
    pressed.structuredContent);

  const dialog = await waitListed(client, (w) => w.title === 'Test Dialog');
  const found = await callOk(client, 'wait_for', { windowId: dialog.windowId, text: 'dialog text' });
  expect(found.structuredContent.found === true, "the dialog's text is found", found.structuredContent);
  const dialogLook = (await callOk(client, 'look', { rootRef: dialog.rootRef, includeImage: false }))
    .structuredContent;
  const ok = [...nodes(dialogLook.outline)].find((n) => n.title === 'OK');
  expect(ok, "the dialog's OK button", [...nodes(dialogLook.outline)].map((n) => n.title));

  // Two calls at once: a wait for the dialog's text to go, and the press that closes it.
  const [gone, closed] = await Promise.all([
    callOk(client, 'wait_for', { windowId: dialog.windowId, text: 'dialog text', gone: true, timeoutMs: 20000 }),
    callOk(client, 'act', { lookId: dialogLook.lookId, action: 'press', target: { ref: ok.ref } }),
  ]);
  expect(gone.structuredContent.gone === true, "the dialog's text went", gone.structuredContent);
  expect(closed.structuredContent.performed.delivery === 'ax', 'OK was invoked', closed.structuredContent);
}

async function checkText(client, lookId, outline) {
  const notes = byIdentifier(outline, '1009');
  const page = await callOk(client, 'read_text', { lookId, elementRef: notes.ref, offset: 0, limit: 100 });
  expect(page.structuredContent.totalChars === NOTES_CHARS && page.structuredContent.hasMore,
    'the notes are read a page at a time', page.structuredContent);
  const refused = await client.callTool({ name: 'read_text',
    arguments: { lookId, elementRef: byIdentifier(outline, '1004').ref } });
  expect(refused.isError && textOf(refused).startsWith('secure_text_unreadable: '),
    'the password field is refused as a tool error', refused);
  const invalid = await client.callTool({ name: 'act', arguments: { lookId, action: 'press' } });
  expect(invalid.isError && textOf(invalid).includes('arguments.target is required'),
    'a call without a target is a tool error', invalid);
}

// Eight waits that would take a minute each, cancelled: the workers are
// free again at once for the next call.
async function checkCancel(client, rootRef, strayErrors) {
  const controller = new AbortController();
  const waits = Array.from({ length: 8 }, () => client.callTool(
    { name: 'wait_for', arguments: { rootRef, text: 'never there', timeoutMs: 60000 } },
    undefined, { signal: controller.signal }).then(() => 'answered', () => 'cancelled'));
  await new Promise((resolve) => setTimeout(resolve, 1000));
  controller.abort('test cancels');
  const outcomes = await Promise.all(waits);
  expect(outcomes.every((o) => o === 'cancelled'), 'every wait was cancelled', outcomes);
  await callOk(client, 'diagnostics', {}, { timeout: 20000 });
  await new Promise((resolve) => setTimeout(resolve, 500));
  expect(strayErrors.length === 0, 'no answer came for a cancelled call', strayErrors);
}

async function main() {
  const [buildDir, title] = process.argv.slice(2);
  const { client, strayErrors, serverStderr } =
    await connect('wine', [path.join(buildDir, 'winhelper-mcp.exe')]);
  try {
    const { tools } = await client.listTools();
    expect(tools.length === 14, 'fourteen tools', tools.map((t) => t.name));
    checkSchemas(tools);

    const window = await waitListed(client, (w) => w.title.startsWith(title));
    const look = await callOk(client, 'look', { rootRef: window.rootRef });
    checkLook(look, window);
    const { lookId, outline } = look.structuredContent;
    await checkDialog(client, { outline }, lookId);
    await checkText(client, lookId, outline);
    await checkCancel(client, window.rootRef, strayErrors);
    expect(!/\[uia\] WARN/.test(serverStderr()), 'no UI Automation warning', serverStderr());
  } finally {
    await client.close();
  }
}

run(main);
