// The official MCP client over Streamable HTTP: starts the server given on
// the command line with `--http 127.0.0.1:PORT --token-file F` appended,
// and runs two sessions at once, each with its own looks; a client without
// the token is refused; a withdrawn wait stops; DELETE ends a session. Before
// the sessions, raw bytes without the token: a long Range and an endless header.
// Usage: node http_session.mjs <server command> [its arguments...]

import net from 'node:net';

import { Client } from '@modelcontextprotocol/sdk/client/index.js';
import { StreamableHTTPClientTransport } from '@modelcontextprotocol/sdk/client/streamableHttp.js';

import { callOk, checkSchemas, expect, run, startHttpServer, textOf } from './client.mjs';

const TOKEN = `t-${process.pid}-${Date.now()}`;

async function open(url, token = TOKEN) {
  const transport = new StreamableHTTPClientTransport(url, {
    requestInit: { headers: { Authorization: `Bearer ${token}` } },
  });
  const client = new Client({ name: 'winhelper-http-test', version: '1.0.0' });
  await client.connect(transport, { timeout: 60000 });
  return { client, transport };
}

// Raw bytes to the server: `head`, then `flood` bytes of 'a' (an endless
// header line); what came back before the server closed, or '' on a reset.
function rawExchange(url, head, flood = 0) {
  return new Promise((resolve) => {
    const socket = net.connect(Number(url.port), url.hostname);
    let answer = '';
    socket.on('data', (chunk) => { answer += chunk.toString('latin1'); });
    socket.on('error', () => {});
    socket.on('close', () => resolve(answer));
    socket.setTimeout(30000, () => socket.destroy());
    socket.on('connect', async () => {
      socket.write(head);
      const block = Buffer.alloc(64 * 1024, 'a');
      for (let sent = 0; sent < flood && !socket.destroyed; sent += block.length) {
        if (!socket.write(block)) await new Promise((go) => socket.once('drain', go).once('close', go));
      }
      if (!socket.destroyed) socket.end();
    });
  });
}

// A long Range and a header line that never ends, from a peer without the token:
// the first gets the plain answer, the second is cut off, and /health answers at once after.
async function hostileBytes(url) {
  const host = `Host: ${url.host}\r\n`;
  const ranges = `Range: bytes=0-0${',0-0'.repeat(1700)}\r\n`;
  const ranged = await rawExchange(url, `GET /health HTTP/1.1\r\n${host}${ranges}\r\n`);
  expect(ranged.startsWith('HTTP/1.1 200 ') && ranged.length < 1024,
    'a long Range is ignored', ranged.slice(0, 200));
  const endless = await rawExchange(url, `GET /health HTTP/1.1\r\n${host}X: `, 64 << 20);
  expect(!endless.startsWith('HTTP/1.1 200'), 'an endless header line is cut off', endless.slice(0, 80));
  const started = Date.now();
  const health = await fetch(new URL('/health', url), { signal: AbortSignal.timeout(5000) });
  expect(health.status === 200 && Date.now() - started < 1000, '/health answers within 1 s',
    Date.now() - started);
}

async function main() {
  const [command, ...args] = process.argv.slice(2);
  const { server, url, stderr } = await startHttpServer(command, args, TOKEN);
  try {
    await hostileBytes(url);
    const a = await open(url);
    const b = await open(url);
    expect(a.transport.sessionId && a.transport.sessionId !== b.transport.sessionId, 'two sessions');
    checkSchemas((await a.client.listTools()).tools);

    const listing = (await callOk(a.client, 'list_windows', {})).structuredContent;
    const target = listing.windows[0];
    const look = await callOk(a.client, 'look', { windowId: target.windowId });
    const { lookId, outline } = look.structuredContent;
    const read = { lookId, elementRef: outline.ref };
    const foreign = await b.client.callTool({ name: 'read_text', arguments: read });
    expect(foreign.isError && textOf(foreign).startsWith('stale_look: '),
      "one session's look is unknown in another", foreign);
    const own = await a.client.callTool({ name: 'read_text', arguments: read });
    expect(!textOf(own).startsWith('stale_look: '), 'the look is known in its own session', own);

    let refused = false;
    try { await open(url, 'wrong'); } catch { refused = true; }
    expect(refused, 'a client with a wrong token cannot connect');

    // A withdrawn wait stops; the session answers at once afterwards.
    const abort = new AbortController();
    const waiting = a.client.callTool({ name: 'wait_for',
      arguments: { windowId: target.windowId, text: 'never there', timeoutMs: 60000 } },
    undefined, { signal: abort.signal, timeout: 120000 });
    setTimeout(() => abort.abort('enough'), 500);
    const started = Date.now();
    await waiting.then(() => {}, () => {});
    expect(Date.now() - started < 30000, 'the withdrawn wait stops', Date.now() - started);
    await callOk(a.client, 'diagnostics', {});

    const ended = a.transport.sessionId;
    await a.transport.terminateSession();
    const after = await fetch(url, { method: 'POST', headers: {
      Authorization: `Bearer ${TOKEN}`, 'Content-Type': 'application/json',
      Accept: 'application/json, text/event-stream', 'Mcp-Session-Id': ended,
    }, body: JSON.stringify({ jsonrpc: '2.0', id: 1, method: 'ping' }) });
    expect(after.status === 404, 'an ended session is not found', after.status);
    await callOk(b.client, 'diagnostics', {});
    await b.client.close();
    expect(!stderr().includes(TOKEN), 'the token never appears on standard error');
  } finally {
    server.kill();
  }
}

run(main);
