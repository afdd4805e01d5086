#include "mcp/look_changes_text.h"

#include <map>

#include "context/look_store.h"
#include "mcp/outline_text.h"
#include "protocol/args.h"

namespace winhelper::mcp {

namespace {

// What follows the line of an element that appeared or changed.
using Marks = std::map<std::string, std::string>;

Marks marks_of(const Json& changes) {
  Marks marks;
  if (const Json* appeared = arg_array(changes, "appeared")) {
    for (const Json& ref : *appeared) {
      if (ref.is_string()) marks[ref.get<std::string>()] = " new";
    }
  }
  if (const Json* changed = arg_array(changes, "changed")) {
    for (const Json& change : *changed) {
      std::string fields;
      if (const Json* names = arg_array(change, "fields")) {
        for (const Json& name : *names) {
          if (name.is_string()) fields += (fields.empty() ? "" : ",") + name.get<std::string>();
        }
      }
      marks[arg_string(change, "ref").value_or("")] =
          " changed " + fields + ", was " + arg_string(change, "earlierRef").value_or("?");
    }
  }
  return marks;
}

// The lines of `node`'s subtree that show a change, each under its
// ancestors; empty when nothing in it changed.
std::string changed_lines(const Json& node, int depth, const Marks& marks) {
  std::string below;
  if (const Json* children = arg_array(node, "children")) {
    for (const Json& child : *children) below += changed_lines(child, depth + 1, marks);
  }
  auto mark = marks.find(arg_string(node, "ref").value_or(""));
  if (mark == marks.end() && below.empty()) return below;
  std::string line;
  if (mark == marks.end()) {
    line = ancestor_line(node, depth);
  } else {
    line = element_line(node, depth) + mark->second;
  }
  return line + '\n' + below;
}

std::string refs_line(const Json* refs) {
  std::string out;
  if (refs) {
    for (const Json& ref : *refs) {
      if (ref.is_string()) out += (out.empty() ? "" : " ") + ref.get<std::string>();
    }
  }
  return out.empty() ? "none" : out;
}

}  // namespace

std::string render_look_changes(const Json& look) {
  const Json* changes = arg_object(look, "changes");
  if (changes == nullptr) return render_look(look);
  const std::string since = arg_string(*changes, "sinceLookId").value_or("?");
  std::string lines;
  if (const Json* outline = arg_object(look, "outline")) lines = changed_lines(*outline, 0, marks_of(*changes));

  std::string out = look_header(look);
  out += lines.empty() ? "; no changes since " + since + "\n" : "; changes since " + since + ":\n" + lines;
  out += "gone: " + refs_line(arg_array(*changes, "gone")) + "; " +
         std::to_string(arg_u64(*changes, "unchanged").value_or(0)) +
         " unchanged: act on them through " + since + " and its refs while " + since +
         " is among the last " + std::to_string(LookStore::kCapacity) + " looks\n";
  return out;
}

}  // namespace winhelper::mcp
