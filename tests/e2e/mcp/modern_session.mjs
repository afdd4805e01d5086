// The official MCP client v2 in the stateless era (2026-07-28), over stdio and
// over HTTP: it probes server/discover, lists the tools, looks at a window,
// presses a button with the look's id, and looks again since the first look.
// Every result as it came over the wire carries resultType and the server's
// identity; tools/list carries its cache hints. Over HTTP every request stands
// alone, so the look ids also work across requests and for a second client
// with the same token; and the same v2 client in the legacy era still gets a
// session.
// Usage: node modern_session.mjs stdio|http <window title, or its start> <button title> <server command> [arguments...]

import { Client, StreamableHTTPClientTransport } from '@modelcontextprotocol/client';
import { StdioClientTransport } from '@modelcontextprotocol/client/stdio';

import {
  callOk, checkSchemas, expect, nodes, run, startHttpServer, textOf, TOOL_NAMES,
} from './client.mjs';

const MODERN = '2026-07-28';
const LEGACY = '2025-11-25';
const SERVER_INFO = 'io.modelcontextprotocol/serverInfo';
const TOKEN = `t-${process.pid}-${Date.now()}`;

// Connects `client` over `transport` and keeps every JSON-RPC answer as it
// arrived, before the client consumes resultType and the cache hints.
async function connect(client, transport) {
  const strayErrors = [];
  client.onerror = (error) => strayErrors.push(String(error));
  await client.connect(transport, { timeout: 60000 });
  const answers = [];
  const deliver = transport.onmessage;
  transport.onmessage = (message, extra) => {
    if (message.id !== undefined && !message.method) answers.push(message);
    deliver?.(message, extra);
  };
  return { client, transport, answers, strayErrors };
}

function modernClient() {
  return new Client({ name: 'winhelper-modern-test', version: '1.0.0' },
    { versionNegotiation: { mode: 'auto' } });
}

function httpTransport(url) {
  return new StreamableHTTPClientTransport(url, {
    requestInit: { headers: { Authorization: `Bearer ${TOKEN}` } },
  });
}

// The steps an agent takes: tools, a look, an act, a look since the first.
async function walk(session, windowTitle, buttonTitle) {
  const { client, answers, strayErrors } = session;
  expect(client.getProtocolEra() === 'modern' && client.getNegotiatedProtocolVersion() === MODERN,
    'the client chose the stateless era', client.getNegotiatedProtocolVersion());
  const discovered = client.getDiscoverResult();
  for (const version of [MODERN, LEGACY]) {
    expect(discovered?.supportedVersions.includes(version), `server/discover lists ${version}`, discovered);
  }
  expect(client.getServerVersion()?.name === 'winhelper-mcp', 'the server names itself',
    client.getServerVersion());

  const { tools } = await client.listTools();
  expect(JSON.stringify(tools.map((t) => t.name)) === JSON.stringify(TOOL_NAMES), 'tool names',
    tools.map((t) => t.name));
  checkSchemas(tools);
  const listing = answers.find((a) => Array.isArray(a.result?.tools))?.result;
  expect(Number.isInteger(listing?.ttlMs) && listing.ttlMs >= 0 &&
    ['public', 'private'].includes(listing.cacheScope), 'tools/list carries its cache hints',
  { ttlMs: listing?.ttlMs, cacheScope: listing?.cacheScope });

  const windows = (await callOk(client, 'list_windows', {})).structuredContent.windows;
  const window = windows.find((w) => w.title.startsWith(windowTitle));
  expect(window, 'the window is listed', windows.map((w) => w.title));
  const first = (await callOk(client, 'look', { rootRef: window.rootRef, includeImage: false }))
    .structuredContent;
  const button = [...nodes(first.outline)].find((n) => n.title === buttonTitle);
  expect(button, 'the button is in the outline', buttonTitle);
  const acted = await callOk(client, 'act', {
    lookId: first.lookId, action: 'press', pid: window.pid, target: { ref: button.ref },
  });
  expect(acted.structuredContent.outcome === 'worked', 'the press worked', acted.structuredContent);
  const since = await callOk(client, 'look', {
    rootRef: window.rootRef, includeImage: false, sinceLookId: first.lookId,
  });
  const { changes, lookId } = since.structuredContent;
  expect(lookId !== first.lookId && ['appeared', 'gone', 'changed'].every((k) => Array.isArray(changes?.[k])),
    'the second look gives the changes since the first', since.structuredContent);
  expect(textOf(since).includes(first.lookId), 'the changes name the earlier look', textOf(since));

  expect(answers.length >= 5, 'the answers were seen', answers.length);
  for (const answer of answers) {
    expect(answer.result?.resultType === 'complete', 'every result carries resultType', answer);
    expect(answer.result._meta?.[SERVER_INFO]?.name === 'winhelper-mcp', 'every result names the server',
      answer.result._meta);
  }
  expect(strayErrors.length === 0, 'no protocol errors', strayErrors);
  return { window, lookId: first.lookId, ref: button.ref };
}

async function overStdio(windowTitle, buttonTitle, command, args) {
  const transport = new StdioClientTransport({ command, args, env: { ...process.env }, stderr: 'pipe' });
  transport.stderr?.resume();
  const session = await connect(modernClient(), transport);
  try {
    await walk(session, windowTitle, buttonTitle);
  } finally {
    await session.client.close();
  }
}

async function overHttp(windowTitle, buttonTitle, command, args) {
  const { server, url, stderr } = await startHttpServer(command, args, TOKEN);
  const sessions = [];
  try {
    const a = await connect(modernClient(), httpTransport(url));
    sessions.push(a);
    expect(a.transport.sessionId === undefined, 'a stateless client has no session', a.transport.sessionId);
    const { lookId, ref } = await walk(a, windowTitle, buttonTitle);

    // Another stateless client with the same token shares the look history.
    const b = await connect(modernClient(), httpTransport(url));
    sessions.push(b);
    const read = await b.client.callTool({ name: 'read_text', arguments: { lookId, elementRef: ref } });
    expect(!textOf(read).startsWith('stale_look: '), "a look is known to another stateless client", read);

    // The v2 client in its default, legacy era: initialize, a session, no era fields.
    const legacy = await connect(new Client({ name: 'winhelper-legacy-test', version: '1.0.0' }),
      httpTransport(url));
    sessions.push(legacy);
    expect(legacy.client.getProtocolEra() === 'legacy' && legacy.transport.sessionId,
      'the legacy era has a session', legacy.client.getNegotiatedProtocolVersion());
    await callOk(legacy.client, 'diagnostics', {});
    const answer = legacy.answers.at(-1);
    expect(answer?.result && !('resultType' in answer.result), 'a legacy result has no resultType', answer);
    expect(legacy.strayErrors.length === 0, 'no protocol errors', legacy.strayErrors);
    expect(!stderr().includes(TOKEN), 'the token never appears on standard error');
  } finally {
    for (const { client } of sessions) await client.close().catch(() => {});
    server.kill();
  }
}

async function main() {
  const [transport, ...rest] = process.argv.slice(2);
  expect(['stdio', 'http'].includes(transport), 'the transport is stdio or http', transport);
  await (transport === 'stdio' ? overStdio : overHttp)(...rest.slice(0, 2), rest[2], rest.slice(3));
}

run(main);
