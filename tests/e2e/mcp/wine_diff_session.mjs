// Look diffs through the SDK client: a look of an unchanged window since an
// earlier one says only that nothing changed, and after the Name edit's text
// is set, the look since the last one names that edit as changed and nothing
// else, with its ref in both looks, in a small share of the whole look's text.
// Usage: node wine_diff_session.mjs <windows-build-dir> <title>

import path from 'node:path';

import { byIdentifier, callOk, connect, expect, run, textOf, waitListed } from './client.mjs';

async function main() {
  const [buildDir, title] = process.argv.slice(2);
  const { client } = await connect('wine', [path.join(buildDir, 'winhelper-mcp.exe')]);
  try {
    const window = await waitListed(client, (w) => w.title === title);
    const look = (args) => callOk(client, 'look', { rootRef: window.rootRef, includeImage: false, ...args });

    const first = await look({});
    const whole = textOf(first);
    const still = await look({ sinceLookId: first.structuredContent.lookId });
    const stillChanges = still.structuredContent.changes;
    expect(stillChanges && stillChanges.appeared.length === 0 && stillChanges.gone.length === 0 &&
      stillChanges.changed.length === 0, 'an unchanged window has no changes', stillChanges);

    const edit = byIdentifier(still.structuredContent.outline, '1003');
    await callOk(client, 'act', {
      lookId: still.structuredContent.lookId, action: 'setText', target: { ref: edit.ref },
      params: { text: 'typed for the diff' },
    });
    const after = await look({ sinceLookId: still.structuredContent.lookId });
    const changes = after.structuredContent.changes;
    const editNow = byIdentifier(after.structuredContent.outline, '1003');
    expect(changes.appeared.length === 0 && changes.gone.length === 0 && changes.changed.length === 1,
      'one element changed, none appeared or went', changes);
    const [changed] = changes.changed;
    expect(changed.ref === editNow.ref && changed.earlierRef === edit.ref &&
      JSON.stringify(changed.fields) === '["value"]', 'the Name edit changed its value', changed);
    const text = textOf(after);
    expect(text.includes(editNow.ref) && text.includes(edit.ref) && text.includes('typed for the diff'),
      'the text names the edit by both refs with its value', text);

    const share = text.length / whole.length;
    console.log(`whole look ${whole.length} bytes, unchanged ${textOf(still).length} bytes, ` +
      `one edit ${text.length} bytes (${(100 * share).toFixed(1)} %)`);
    expect(textOf(still).length <= 200, 'an unchanged window takes at most 200 bytes', textOf(still));
    expect(share <= 0.15, 'one edit takes at most 15 % of the whole look', text);
  } finally {
    await client.close();
  }
}

run(main);
