"""The look command of the real helper under Wine against the test application: a PNG of
the window's size with visible content (the print-window grab is black there, so this is
the screen copy), maxDimension scaling, looks without an image, the outline's root node,
look ids in sequence, and one UI Automation warning line per look while UI Automation is
unavailable."""

import base64
import os
import struct
import zlib

from winhelper_e2e import E2EError, Helper, TestApp, expect, result_of, run_test

WARNING = "[uia] WARN extraction skipped: CoCreateInstance IUIAutomation: 0x80040154"




def decode_png(data):
    """Width, height and RGBA rows of an 8-bit RGBA, non-interlaced PNG."""
    expect(data[:8] == b"\x89PNG\r\n\x1a\n", "PNG signature", data[:8])
    pos, idat, header = 8, b"", None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        expect(zlib.crc32(kind + body) == crc, "chunk CRC", kind)
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    expect((depth, colour, interlace) == (8, 6, 0), "8-bit RGBA without interlace", header)
    raw, stride, rows, previous = zlib.decompress(idat), width * 4, [], bytearray(width * 4)
    expect(len(raw) == height * (stride + 1), "decompressed size", len(raw))
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = row[i - 4] if i >= 4 else 0
            up = previous[i]
            corner = previous[i - 4] if i >= 4 else 0
            if kind == 1:
                row[i] = (row[i] + left) & 255
            elif kind == 2:
                row[i] = (row[i] + up) & 255
            elif kind == 3:
                row[i] = (row[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                row[i] = (row[i] + pred) & 255
            else:
                expect(kind == 0, "known row filter", kind)
        rows.append(row)
        previous = row
    return width, height, rows


def distinct_colours(rows):
    colours = set()
    for row in rows:
        for i in range(0, len(row), 4):
            colours.add(bytes(row[i:i + 3]))
    return len(colours)


def image_of(result):
    image = result["image"]
    expect(image["mimeType"] == "image/png", "mime type", image["mimeType"])
    width, height, rows = decode_png(base64.b64decode(image["jpegBase64"], validate=True))
    expect((width, height) == (image["width"], image["height"]), "PNG size matches the result",
           (width, height), (image["width"], image["height"]))
    return width, height, rows


def check_full_look(result, record, title):
    frame = result["window"]["framePoints"]
    listed = record["framePoints"]
    expect((frame["x"], frame["y"], frame["w"], frame["h"])
           == (listed["x"], listed["y"], listed["width"], listed["height"]),
           "window frame is the listed one", frame, listed)
    width, height, rows = image_of(result)
    expect((width, height) == (frame["w"], frame["h"]), "image has the window's size",
           (width, height), frame)
    colours = distinct_colours(rows)
    expect(colours >= 8, "screenshot shows the window's controls (%d colours)" % colours)
    outline = result["outline"]
    expect(outline["ref"] == record["rootRef"] and outline["role"] == "Window"
           and outline["title"] == title, "outline root node is the window",
           outline["ref"], outline["role"], outline["title"])
    expect(outline["rect"] == {"h": height, "w": width, "x": 0, "y": 0},
           "root node covers the image", outline["rect"])
    expect(outline["children"] == [], "no elements while UI Automation is unavailable",
           outline["children"])
    timings = result["timings"]
    expect(sorted(timings) == ["captureMs", "describeMs", "readTextMs", "totalMs"]
           and all(isinstance(v, int) for v in timings.values()) and timings["readTextMs"] == 0,
           "timings", timings)
    expect(result["readText"] == {"executed": False, "requested": "auto"}, "readText",
           result["readText"])


def expected_scaled(frame, max_dimension):
    longest = max(frame["w"], frame["h"])
    if max_dimension >= longest:
        return frame["w"], frame["h"]
    scale = max_dimension / longest
    return (max(1, int(frame["w"] * scale + 0.5)), max(1, int(frame["h"] * scale + 0.5)))


def main(build_dir):
    title = "E2E Look %d" % os.getpid()
    with Helper(build_dir) as helper, TestApp(build_dir, title, x=30, y=40, w=1000, h=500) as app:
        app.wait_shown()
        looks = 0

        listing = result_of(helper.request("listWindows"))
        records = [w for w in listing["windows"] if w["title"] == title]
        expect(len(records) == 1, "the test app is listed once", [w["title"] for w in listing["windows"]])
        record = records[0]

        full = result_of(helper.request("look", {"rootRef": record["rootRef"]}))
        looks += 1
        expect(full["lookId"] == "look_1", "first look id", full["lookId"])
        check_full_look(full, record, title)

        frame = full["window"]["framePoints"]
        expect((frame["w"], frame["h"]) == (1000, 500), "the window has the size asked for", frame)
        for max_dimension in (100, 3, 1):
            scaled = result_of(helper.request(
                "screenshot", {"rootRef": record["rootRef"], "maxDimension": max_dimension}))
            looks += 1
            width, height, _ = image_of(scaled)
            expect((width, height) == expected_scaled(frame, max_dimension),
                   "image scaled to maxDimension %d" % max_dimension, (width, height), frame)

        plain = result_of(helper.request("look", {"windowId": record["windowId"],
                                                  "includeImage": False}))
        looks += 1
        expect("image" not in plain, "no image member without an image", sorted(plain))
        expect(plain["outline"]["rect"] == {"h": frame["h"], "w": frame["w"], "x": 0, "y": 0},
               "rectangles in frame units without an image", plain["outline"]["rect"])

        ids = [full["lookId"]]
        while looks < 10:
            ids.append(result_of(helper.request("look", {"rootRef": record["rootRef"],
                                                         "includeImage": False}))["lookId"])
            looks += 1
        expect(ids[-1] == "look_10", "look ids count up without gaps", ids)

        refused = helper.request("look", {"rootRef": record["rootRef"], "readText": "Auto"})
        expect(refused.get("error") == {"message": "readText must be auto, always, or never",
                                        "code": "invalid_request"}, "bad readText", refused)

        warnings = [line for line in helper.stderr_lines if "[uia]" in line]
        expect(warnings == [WARNING] * looks, "one warning line per look (%d looks)" % looks,
               warnings)
        expect(helper.close() == 0, "helper exits cleanly at end of input")

        check_first_look_lists(build_dir, record, title)


def check_first_look_lists(build_dir, record, title):
    """A helper that never listed finds the window by its handle: its first look lists."""
    with Helper(build_dir) as fresh:
        result = result_of(fresh.request("look", {"windowId": record["windowId"],
                                                  "includeImage": False}))
        expect(result["lookId"] == "look_1" and result["outline"]["title"] == title
               and result["window"]["windowId"] == record["windowId"]
               and result["window"]["rootRef"].startswith("@w"),
               "first look of a process without a listing", result["lookId"], result["window"])
        expect(fresh.close() == 0, "second helper exits cleanly")
        warnings = [line for line in fresh.stderr_lines if "[uia]" in line]
        expect(warnings == [WARNING], "one warning line for the one look", warnings)


if __name__ == "__main__":
    run_test(main)
