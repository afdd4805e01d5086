// The official MCP client against the server on the fake desktop (native,
// no Wine): the handshake, every tool's schemas checked as JSON Schema,
// every tool once with a result the SDK validates against its output
// schema, a tool error, two calls at once, and a clean standard error (the
// sanitizer builds run this test too).
// Usage: node fake_desktop_session.mjs <winhelper_mcp_fake>

import {
  callOk, checkSchemas, connect, decodePng, expect, nodes, run, textOf, TOOL_NAMES,
} from './client.mjs';

async function main() {
  const { client, strayErrors, serverStderr } = await connect(process.argv[2], []);
  expect(client.getServerVersion()?.name === 'winhelper-mcp', 'server name', client.getServerVersion());
  const { tools } = await client.listTools();
  expect(JSON.stringify(tools.map((t) => t.name)) === JSON.stringify(TOOL_NAMES), 'tool names',
    tools.map((t) => t.name));
  checkSchemas(tools);

  const listing = (await callOk(client, 'list_windows', {})).structuredContent;
  const editor = listing.windows.find((w) => w.title === 'notes.txt - Editor');
  await callOk(client, 'focus_window', { rootRef: editor.rootRef });

  const look = await callOk(client, 'look', { rootRef: editor.rootRef });
  const image = look.content.find((block) => block.type === 'image');
  expect(JSON.stringify(decodePng(image.data)) === '{"width":160,"height":120}', 'image size');
  const { lookId, outline } = look.structuredContent;
  const save = [...nodes(outline)].find((n) => n.title === 'Save');
  const documentNode = [...nodes(outline)].find((n) => n.role === 'document');
  const press = { lookId, action: 'press', pid: editor.pid, target: { ref: save.ref } };

  // Two calls at once, each answered with its own result.
  const [acted, read] = await Promise.all([
    callOk(client, 'act', press),
    callOk(client, 'read_text', { lookId, elementRef: documentNode.ref }),
  ]);
  expect(acted.structuredContent.outcome === 'worked', 'the press worked', acted.structuredContent);
  expect(read.structuredContent.text.startsWith('The quick'), 'the document text', read.structuredContent);

  const stale = { ...press, target: { ref: 'win:look_99:@e1' } };
  const batch = await callOk(client, 'act_batch', { actions: [press, stale, press] });
  expect(batch.structuredContent.stoppedAt === 1, 'the batch stops at the stale step', batch.structuredContent);
  await callOk(client, 'wait_for', { rootRef: editor.rootRef, text: 'save' });
  await callOk(client, 'wait_for', { rootRef: editor.rootRef, text: 'never there', timeoutMs: 100 });
  await callOk(client, 'open_browser_location', { appName: 'edge', url: 'example.org' });
  await callOk(client, 'diagnostics', {});
  await callOk(client, 'launch_app', { command: 'notepad.exe', waitMs: 0 });
  await callOk(client, 'set_window_state', { rootRef: editor.rootRef, state: 'maximize' });
  await callOk(client, 'clipboard_write', { text: 'Grüße 😀' });
  const clip = (await callOk(client, 'clipboard_read', { offset: 6 })).structuredContent;
  expect(clip.text === '😀' && clip.totalChars === 7, 'the clipboard page', clip);

  const failed = await client.callTool({ name: 'read_text', arguments: { lookId: 'look_99', elementRef: 'x' } });
  expect(failed.isError === true && textOf(failed).startsWith('stale_look: '), 'a stale look is a tool error',
    failed);
  expect(strayErrors.length === 0, 'no protocol errors', strayErrors);
  await client.close();
  // Nothing goes to standard error here, so a sanitizer's report fails the test.
  await new Promise((resolve) => setTimeout(resolve, 300));
  expect(serverStderr() === '', 'the server wrote nothing to standard error', serverStderr());
}

run(main);
