#pragma once
// The wire forms of window records, listings and window changes, written by
// the command handlers as their last step. Members are written in byte order
// of their names.

#include "protocol/request.h"
#include "windows/inventory.h"
#include "windows/window_record.h"

namespace winhelper {

// {browserFamily, className, exStyle, isBrowser}, or {className, exStyle}
// without browser facts.
Json window_metadata_json(const WindowMetadata& metadata);

// Every member of a listed window; `framePoints` repeats `bounds`, and
// `ref`, `rootRef` and `windowRef` are the same ref.
Json window_record_json(const WindowRecord& record);

// {"roots": [...], "stateId": "w-<n>", "windows": [...]}, both arrays
// holding the same records.
Json window_listing_json(const WindowListing& listing);

// change, kind, title, pid, and whichever of ref, windowId, isModal and
// metadata the change holds.
Json window_change_json(const WindowChange& change);

}  // namespace winhelper
