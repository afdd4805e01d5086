// A short MCP session for the demo: the official MCP client starts `wine
// winhelper-mcp.exe`, and this script prints every call and what came back.
// It starts the test application itself and registers the test UI Automation
// server for the session's length. Needs the display and Wine prefix of
// tests/e2e/wine_env.sh.
// Usage: node demo_session.mjs <windows-build-dir>

import { spawn, spawnSync } from 'node:child_process';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { connect, decodePng, nodes, textOf, waitListed } from './client.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const buildDir = path.resolve(process.argv[2] ?? 'build/windows');
const TITLE = 'Winhelper MCP Demo';

function uiaServer(action) {
  spawnSync('python3', [path.join(here, '..', 'uia_server', 'uia_server.py'), action, buildDir],
    { stdio: 'ignore' });
}

// Long lines (JSON results, a long value) are cut for reading.
function cut(line) {
  return line.length <= 300 ? line : `${line.slice(0, 300)}... (${line.length} characters)`;
}

function show(call, args, result) {
  console.log(`\n>> tools/call ${call} ${JSON.stringify(args)}`);
  for (const block of result.content) {
    if (block.type === 'image') {
      const { width, height } = decodePng(block.data);
      console.log(`<< [image ${block.mimeType}, ${width}x${height}, ${block.data.length} base64 characters]`);
    } else {
      console.log(`<< ${block.text.trimEnd().split('\n').map(cut).join('\n   ')}`);
    }
  }
  if (result.isError) console.log('   (isError: true)');
  return result;
}

async function call(client, name, args) {
  return show(name, args, await client.callTool({ name, arguments: args }));
}

async function session(client) {
  console.log(`>> initialize: ${JSON.stringify(client.getServerVersion())}`);
  const { tools } = await client.listTools();
  console.log('>> tools/list');
  for (const tool of tools) {
    const hints = Object.entries(tool.annotations).filter(([k, v]) => k.endsWith('Hint') && v)
      .map(([k]) => k.replace('Hint', ''));
    console.log(`<< ${tool.name.padEnd(22)} ${hints.join(', ')}`);
  }
  const window = await waitListed(client, (w) => w.title.startsWith(TITLE));
  await call(client, 'list_windows', {});
  const look = await call(client, 'look', { rootRef: window.rootRef });
  const { lookId, outline } = look.structuredContent;
  const opener = [...nodes(outline)].find((n) => n.title === 'Open Dialog');
  await call(client, 'act', { lookId, action: 'press', target: { ref: opener.ref } });
  const notes = [...nodes(outline)].find((n) => n.identifier === '1009');
  await call(client, 'read_text', { lookId, elementRef: notes.ref, limit: 120 });
  const dialog = await waitListed(client, (w) => w.title === 'Test Dialog');
  const dialogLook = await call(client, 'look', { rootRef: dialog.rootRef, includeImage: false });
  const ok = [...nodes(dialogLook.structuredContent.outline)].find((n) => n.title === 'OK');
  const [gone] = await Promise.all([
    client.callTool({ name: 'wait_for', arguments: { windowId: dialog.windowId, text: 'dialog text', gone: true } }),
    call(client, 'act', { lookId: dialogLook.structuredContent.lookId, action: 'press', target: { ref: ok.ref } }),
  ]);
  show('wait_for (sent together with the press)', { windowId: dialog.windowId, text: 'dialog text', gone: true }, gone);
  await call(client, 'read_text', { lookId, elementRef: 'win:look_0:@e1' });
  console.log(`\n(${textOf(look).length} bytes of outline text for ${JSON.stringify(outline).length} bytes of outline JSON)`);
}

async function main() {
  const app = spawn('wine', [path.join(buildDir, 'testapp.exe'), '--title', TITLE], { stdio: 'ignore' });
  uiaServer('register');
  let client;
  try {
    ({ client } = await connect('wine', [path.join(buildDir, 'winhelper-mcp.exe')]));
    await session(client);
  } finally {
    await client?.close();
    uiaServer('unregister');
    app.kill();
  }
}

main().then(() => process.exit(0), (error) => { console.error(`demo failed: ${error.stack ?? error}`); process.exit(1); });
