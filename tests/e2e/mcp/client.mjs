// What the MCP client scripts share: starting a server under the official
// MCP TypeScript SDK client, checking tool schemas, decoding PNG images,
// and plain assertions. Every wait has a time limit.

import { Buffer } from 'node:buffer';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

import Ajv from 'ajv';
import Ajv2020 from 'ajv/dist/2020.js';
import { Client } from '@modelcontextprotocol/sdk/client/index.js';
import { StdioClientTransport } from '@modelcontextprotocol/sdk/client/stdio.js';

export class CheckFailed extends Error {}

// The server's tools, in the order tools/list gives them.
export const TOOL_NAMES = ['list_windows', 'focus_window', 'look', 'act', 'act_batch', 'read_text',
  'wait_for', 'open_browser_location', 'diagnostics', 'launch_app', 'run_command',
  'set_window_state', 'clipboard_read', 'clipboard_write'];

export function expect(condition, message, context) {
  if (!condition) {
    throw new CheckFailed(context === undefined ? message : `${message}: ${JSON.stringify(context)}`);
  }
}

// Starts `command args` as an MCP server and completes the handshake. The
// server's standard error is kept (serverStderr()); replies the SDK could
// not match to a request (an answer to a cancelled call) land in
// `strayErrors`.
export async function connect(command, args, { timeoutMs = 60000 } = {}) {
  const transport = new StdioClientTransport({ command, args, env: { ...process.env }, stderr: 'pipe' });
  let stderr = '';
  transport.stderr?.on('data', (chunk) => { stderr += chunk.toString(); });
  const client = new Client({ name: 'winhelper-mcp-test', version: '1.0.0' });
  const strayErrors = [];
  client.onerror = (error) => strayErrors.push(String(error));
  await client.connect(transport, { timeout: timeoutMs });
  return { client, strayErrors, serverStderr: () => stderr };
}

// Starts `command args --http 127.0.0.1:PORT --token-file F` (F holding
// `token`) and waits until it listens.
export async function startHttpServer(command, args, token) {
  const port = 20000 + Math.floor(Math.random() * 20000);
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'winhelper-http-'));
  fs.writeFileSync(path.join(dir, 'token'), `${token}\n`, { mode: 0o600 });
  const server = spawn(command, [...args, '--http', `127.0.0.1:${port}`, '--token-file',
    path.join(dir, 'token')], { stdio: ['ignore', 'ignore', 'pipe'] });
  let stderr = '';
  server.stderr.on('data', (chunk) => { stderr += chunk.toString(); });
  const limit = Date.now() + 120000;
  while (!stderr.includes('serving MCP at')) {
    expect(server.exitCode === null, 'the server runs', stderr);
    expect(Date.now() < limit, 'the server starts listening in time', stderr);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  return { server, url: new URL(`http://127.0.0.1:${port}/mcp`), stderr: () => stderr };
}

// Every input schema, and every output schema a tool has, must be a valid JSON Schema under both the
// draft-07 and the 2020-12 meta-schemas, with no keyword the validator does
// not know, and must compile.
export function checkSchemas(tools) {
  for (const AjvClass of [Ajv, Ajv2020]) {
    const ajv = new AjvClass({ strictSchema: true, allErrors: true });
    for (const tool of tools) {
      for (const [which, schema] of [['input', tool.inputSchema], ['output', tool.outputSchema]]) {
        if (which === 'output' && schema === undefined) continue;
        expect(schema?.type === 'object', `${tool.name}: ${which} schema is an object schema`, schema);
        expect(ajv.validateSchema(schema), `${tool.name}: ${which} schema is valid`, ajv.errors);
        ajv.compile(schema);
      }
    }
  }
}

// Width and height of a PNG given as base64, after inflating its image data
// and checking that it holds exactly the rows the header promises.
export function decodePng(base64) {
  const png = Buffer.from(base64, 'base64');
  expect(png.subarray(0, 8).equals(Buffer.from([137, 80, 78, 71, 13, 10, 26, 10])), 'PNG signature');
  let offset = 8;
  let header;
  const data = [];
  while (offset < png.length) {
    const length = png.readUInt32BE(offset);
    const type = png.toString('latin1', offset + 4, offset + 8);
    const body = png.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      header = { width: body.readUInt32BE(0), height: body.readUInt32BE(4), depth: body[8], colour: body[9] };
    } else if (type === 'IDAT') {
      data.push(body);
    }
    offset += 12 + length;
  }
  expect(header && header.depth === 8, 'an 8-bit PNG header', header);
  const channels = { 0: 1, 2: 3, 4: 2, 6: 4 }[header.colour];
  const pixels = zlib.inflateSync(Buffer.concat(data));
  expect(pixels.length === header.height * (1 + header.width * channels), 'PNG rows decode',
    { bytes: pixels.length, header });
  return { width: header.width, height: header.height };
}

// The text of a tool result's text blocks.
export function textOf(result) {
  return result.content.filter((block) => block.type === 'text').map((block) => block.text).join('\n');
}

// A successful tool result (the SDK has validated its structured content).
export async function callOk(client, name, args, options) {
  const result = await client.callTool({ name, arguments: args }, undefined, options);
  expect(!result.isError, `${name} succeeds`, { args, text: textOf(result) });
  return result;
}

// Tree nodes of a look's outline, depth first.
export function* nodes(node) {
  yield node;
  for (const child of node.children ?? []) yield* nodes(child);
}

export function byIdentifier(outline, identifier) {
  const found = [...nodes(outline)].find((node) => node.identifier === identifier);
  expect(found, `node ${identifier} in the outline`);
  return found;
}

export async function waitListed(client, wanted, timeoutMs = 20000) {
  const limit = Date.now() + timeoutMs;
  for (;;) {
    const listing = (await callOk(client, 'list_windows', {})).structuredContent;
    const found = listing.windows.find(wanted);
    if (found) return found;
    expect(Date.now() < limit, 'the window is listed', listing.windows.map((w) => w.title));
    await new Promise((resolve) => setTimeout(resolve, 250));
  }
}

// Runs main(); a failure prints its reason and sets the exit code.
export function run(main) {
  main().then(
    () => { console.log(`PASS: ${process.argv[1].split('/').pop()}`); process.exit(0); },
    (error) => { console.error(`FAIL: ${error instanceof CheckFailed ? error.message : error.stack}`); process.exit(1); },
  );
}
