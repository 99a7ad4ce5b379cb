#!/usr/bin/python3
"""Draws the toolkit's and the installer's graphics as PNG files.

    /usr/bin/python3 graphics/make_graphics.py [OUTPUT_DIR]

All graphics share one dark TV style: a blue-grey glass panel with a soft
top highlight, amber accents (the title colour of the boxes is 0xE89211)
and a light input trough that dark text stays readable on.  Shapes are drawn
at four times the size and scaled down, which gives smooth edges.  The PNGs
are committed; the build packs them with grpacker.
"""
import math
import os
import sys

from PIL import Image, ImageDraw, ImageFont

SS = 4  # supersampling factor

PANEL_TOP = (52, 60, 78)
PANEL_BOTTOM = (18, 22, 31)
PANEL_ALPHA = 238
BORDER = (112, 126, 150)
AMBER_TOP = (255, 206, 110)
AMBER_BOTTOM = (226, 140, 22)


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def vertical_gradient(w, h, top, bottom, alpha=255):
    img = Image.new("RGBA", (w, h))
    px = img.load()
    for y in range(h):
        c = lerp(top, bottom, y / max(1, h - 1)) + (alpha,)
        for x in range(w):
            px[x, y] = c
    return img


def rounded_mask(w, h, radius, inset=0):
    """Anti-aliased mask of a rounded rectangle (drawn at SS x size)."""
    big = Image.new("L", (w * SS, h * SS), 0)
    d = ImageDraw.Draw(big)
    i = inset * SS
    d.rounded_rectangle((i, i, w * SS - 1 - i, h * SS - 1 - i), radius=radius * SS, fill=255)
    return big.resize((w, h), Image.LANCZOS)


def apply_mask(img, mask):
    r, g, b, a = img.split()
    a = Image.composite(a, Image.new("L", img.size, 0), mask)
    return Image.merge("RGBA", (r, g, b, a))


def panel(w, h, band_height, alpha):
    """The boxes' panel: glass gradient, a title band ending in an amber rule
    that fades out towards both ends, a thin frame and rounded corners."""
    body = vertical_gradient(w, h, PANEL_TOP, PANEL_BOTTOM, alpha)
    band = vertical_gradient(w, band_height, (70, 80, 102), (44, 51, 67), alpha)
    body.paste(band, (0, 0))
    d = ImageDraw.Draw(body)
    for x in range(12, w - 12):
        t = min(x - 12, w - 13 - x) / 80.0
        a = int(255 * min(1.0, t))
        base = body.getpixel((x, band_height))
        d.point((x, band_height), fill=lerp(base[:3], (232, 146, 17), a / 255.0) + (alpha,))
    # Frame: light outer line, dark inner line.
    frame = Image.new("RGBA", (w, h), BORDER + (255,))
    outer = rounded_mask(w, h, 10)
    inner = rounded_mask(w, h, 9, inset=1)
    ring = Image.composite(Image.new("L", (w, h), 0), outer, inner)
    body.paste(frame, (0, 0), ring)
    return apply_mask(body, outer)


def info_box():
    """380 x 190 panel of the message box and the info box."""
    return panel(380, 190, 36, PANEL_ALPHA)


def button_highlight():
    """100 x 25 highlighted button: amber gradient with a glossy top half."""
    w, h = 100, 25
    img = vertical_gradient(w, h, AMBER_TOP, AMBER_BOTTOM)
    gloss = vertical_gradient(w, h // 2, (255, 240, 200), AMBER_TOP)
    gloss_mask = rounded_mask(w, h // 2, 4, inset=1)
    gloss_mask = Image.eval(gloss_mask, lambda v: v * 120 // 255)
    img.paste(gloss, (0, 0), gloss_mask)
    edge = Image.new("RGBA", (w, h), (150, 86, 6, 255))
    outer = rounded_mask(w, h, 6)
    inner = rounded_mask(w, h, 5, inset=1)
    ring = Image.composite(Image.new("L", (w, h), 0), outer, inner)
    img.paste(edge, (0, 0), ring)
    # The button sits on the panel; give the corners the panel's colour so
    # that the graphic can be put without blending.
    under = info_box().crop((140, 120, 140 + w, 120 + h))
    under.alpha_composite(apply_mask(img, outer))
    return under


def bar(w, h, top, bottom, edge, radius=6, gloss=True):
    img = vertical_gradient(w, h, top, bottom)
    if gloss:
        shine = vertical_gradient(w, h // 2, lerp(top, (255, 255, 255), 0.45), top)
        m = Image.eval(rounded_mask(w, h // 2, radius - 2, inset=1), lambda v: v * 140 // 255)
        img.paste(shine, (0, 0), m)
    outer = rounded_mask(w, h, radius)
    inner = rounded_mask(w, h, radius - 1, inset=1)
    ring = Image.composite(Image.new("L", (w, h), 0), outer, inner)
    img.paste(Image.new("RGBA", (w, h), edge + (255,)), (0, 0), ring)
    return img, outer


def on_panel(img, mask, panel_x, panel_y):
    """Composes a shape onto the info-box pixels it covers on screen."""
    w, h = img.size
    under = info_box().crop((panel_x, panel_y, panel_x + w, panel_y + h))
    under.alpha_composite(apply_mask(img, mask))
    return under


def input_box():
    """252 x 18 empty bar / input field: light trough with an inner shadow."""
    img, mask = bar(252, 18, (196, 204, 216), (236, 240, 246), (70, 80, 98), gloss=False)
    shadow = Image.new("RGBA", img.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(shadow)
    d.line((3, 1, 248, 1), fill=(90, 100, 120, 110))
    d.line((2, 2, 249, 2), fill=(90, 100, 120, 50))
    img.alpha_composite(shadow)
    # The bar lies at screen (233, 330), the info box at (170, 193).
    return on_panel(img, mask, 233 - 170, 330 - 193)


def progress_bar():
    """252 x 18 full bar: amber fill with a gloss, same outline as the trough."""
    img, mask = bar(252, 18, AMBER_TOP, AMBER_BOTTOM, (120, 70, 6))
    return on_panel(img, mask, 233 - 170, 330 - 193)


def wait_spinner():
    """1000 x 50: 20 frames of a ring of dots with a fading tail.

    The frames are copied into the info box at (15, 130) without blending, so
    each frame carries the panel's pixels as its background."""
    frames = Image.new("RGBA", (1000, 50))
    background = info_box().crop((15, 130, 65, 180))
    dots = 12
    for k in range(20):
        frame = background.copy()
        big = Image.new("RGBA", (50 * SS, 50 * SS), (0, 0, 0, 0))
        d = ImageDraw.Draw(big)
        head = k / 20.0 * 2 * math.pi
        for i in range(dots):
            angle = head - i * 2 * math.pi / dots
            fade = 1.0 - i / dots
            cx = 25 * SS + math.sin(angle) * 16 * SS
            cy = 25 * SS - math.cos(angle) * 16 * SS
            r = (2.2 + 2.0 * fade) * SS
            colour = lerp((90, 100, 120), AMBER_TOP, fade) + (int(60 + 195 * fade),)
            d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=colour)
        small = big.resize((50, 50), Image.LANCZOS)
        frame.alpha_composite(small)
        frames.paste(frame, (50 * k, 0))
    return frames


LABEL_FONT = "/usr/share/fonts/truetype/crosextra/Carlito-Bold.ttf"
SYMBOL_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

MENU_BACKGROUND = (16, 16, 16)   # 0xFF101010, the menu screen
MENU_LIST = (30, 30, 30)         # 0xFF1E1E1E, the list box
LABEL_FILL = (40, 40, 40)        # 0xFF282828, the colour picker's value labels
BLUE_TOP = (58, 128, 200)
BLUE_BOTTOM = (18, 60, 124)
INK = (236, 240, 248)            # light symbols and captions
KEYCAP_TOP = (78, 88, 112)
KEYCAP_BOTTOM = (34, 40, 54)


def solid(w, h, colour):
    return Image.new("RGBA", (w, h), colour + (255,))


def big_canvas(w, h):
    return Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))


def shrink(big):
    return big.resize((big.size[0] // SS, big.size[1] // SS), Image.LANCZOS)


# ---- menu list -------------------------------------------------------------

def selection_bar(dark):
    """100 x 34 cursor tile.  The tiles are repeated side by side, so they
    vary only from top to bottom: a blue gradient with a gloss, a light top
    line and a dark bottom line.  The dark tile is laid over the normal bar
    two pixels narrower; its own top and bottom rows carry the bright edge,
    so the result is a dark bar framed in bright blue."""
    w, h = 100, 34
    if not dark:
        img = vertical_gradient(w, h, BLUE_TOP, BLUE_BOTTOM)
        gloss = vertical_gradient(w, h // 2, lerp(BLUE_TOP, (255, 255, 255), 0.2), BLUE_TOP)
        img.paste(gloss, (0, 1))
        d = ImageDraw.Draw(img)
        d.line((0, 0, w, 0), fill=(130, 186, 236, 255))
        d.line((0, h - 1, w, h - 1), fill=(12, 40, 88, 255))
        return img
    img = vertical_gradient(w, h, (30, 48, 82), (12, 20, 38))
    d = ImageDraw.Draw(img)
    for y, c in ((0, (150, 204, 244)), (1, BLUE_TOP), (h - 2, (40, 110, 190)), (h - 1, (12, 40, 88))):
        d.line((0, y, w, y), fill=c + (255,))
    return img


def scroll_track():
    """16 x 368 scroll bar: a dark groove with an arrow head at both ends.
    The knob travels between y 13 and y 354."""
    w, h = 16, 368
    img = solid(w, h, MENU_BACKGROUND)
    groove, mask = bar(12, h - 2, (26, 29, 38), (36, 40, 52), (70, 80, 100), radius=6, gloss=False)
    img.paste(apply_mask(groove, mask), (2, 1), mask)
    big = big_canvas(w, h)
    d = ImageDraw.Draw(big)
    c = BORDER + (255,)
    cx = 8 * SS
    d.polygon([(cx, 4 * SS), (cx - 4 * SS, 10 * SS), (cx + 4 * SS, 10 * SS)], fill=c)
    d.polygon([(cx, (h - 4) * SS), (cx - 4 * SS, (h - 10) * SS), (cx + 4 * SS, (h - 10) * SS)], fill=c)
    img.alpha_composite(shrink(big))
    return img


def scroll_empty():
    """16 x 368: the scroll bar's place when the list fits, the menu's
    background colour."""
    return solid(16, 368, MENU_BACKGROUND)


def scroll_knob():
    """14 x 20 knob: an amber bar with a gloss, drawn over the groove."""
    img, mask = bar(14, 20, AMBER_TOP, AMBER_BOTTOM, (120, 70, 6), radius=5)
    under = scroll_track().crop((1, 100, 15, 120))
    under.alpha_composite(apply_mask(img, mask))
    return under


def value_arrow(left, bright):
    """10 x 15 arrow beside a value on the cursor row: light on the blue
    bar, amber (bright) on the dark bar and the frame cursor."""
    w, h = 10, 15
    big = big_canvas(w, h)
    d = ImageDraw.Draw(big)
    colour = AMBER_TOP if bright else INK
    tip, back = (1.5, 8.5) if left else (8.5, 1.5)
    shadow = [(x * SS, (y + 0.8) * SS) for x, y in ((tip, 7.5), (back, 1.5), (back, 13.5))]
    d.polygon(shadow, fill=(0, 0, 0, 110))
    d.polygon([(tip * SS, 7.5 * SS), (back * SS, 1.5 * SS), (back * SS, 13.5 * SS)], fill=colour + (255,))
    return shrink(big)


# ---- colour picker ---------------------------------------------------------

PICKER_W, PICKER_H = 360, 155
PICKER_ROWS = ((56, 44, 16), (78, 66, 8), (100, 88, 0))  # cursor row y, label y, bit shift
LANE = (24, 28, 38)  # flat strip the slider cursors move on


def picker_panel():
    """360 x 155 panel in the boxes' style, without the rows.  Opaque: the
    sliders and values must not mix with the menu under the picker."""
    return panel(PICKER_W, PICKER_H, 34, 255)


def colour_picker():
    """Three slider rows (a 0..255 ramp of the component above a flat lane
    for the cursor, the value box at the right), the preview's place and
    key hints at the bottom."""
    img = picker_panel()
    d = ImageDraw.Draw(img)
    for row_y, label_y, shift in PICKER_ROWS:
        # The ramp: value v lies at x 14 + v, where the cursor's tip points.
        d.rectangle((13, row_y - 11, 270, row_y - 2), fill=(10, 12, 16, 255))
        for v in range(256):
            c = tuple(v if s == shift else 0 for s in (16, 8, 0))
            d.line((14 + v, row_y - 10, 14 + v, row_y - 3), fill=c + (255,))
        d.rectangle((8, row_y, 275, row_y + 8), fill=LANE + (255,))
        d.rectangle((280, label_y, 339, label_y + 16), fill=LABEL_FILL + (255,))
    d.rectangle((210, 115, 271, 134), fill=(10, 12, 16, 255))
    hints(img, 14, 117, [("dots", None), ("gap", None), ("arrows_lr", None), ("text", "\u00b11"),
                         ("arrows_ud", None), ("text", "\u00b110")])
    return img


def hints(img, x, y, parts):
    """A line of small key hints drawn into a graphic: the three colour
    keys, arrow pairs and captions, at most 16 pixels high."""
    big = Image.new("RGBA", (img.size[0] * SS, 16 * SS), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    font = ImageFont.truetype(LABEL_FONT, 12 * SS)
    cx = 0
    for kind, text in parts:
        if kind == "dots":
            for colour in ((220, 40, 40), (40, 180, 60), (50, 100, 230)):
                d.ellipse((cx, 4 * SS, cx + 9 * SS, 13 * SS), fill=colour + (255,))
                cx += 12 * SS
        elif kind == "arrows_lr":
            for left in (True, False):
                tip, back = (cx, cx + 7 * SS) if left else (cx + 7 * SS, cx)
                d.polygon([(tip, 8.5 * SS), (back, 4 * SS), (back, 13 * SS)], fill=INK + (255,))
                cx += 10 * SS
        elif kind == "arrows_ud":
            for up in (True, False):
                tip, back = (4 * SS, 13 * SS) if up else (13 * SS, 4 * SS)
                d.polygon([(cx + 4 * SS, tip), (cx, back), (cx + 8 * SS, back)], fill=INK + (255,))
                cx += 11 * SS
        elif kind == "gap":
            cx += 6 * SS
        else:
            d.text((cx + 2 * SS, 2 * SS), text, font=font, fill=(192, 192, 192, 255))
            cx += int(d.textlength(text, font=font)) + 12 * SS
    img.alpha_composite(shrink(big), (x, y))


def picker_cursor(visible):
    """12 x 9 slider cursor: a light triangle pointing up at the ramp (its
    tip at x 6), on the lane; without it, the lane alone erases a cursor."""
    img = solid(12, 9, LANE)
    if visible:
        big = big_canvas(12, 9)
        d = ImageDraw.Draw(big)
        d.polygon([(6 * SS, 0), (0.5 * SS, 8.5 * SS), (11.5 * SS, 8.5 * SS)], fill=(10, 12, 16, 255))
        d.polygon([(6 * SS, 1.5 * SS), (2 * SS, 7.8 * SS), (10 * SS, 7.8 * SS)], fill=INK + (255,))
        img.alpha_composite(shrink(big))
    return img


def picker_value_selected():
    """54 x 13 amber box behind the selected component's value."""
    img, mask = bar(54, 13, AMBER_TOP, AMBER_BOTTOM, (150, 86, 6), radius=4)
    under = solid(54, 13, LABEL_FILL)
    under.alpha_composite(apply_mask(img, mask))
    return under


# ---- remote-control key symbols -------------------------------------------

def keycap(w, h, top=KEYCAP_TOP, bottom=KEYCAP_BOTTOM, edge=BORDER, radius=5):
    """A key of the remote: a rounded glossy cap with a light edge,
    transparent around (the symbols are drawn as sprites)."""
    img, mask = bar(w, h, top, bottom, edge, radius=radius)
    return apply_mask(img, mask)


def fit_font(path, text, max_w, max_h):
    size = max_h * SS
    while size > 4 * SS:
        font = ImageFont.truetype(path, size)
        box = font.getbbox(text)
        if box[2] - box[0] <= max_w * SS and box[3] - box[1] <= max_h * SS:
            return font
        size -= SS // 2
    return ImageFont.truetype(path, size)


def label(img, text, colour=INK, path=LABEL_FONT, max_h=None):
    """Centres a caption on a key cap."""
    w, h = img.size
    max_h = max_h or h - 8
    font = fit_font(path, text, w - 6, max_h)
    big = big_canvas(w, h)
    d = ImageDraw.Draw(big)
    box = d.textbbox((0, 0), text, font=font)
    x = (w * SS - (box[2] - box[0])) / 2 - box[0]
    y = (h * SS - (box[3] - box[1])) / 2 - box[1]
    d.text((x, y + SS // 2), text, font=font, fill=(0, 0, 0, 140))
    d.text((x, y), text, font=font, fill=colour + (255,))
    img.alpha_composite(shrink(big))
    return img


def draw_symbol(img, shapes, colour=INK):
    """Draws filled shapes given in key pixels (polygons, rectangles,
    ellipses) anti-aliased onto a key cap, with a soft shadow."""
    w, h = img.size
    big = big_canvas(w, h)
    d = ImageDraw.Draw(big)
    for dy, fill in ((0.6, (0, 0, 0, 130)), (0.0, colour + (255,))):
        for kind, pts in shapes:
            p = [(x * SS, (y + dy) * SS) for x, y in pts]
            if kind == "poly":
                d.polygon(p, fill=fill)
            elif kind == "rect":
                d.rectangle((p[0][0], p[0][1], p[1][0], p[1][1]), fill=fill)
            elif kind == "ellipse":
                d.ellipse((p[0][0], p[0][1], p[1][0], p[1][1]), fill=fill)
            elif kind == "line":
                d.line(p, fill=fill, width=int(1.6 * SS), joint="curve")
    img.alpha_composite(shrink(big))
    return img


def tri(cx, cy, size, direction):
    """A triangle pointing in a direction, centred at (cx, cy)."""
    s = size / 2
    return ("poly", {"r": [(cx + s, cy), (cx - s, cy - s), (cx - s, cy + s)],
                     "l": [(cx - s, cy), (cx + s, cy - s), (cx + s, cy + s)],
                     "u": [(cx, cy - s), (cx - s, cy + s), (cx + s, cy + s)],
                     "d": [(cx, cy + s), (cx - s, cy - s), (cx + s, cy - s)]}[direction])


def arrow(direction):
    """A direction key: an arrow with a shaft, unlike the play triangle."""
    cx, cy = 12, 10
    shaft = {"r": ("rect", [(6, 8.8), (12, 11.2)]), "l": ("rect", [(12, 8.8), (18, 11.2)]),
             "u": ("rect", [(10.8, 10), (13.2, 16)]), "d": ("rect", [(10.8, 4), (13.2, 10)])}[direction]
    head = {"r": tri(14.5, cy, 7, "r"), "l": tri(9.5, cy, 7, "l"),
            "u": tri(cx, 7.5, 7, "u"), "d": tri(cx, 12.5, 7, "d")}[direction]
    return [shaft, head]


def speaker(muted):
    shapes = [("poly", [(6, 8), (9, 8), (13, 4.5), (13, 15.5), (9, 12), (6, 12)])]
    if muted:
        shapes += [("line", [(15, 7), (19, 13)]), ("line", [(19, 7), (15, 13)])]
    return shapes


COLOUR_KEYS = {
    "red": ((236, 70, 60), (170, 20, 20)),
    "green": ((90, 210, 90), (20, 130, 40)),
    "yellow": ((255, 230, 90), (210, 170, 10)),
    "blue": ((80, 140, 240), (24, 70, 170)),
    "white": ((250, 250, 250), (190, 194, 204)),
}

WIDE_KEYS = {"ok": "OK", "exit": "EXIT", "menu": "MENU", "list": "LIST", "option": "OPT",
             "fav": "FAV", "aux": "AUX", "sat": "SAT"}

SMALL_TEXT_KEYS = {"volplus": "V+", "volminus": "V\u2212", "progplus": "P+", "progminus": "P\u2212",
                   "ttx": "TXT", "subtitle": "SUB", "ar": "AR", "vf": "V.F", "m": "M", "cut": "CUT",
                   "select": "SEL", "tv_radio": "TV/R", "sleep": "Zz"}

SMALL_SHAPE_KEYS = {
    "up": lambda: arrow("u"),
    "down": lambda: arrow("d"),
    "left": lambda: arrow("l"),
    "right": lambda: arrow("r"),
    "play": lambda: [tri(12.5, 10, 9, "r")],
    "pause": lambda: [("rect", [(8, 5.5), (10.6, 14.5)]), ("rect", [(13.4, 5.5), (16, 14.5)])],
    "stop": lambda: [("rect", [(8, 6), (16, 14)])],
    "rwd": lambda: [tri(9, 10, 7, "l"), tri(15, 10, 7, "l")],
    "ffwd": lambda: [tri(9, 10, 7, "r"), tri(15, 10, 7, "r")],
    "step": lambda: [("rect", [(7, 5.5), (9.2, 14.5)]), tri(14, 10, 8, "r")],
    "jumpstart": lambda: [("rect", [(6.5, 5.5), (8.7, 14.5)]), tri(12, 10, 7, "l"), tri(17, 10, 7, "l")],
    "jumpend": lambda: [tri(7, 10, 7, "r"), tri(12, 10, 7, "r"), ("rect", [(15.3, 5.5), (17.5, 14.5)])],
    "mute": lambda: speaker(True),
    "audio": lambda: speaker(False) + [("line", [(15.5, 7.5), (17, 10), (15.5, 12.5)])],
    "filelist": lambda: [("rect", [(7, 5.5), (17, 7.3)]), ("rect", [(7, 9.1), (17, 10.9)]),
                         ("rect", [(7, 12.7), (17, 14.5)])],
}


def key_symbols():
    """The 56 remote-control key symbols, by name (_Button_<name>)."""
    keys = {}
    for name, (top, bottom) in COLOUR_KEYS.items():
        img = keycap(18, 18, lerp(top, (255, 255, 255), 0.2), bottom, lerp(bottom, (0, 0, 0), 0.35), radius=5)
        keys[name] = img
    for name, text in WIDE_KEYS.items():
        keys[name] = label(keycap(40, 20), text)
    keys["guide"] = label(keycap(54, 20), "GUIDE")
    for digit in range(10):
        keys[str(digit)] = label(keycap(24, 20), str(digit), max_h=12)
    for name, text in SMALL_TEXT_KEYS.items():
        keys[name] = label(keycap(24, 20), text)
    for name, shapes in SMALL_SHAPE_KEYS.items():
        keys[name] = draw_symbol(keycap(24, 20), shapes())
    keys["record"] = draw_symbol(keycap(24, 20), [("ellipse", [(7.5, 5.5), (16.5, 14.5)])], (235, 52, 44))
    keys["info"] = label(keycap(24, 20), "i", path=SYMBOL_FONT, max_h=12)
    keys["recall"] = label(keycap(24, 20), "\u21a9", path=SYMBOL_FONT, max_h=12)
    keys["nouse"] = keycap(24, 20, (52, 56, 64), (30, 32, 38), (70, 74, 84))
    return keys


KEY_NAMES = ["red", "green", "yellow", "blue", "white", "ok", "exit", "menu", "list", "option", "fav", "aux",
             "sat", "guide"] + [str(d) for d in range(10)] + [
    "up", "down", "left", "right", "volplus", "volminus", "progplus", "progminus", "play", "pause", "stop",
    "record", "rwd", "ffwd", "step", "jumpstart", "jumpend", "info", "recall", "mute", "sleep", "tv_radio",
    "ttx", "subtitle", "audio", "ar", "vf", "m", "cut", "filelist", "select", "nouse"]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    graphics = {
        "InfoBox": info_box(),
        "MessageBoxSelectedButtonBackground": button_highlight(),
        "WaitSpinner_All": wait_spinner(),
        "InputBox": input_box(),
        "Progressbar": progress_bar(),
        "SelectionBar_Blue_100x34": selection_bar(False),
        "SelectionBar_Blue_100x34Dark": selection_bar(True),
        "ScrollBarVisible": scroll_track(),
        "ScrollBarInvisible": scroll_empty(),
        "ScrollBarKnob": scroll_knob(),
        "pfeil_l": value_arrow(True, False),
        "pfeil_r": value_arrow(False, False),
        "pfeil_l_bright": value_arrow(True, True),
        "pfeil_r_bright": value_arrow(False, True),
        "ColorPicker": colour_picker(),
        "ColorPicker_CursorDeselected": picker_cursor(True),
        "ColorPicker_CursorNone": picker_cursor(False),
        "ColorPicker_ValueBackroundSelected": picker_value_selected(),
    }
    keys = key_symbols()
    assert sorted(keys) == sorted(KEY_NAMES) and len(KEY_NAMES) == 56, "the 56 key symbols"
    for name in KEY_NAMES:
        graphics["Button_" + name] = keys[name]
    for name, img in graphics.items():
        img.save(os.path.join(out, name + ".png"), optimize=True)
        print(f"{name}.png {img.size[0]} x {img.size[1]}")


if __name__ == "__main__":
    main()
