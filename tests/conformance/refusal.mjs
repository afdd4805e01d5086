// Checks one refusal that stands in for a conformance check which needs
// something this tools-only server does not have: sends a stateless
// (2026-07-28) request over HTTP and fails unless the answer is the refusal.
//   method <name>  an unknown method: HTTP 404, error -32601, the request's id
//   tool <name>    an unknown tool: an error answer with the request's id
// Usage: node refusal.mjs <url> method|tool <name>

const [url, kind, name] = process.argv.slice(2);
const id = 4242;
const meta = {
  'io.modelcontextprotocol/protocolVersion': '2026-07-28',
  'io.modelcontextprotocol/clientInfo': { name: 'winhelper-conformance', version: '1.0.0' },
  'io.modelcontextprotocol/clientCapabilities': {},
};
const method = kind === 'tool' ? 'tools/call' : name;
const params = kind === 'tool' ? { name, arguments: {}, _meta: meta } : { _meta: meta };
const headers = {
  'Content-Type': 'application/json', Accept: 'application/json, text/event-stream',
  'MCP-Protocol-Version': '2026-07-28', 'Mcp-Method': method,
  ...(kind === 'tool' ? { 'Mcp-Name': name } : {}),
};
const response = await fetch(url, {
  method: 'POST', headers, body: JSON.stringify({ jsonrpc: '2.0', id, method, params }),
  signal: AbortSignal.timeout(30000),
});
const text = await response.text();
let body;
try { body = JSON.parse(text); } catch { body = undefined; }

const faults = [];
if (body?.id !== id) faults.push(`the answer's id is ${JSON.stringify(body?.id)}, not ${id}`);
if (typeof body?.error?.code !== 'number') faults.push('the answer is not an error');
if (kind === 'method') {
  if (response.status !== 404) faults.push(`HTTP ${response.status}, not 404`);
  if (body?.error?.code !== -32601) faults.push(`code ${body?.error?.code}, not -32601`);
} else if (kind !== 'tool') {
  faults.push(`unknown refusal kind ${kind}`);
}
if (faults.length > 0) {
  console.log(`refusal of ${kind} ${name}: ${faults.join('; ')} (HTTP ${response.status}: ${text.slice(0, 300)})`);
  process.exit(1);
}
