"""How the demo shows a look's outline: as an indented tree of text lines, and drawn over the
look's screenshot (element rectangles with their refs) when Pillow is available."""

CAPABILITIES = (("canPress", "press"), ("canSetValue", "set"), ("canScroll", "scroll"),
                ("canFocus", "focus"), ("truncated", "truncated"))


def walk(node):
    """Every node of the outline, parents before children."""
    yield node
    for child in node.get("children", []):
        yield from walk(child)


def count(outline):
    return sum(1 for _ in walk(outline))


def short_ref(ref):
    """"win:look_3:@e12" -> "@e12"; a window ref stays as it is."""
    return ref.rsplit(":", 1)[-1]


def line(node):
    parts = [node.get("role", "?"), repr(node.get("title", ""))]
    if node.get("ref"):
        parts.append(node["ref"])
    value = node.get("value")
    if value:
        parts.append("value=%r" % (value if len(value) <= 40 else value[:40] + "..."))
    flags = [word for key, word in CAPABILITIES if node.get(key)]
    if flags:
        parts.append("[%s]" % " ".join(flags))
    return " ".join(parts)


def lines(node, depth=0):
    """One line per node, indented two blanks per level."""
    out = ["  " * depth + line(node)]
    for child in node.get("children", []):
        out.extend(lines(child, depth + 1))
    return out


def draw_over(png_path, outline, out_path):
    """Draws every element's rectangle and ref over the screenshot; returns out_path, or None
    without Pillow."""
    try:
        from PIL import Image, ImageDraw, ImageFont
    except ImportError:
        return None
    image = Image.open(png_path).convert("RGB")
    draw = ImageDraw.Draw(image)
    font = ImageFont.load_default()
    palette = [(230, 60, 60), (40, 150, 240), (40, 180, 90), (240, 150, 30), (170, 80, 220)]
    elements = [node for node in walk(outline) if node is not outline and node.get("rect")]
    for index, node in enumerate(elements):
        colour = palette[index % len(palette)]
        rect = node["rect"]
        x, y, w, h = rect["x"], rect["y"], rect["w"], rect["h"]
        draw.rectangle([x, y, x + max(w - 1, 0), y + max(h - 1, 0)], outline=colour, width=2)
    # Labels last, so no rectangle crosses a label.
    for index, node in enumerate(elements):
        colour = palette[index % len(palette)]
        label = short_ref(node.get("ref", ""))
        # At the top right, where left-aligned control text rarely reaches.
        rect = node["rect"]
        width = draw.textlength(label, font=font)
        left, top = max(rect["x"] + 2, rect["x"] + rect["w"] - width - 3), rect["y"] + 2
        box = draw.textbbox((left, top), label, font=font)
        draw.rectangle([box[0] - 1, box[1] - 1, box[2] + 1, box[3] + 1], fill=colour)
        draw.text((left, top), label, fill=(255, 255, 255), font=font)
    image.save(out_path)
    return out_path


def sample(outline, heading, limit=14):
    """The README's sample beside the picture: `heading` for the window, then its titled
    elements but the text labels (the fields they name carry their words) as indented lines,
    refs shortened to their element numbers and without the focus flag, at most `limit`
    lines."""
    out = [heading]

    def visit(node, depth):
        if len(out) >= limit:
            return
        if node.get("title") and node.get("role") != "text":
            shown = dict(node, ref=short_ref(node.get("ref", "")), canFocus=False)
            out.append("  " * depth + line(shown))
        for child in node.get("children", []):
            visit(child, depth + 1)

    for child in outline.get("children", []):
        visit(child, 1)
    return out

