// The release as an MCP host meets it: the bundle's manifest, read with the
// official bundle library, gives the command line (defaults of the user
// settings filled in, one set as a user would) for the folder the release was unpacked into; the
// official SDK client starts it under Wine, checks serverInfo's version,
// lists the tools and takes one look at the test application.
// Usage: node package_session.mjs <manifest.json> <install folder (Windows path)>
//        <version> <test-app title>

import fs from 'node:fs';

import { getMcpConfigForManifest } from '../../packaging/node_modules/@anthropic-ai/mcpb/dist/shared/config.js';
import { callOk, checkSchemas, connect, decodePng, expect, run, waitListed } from './mcp/client.mjs';

const [manifestPath, installDir, version, title] = process.argv.slice(2);

run(async () => {
  const manifest = JSON.parse(fs.readFileSync(manifestPath, 'utf8'));
  expect(manifest.version === version, 'the manifest names the version', manifest.version);
  const config = await getMcpConfigForManifest({
    manifest, extensionPath: installDir, systemDirs: {},
    userConfig: { disabled_tools: 'launch_app, clipboard_write' }, pathSeparator: '\\',
  });
  expect(config?.command?.startsWith(installDir), 'the manifest runs the unpacked server', config);
  expect(config.args.every((arg) => !arg.includes('${')), 'every setting has a default', config.args);

  const { client, serverStderr } = await connect('wine', [config.command, ...config.args]);
  try {
    expect(client.getServerVersion()?.version === version, "serverInfo's version is the release's",
      client.getServerVersion());
    const { tools } = await client.listTools();
    checkSchemas(tools);
    const names = tools.map((t) => t.name);
    for (const name of ['list_windows', 'look', 'act', 'diagnostics']) {
      expect(names.includes(name), `tools/list has ${name}`, names);
    }
    expect(!names.includes('launch_app') && !names.includes('clipboard_write'),
      'the tools the user disabled are not listed', names);
    const window = await waitListed(client, (w) => w.title === title);
    const look = await callOk(client, 'look', { rootRef: window.rootRef });
    const image = look.content.find((block) => block.type === 'image');
    expect(image?.mimeType === 'image/png', 'the look carries a PNG', look.content.map((b) => b.type));
    const size = decodePng(image.data);
    expect(size.width > 100 && size.height > 100, "the image is the window's", size);
  } catch (error) {
    // A server that exited says why (or Wine does) on its standard error.
    console.error(`winhelper-mcp's standard error:\n${serverStderr()}`);
    throw error;
  }
  await client.close();
});
